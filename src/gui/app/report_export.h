#pragma once
// File > Export Report...: the run report of the Measure selection, or with none the
// visible time window, in the display unit, as a PDF.
#include <QString>

#include "core/data/recording.h"

class QWidget;

namespace quillmark {

class CGraphics;

// Asks for the file (the dialog starts in the reports' folder) and writes the report of
// `rec` as `plot` shows it; false when cancelled or when it failed (after saying why).
bool exportRunReport(const CGraphics& plot, const Recording& rec, QWidget* parent,
                     const QString& documentPath);
// Writes the report to `path` without asking; a failure is shown in a message box.
bool writeRunReport(const CGraphics& plot, const Recording& rec, const QString& path,
                    const QString& documentPath, QWidget* parent);

} // namespace quillmark
