#!/usr/bin/env bash
# Keeps Qt out of the domain, transports, simulator and CLI (but for its plot command),
# libusb inside the transport, the backend wiring in its one place, the widgets out of the
# drawing library, and the pixel-exact fast paths away from widget code.
set -u
cd "$(dirname "$0")/.."
fail=0
# The CLI draws in its plot and report commands only, so those files alone may use Qt.
if hits=$(grep -rnE '#include[[:space:]]*<Q' src/core src/transport src/sim src/cli 2>/dev/null | grep -vE '^src/cli/(cmd_plot\.cpp|cmd_report\.cpp|headless_app\.h):'); then
  echo "Qt include outside src/gui, src/render and the CLI's plot command:"; echo "$hits"; fail=1
fi
if hits=$(grep -rnE '#include[[:space:]]*[<"]libusb|PkgConfig::LIBUSB|usb-1\.0' src tests --include='*.cpp' --include='*.h' --include='CMakeLists.txt' 2>/dev/null | grep -vE '^(src|tests)/transport/'); then
  echo "libusb outside the transport:"; echo "$hits"; fail=1
fi
# The transports and the simulator meet only in the backend factory; the GUI library gets
# its backend from the program's main.
if hits=$(grep -rnE '#include[[:space:]]*"(sim|backend)/' src/core src/transport 2>/dev/null); then
  echo "transport or core depends on the simulator or the factory:"; echo "$hits"; fail=1
fi
if hits=$(grep -rnE '#include[[:space:]]*"(sim|transport|backend)/' src/gui 2>/dev/null | grep -v '^src/gui/main\.cpp:'); then
  echo "backend wiring outside the program's main:"; echo "$hits"; fail=1
fi
if hits=$(grep -rn 'processEvents' src 2>/dev/null); then
  echo "processEvents in src (continue from a signal instead):"; echo "$hits"; fail=1
fi

# Every file the program writes goes through writeOutputFile (src/core/common/atomic_file.*),
# which keeps the output-file rules; other ways of opening a file for writing stay out of src.
# Images and other Qt output are made in memory (a QBuffer) and handed to it. A PDF printed
# to a file is Qt's printing, left to it.
# Reading with ifstream is not writing and stays allowed.
write_apis='QSaveFile|QTemporaryFile|QImageWriter|QPdfWriter|QFile::copy|ofstream|[^io<]fstream|fopen[[:space:]]*\(|freopen|\bcreat[[:space:]]*\(|mkstemp|mkostemp|O_(WRONLY|RDWR|CREAT|TRUNC|TMPFILE|APPEND)\b|QIODevice::(WriteOnly|ReadWrite|Append|Truncate)|\bAtomicFile\b|\b(rename|renameat|linkat|symlink)[[:space:]]*\(|setOutputFileName|copy_file'
if hits=$(grep -rnE "$write_apis" src 2>/dev/null |
          grep -vE '^src/core/common/atomic_file\.(h|cpp):' |
          grep -vE '^src/render/(plot_image|run_report_pdf)\.cpp:[0-9]+:[[:space:]]*buffer\.open\(QIODevice::WriteOnly\)' |
          grep -vE '^src/render/run_report_pdf\.cpp:[0-9]+:([[:space:]]*QPdfWriter pdf\(&buffer\);|#include <QPdfWriter>)' |
          grep -vE '^src/cli/main\.cpp:[0-9]+:.*fopencookie' |
          grep -vE '^src/gui/app/cskein_app\.cpp:[0-9]+:[[:space:]]*printer\.setOutputFileName|copy_file'); then
  echo "a file written outside writeOutputFile (src/core/common/atomic_file.h):"; echo "$hits"; fail=1
fi

# Qt Widgets headers: the installed module's class headers, else the usual ones.
widgets_dir=$(ls -d /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets 2>/dev/null | head -n 1)
if [ -n "$widgets_dir" ]; then
  widget_headers=$(ls "$widgets_dir" | grep -E '^Q[A-Za-z0-9]+$' | paste -sd'|')
else
  widget_headers='QApplication|QWidget|QDialog|QMainWindow|QMenu|QLabel|QPushButton|QMessageBox'
fi
widgets_include="#include[[:space:]]*<(QtWidgets(/[^>]*)?|($widget_headers))>"
if hits=$(grep -rnE "$widgets_include" src/render 2>/dev/null); then
  echo "Qt Widgets in the drawing library:"; echo "$hits"; fail=1
fi
fast_paths_include='#include[[:space:]]*"render/fast_paths\.h"'
for f in $(grep -rlE "$fast_paths_include" src 2>/dev/null); do
  if hits=$(grep -nE "$widgets_include" "$f"); then
    echo "$f uses the fast drawing paths and Qt Widgets:"; echo "$hits"; fail=1
  fi
done
exit $fail
