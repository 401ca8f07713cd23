#pragma once
// The Analyze menu's commands and the mode checks, carried out on the plot window.
#include <QString>
#include <functional>

class QWidget;

namespace quillmark {

class CGraphics;
class CMainFrame;

// Installs the handlers of the Analyze items (Fit Values, panning and time zoom, Export Image,
// Copy Image) and the checks of the mouse-mode items.
// `documentPath` names the shown recording's file (empty when it has none), so Export Image
// can suggest the recording's own name.
void registerAnalyzeCommands(CMainFrame& frame, CGraphics& plot,
                             std::function<QString()> documentPath = {});

// Analyze, Export Image: asks for a .png or .svg name (starting in the images folder, offering
// the recording's name with .png, or "plot.png") and writes the plot as shown; a failure is
// reported in a message box. False when nothing was written.
bool exportPlotImage(const CGraphics& plot, QWidget* parent,
                     const QString& documentPath = QString());
// The image name Export Image offers for a recording at `documentPath`.
QString suggestedImageName(const QString& documentPath);
// Writes the plot as shown to `path`; on failure shows the reason in a message box.
// A PNG gets `ratio` pixels per window pixel; 0 means the screen's.
bool writePlotImage(const CGraphics& plot, const QString& path, QWidget* parent,
                    double ratio = 0.0);
// Analyze, Copy Image.
void copyPlotImage(const CGraphics& plot);
// Ctrl+C where text has focus: copies the selected text of the window's focused label or
// line edit; false (nothing copied) when there is none, and the image is copied instead.
bool copySelectedText(QWidget* window);

} // namespace quillmark
