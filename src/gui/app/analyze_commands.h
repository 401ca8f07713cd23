#pragma once
// The Analyze menu's commands and the mode checks, carried out on the plot window.
#include <QString>

class QWidget;

namespace quillmark {

class CGraphics;
class CMainFrame;

// Installs the handlers of the Analyze items (Fit Values, panning and time zoom, Export Image,
// Copy Image) and the checks of the mouse-mode items.
void registerAnalyzeCommands(CMainFrame& frame, CGraphics& plot);

// Analyze, Export Image: asks for a .png or .svg name (starting in the images folder) and
// writes the plot as shown; a failure is reported in a message box. False when nothing was
// written.
bool exportPlotImage(const CGraphics& plot, QWidget* parent);
// Writes the plot as shown to `path`; on failure shows the reason in a message box.
bool writePlotImage(const CGraphics& plot, const QString& path, QWidget* parent);
// Analyze, Copy Image.
void copyPlotImage(const CGraphics& plot);

} // namespace quillmark
