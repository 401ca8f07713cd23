#pragma once
// The plot window: draws a recording's data window (cached as an image), shows the cursor
// readout, cursor line and rubber band over it, handles the Zoom In and Move View drags and
// offers the right-click menu. Commands of the menu are emitted, not carried out here.
//
// Typical use by the main view:
//   plot->setRecording(doc.recording(), *startTime(doc.recording()));  // hand-over
//   plot->ResetView();                                  // View All (also repaints)
//   plot->SetMode(MoveView);  plot->setShowGridX(!plot->showGridX());  plot->setUnitIndex(u);
//   LoadColours(*plot, settingsIniPath());              // ccolor_setting.h
//   connect(plot, &CGraphics::commandIssued, view, &View::onCommand);
//   printPlot(plot->scene(), plot->geometry(), painter, pageWidthPx, pageHeightPx);
#include <QCursor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/analysis/measurement_text.h"
#include "core/analysis/range_analysis.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_colours.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_scene.h"
#include "core/plot/plot_view.h"

class QMenu;

namespace quillmark {

struct Recording;

class CGraphics : public QWidget {
    Q_OBJECT
public:
    explicit CGraphics(QWidget* parent = nullptr);

    // Hand-over: refers to the recording's samples (not owned: keep the Recording alive and
    // unchanged, or hand over again) and copies its scalars, the effective interval and the
    // given start time. Does not reset the view; call ResetView afterwards.
    void setRecording(const Recording& rec, std::int64_t startTime);
    // The same, sharing the recording: the plot keeps it alive.
    void setRecording(std::shared_ptr<const Recording> rec, std::int64_t startTime);
    // The same with the start time built from the recording's header. Returns false and
    // changes nothing when that start time cannot be built; null clears the samples.
    bool setData(const Recording* rec);
    // The same pieces one by one (the colour preview takes the header's whole seconds).
    void setSamples(const std::uint16_t* samples, std::int32_t count);
    void setStatistics(std::int32_t maxIndex, std::int32_t minIndex, double average);
    void setAlarmLevels(float low, float high);
    void setSampleInterval(float seconds);
    void setStartTime(std::int64_t t);

    // View All and repaint.
    void ResetView();
    // View All as the user's command: one zoom-history step.
    void viewAll();
    // Back to the data window before the last zoom, wheel zoom, double-click or Escape of
    // this window; false when there is none. A new recording clears the history.
    bool undoZoom();
    // Analyze, Fit Values: the value axis spans the valid samples of the visible time window
    // (the time window stays), as one zoom-history step. False, and nothing changes, when no
    // valid sample is visible or the recording came without setRecording.
    bool fitValues();
    // Pans the time axis by `windows` window widths (negative: earlier), clamped as a Move
    // View drag clamps; one zoom-history step when it moves.
    bool panTime(double windows);
    // Zooms the time axis about the window's centre (a factor below 1 zooms in), within the
    // wheel zoom's limits; one zoom-history step when it changes.
    bool zoomTimeAboutCentre(double factor);
    void SetMode(PlotMode mode) { view_.geometry().setMode(mode); }
    PlotMode mode() const { return view_.geometry().mode; }

    bool showGridX() const { return view_.display().showGridX; }
    bool showGridY() const { return view_.display().showGridY; }
    bool showMaskPoints() const { return view_.display().showMaskPoints; }
    bool showAlarmLines() const { return view_.display().showAlarmLines; }
    void setShowGridX(bool on);
    void setShowGridY(bool on);
    void setShowMaskPoints(bool on);
    void setShowAlarmLines(bool on);
    std::int32_t unitIndex() const { return view_.display().unitIndex; }
    void setUnitIndex(std::int32_t unit);
    bool hideStatistics() const { return view_.display().hideStatistics; }
    void setHideStatistics(bool hide);

    PlotColours colours() const { return view_.display().colours; }
    void setColours(const PlotColours& c);

    // The data window and drag state; after changing it call refresh().
    PlotGeometry& geometry() { return view_.geometry(); }
    const PlotGeometry& geometry() const { return view_.geometry(); }
    // Compared runs (see PlotView); each change redraws and emits runsChanged.
    PlotView::AddResult addRun(std::shared_ptr<const Recording> rec);
    void removeRun(std::size_t i);
    void clearRuns();
    void setRunVisible(std::size_t i, bool visible);
    void setAlignment(RunAlignment a);
    // The plot model behind the window; after changing it call refresh().
    PlotView& view() { return view_; }
    const PlotView& view() const { return view_; }
    // Copies another plot's data window, colours and display flags (the colour preview).
    void copyViewFrom(const CGraphics& other);

    // What DrawPlot draws for this window, with the current logger model code.
    PlotScene scene() const;
    // Redraw the cached plot and repaint the window (the invalidate of the designed window).
    void refresh();

    // The right-click menu for the current logger model code (empty for unknown codes);
    // each action carries its command id as data.
    std::unique_ptr<QMenu> createContextMenu(QWidget* parent = nullptr) const;
    // What a screen reader says about the plot: model, samples, unit, the value range in view
    // and the readout's current text, in the user's language.
    QString accessibleSummary() const;

    // The plot as the window shows it without pointer overlays, at `ratio` device pixels per
    // window pixel (the screen's for the window itself, Copy Image and Export Image).
    QImage renderPlot(double ratio = 1.0) const;

    // Measure mode: the samples a drag selected, kept in sample terms so zooming and panning
    // move the band with the data. A new recording clears it.
    std::optional<SampleSelection> selection() const { return view_.selection(); }
    void setSelection(std::optional<SampleSelection> s);
    // The selection, or with none the samples of the visible window; nothing without samples.
    std::optional<SampleSelection> measuredRange() const;
    // Figures of measuredRange() in the display unit; empty without a handed-over recording.
    std::vector<MeasurementLine> measurement() const;
    // The shown sample under the pointer while the readout shows it.
    std::optional<std::int64_t> pointerSample() const {
        return readoutShown_ ? readoutIndex_ : std::nullopt;
    }
    // Built on first use after a hand-over (opening a file does not wait for it); empty
    // after setSamples alone.
    const RangeAnalysis& analysis() const;

signals:
    // A context-menu command for the view to carry out.
    void commandIssued(int id);
    // The selection, the data window, the unit or the recording changed.
    void measurementChanged();
    // A compared run was added, removed, hidden or shown, or the alignment changed.
    void runsChanged();
    // pointerSample() changed.
    void pointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Additions for convenience: wheel zoom about the pointer, double-click and Escape for
    // View All, Backspace or Ctrl+Z to undo the last zoom; Left/Right (Shift: a whole window)
    // to pan, +/- to zoom the time axis, Home for View All.
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyCursor(PlotCursor c);
    // The left margin the value labels need now (one rule for drawing and every mapping).
    void fitLeftMargin();
    void renderCache();
    QRect readoutStrip() const;
    int readoutLineHeight() const;
    QRect cursorLineRect(int deviceX) const;
    QRect bandRect(PlotPoint a, PlotPoint b) const;

    PlotView view_;

    QImage cache_;
    bool cacheValid_ = false;
    // Overlays drawn over the cache; cleared by every full repaint.
    std::optional<int> cursorX_; // device column
    std::optional<std::int64_t> readoutIndex_;
    bool readoutShown_ = false;
    std::optional<QRect> band_;

    QCursor zoomCursor_;
    QCursor handCursor_;
    std::optional<QCursor> savedCursor_;
};

} // namespace quillmark
