#pragma once
// The "Color Setting" dialog with its live preview, and the colours' INI persistence.
#include <QColor>
#include <QDialog>
#include <functional>
#include <string>

#include "core/plot/plot_colours.h"

class QLabel;

namespace quillmark {

class CGraphics;
class IniStore;
struct Recording;

// Reads the four colours from the store into the plot (missing keys give the defaults).
void LoadColours(CGraphics& plot, const IniStore& ini);
// Writes the plot's four colours into the store (background, grid, line, border).
void SaveColours(const CGraphics& plot, IniStore& ini);
// The same on an INI file, keeping every other section of it. A missing file gives the
// defaults. Saving returns false (with the reason) when the file cannot be written.
void LoadColours(CGraphics& plot, const std::string& iniPath);
bool SaveColours(const CGraphics& plot, const std::string& iniPath, std::string* error = nullptr);

class CColorSetting : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IDC_PREVIEW = 1023,
        IDC_SWATCH_BACKGROUND = 1019,
        IDC_SWATCH_BORDER = 1020,
        IDC_SWATCH_GRID = 1021,
        IDC_SWATCH_LINE = 1022,
        IDC_PICK_BACKGROUND = 1015,
        IDC_PICK_BORDER = 1016,
        IDC_PICK_GRID = 1017,
        IDC_PICK_LINE = 1018,
        IDC_DEFAULT = 3,
    };

    // Working colours and preview start from the main plot; the preview shows the recording
    // in the main plot's data window, without statistics.
    CColorSetting(const CGraphics& mainPlot, const Recording& rec, QWidget* parent = nullptr);

    PlotColours colours() const { return colours_; }
    CGraphics* preview() const { return preview_; }
    QLabel* swatch(ControlId id) const;

    // The colour picker; returns an invalid colour when cancelled. Defaults to the standard
    // picker starting on black; tests replace it.
    std::function<QColor(QWidget*)> picker;

public slots:
    void pickColour(int controlId);
    void restoreDefaults();

private:
    void applyColours();

    PlotColours colours_;
    CGraphics* preview_ = nullptr;
    QLabel* swatches_[4] = {};
};

// The ColorSetting command: runs the dialog; on OK copies the colours into the plot,
// repaints it and saves them to the INI file, and returns true. Cancel changes and writes
// nothing.
bool runColourSetting(CGraphics& plot, const Recording& rec, const std::string& iniPath,
                      QWidget* parent = nullptr);

} // namespace quillmark
