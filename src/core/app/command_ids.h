#pragma once
// Every command the menus, toolbar, accelerators and the plot's context menu can issue.
// Each QAction carries one of these and reaches the one handler for that id.

namespace quillmark {

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE_STANDARD = 57603, // Ctrl+S: recording file only
    ID_FILE_SAVE = 57604,          // File, Save: recording file and text data file
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    ID_LOGGER_SETTING = 32771,
    ID_DATA_DOWNLOAD = 32772,
    ID_VIEW_ALL = 32774,
    ID_COLOR_SETTING = 32775,
    ID_GRID_X = 32777,
    ID_GRID_Y = 32778,
    ID_MASK_POINTS = 32779,
    ID_MOVE_VIEW = 32780,
    ID_ZOOM_IN = 32781,
    ID_ALARM_LINE = 32782,
    ID_UNIT_0 = 32784, // Unit(m/s) .. Unit(MPH) are ID_UNIT_0 + unit index
    ID_UNIT_1 = 32785,
    ID_UNIT_2 = 32786,
    ID_UNIT_3 = 32787,
    ID_UNIT_4 = 32788,
    ID_EXPORT_EXCEL = 32790,
    ID_HELP_CONTENTS = 32792,

    // Analyze menu.
    ID_FIT_VALUES = 32800,
    ID_PAN_LEFT = 32801,
    ID_PAN_RIGHT = 32802,
    ID_PAGE_LEFT = 32803,
    ID_PAGE_RIGHT = 32804,
    ID_ZOOM_TIME_IN = 32805,
    ID_ZOOM_TIME_OUT = 32806,
    ID_EXPORT_IMAGE = 32807,
    ID_COPY_IMAGE = 32808,
    ID_MEASURE = 32820,       // Analyze, Measure: the third mouse mode
    ID_EXPORT_REPORT = 32830, // File, Export Report...: the run report as a PDF
    ID_COMPARE_WITH = 32831,  // Analyze, Compare With...: add recordings as compared runs
    ID_CLEAR_COMPARISON = 32832,
    ID_ALIGN_START = 32833,
    ID_ALIGN_CLOCK = 32834,
};

} // namespace quillmark
