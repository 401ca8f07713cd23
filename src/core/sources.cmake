# The core library's sources, shared by the library and its fuzzing build.
set(QUILLMARK_CORE_SOURCES
  analysis/range_analysis.cpp
  app/logger_model.cpp
  common/atomic_file.cpp
  common/input_file.cpp
  data/recording.cpp
  data/recording_file.cpp
  data/sample_text.cpp
  data/save_paths.cpp
  data/spreadsheet_export.cpp
  data/text_data_file.cpp
  data/time_stamp.cpp
  link/backend_choice.cpp
  link/download.cpp
  link/logger_detector.cpp
  link/logger_link.cpp
  link/upload.cpp
  plot/column_reduction.cpp
  plot/plot_geometry.cpp
  plot/plot_layout.cpp
  plot/plot_menu.cpp
  plot/plot_text.cpp
  settings/ini_store.cpp
  settings/logger_settings.cpp
  settings/settings_block.cpp
  settings/settings_dialog_model.cpp)
list(TRANSFORM QUILLMARK_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
