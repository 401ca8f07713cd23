#pragma once
// The main view: keeps the plot window inset by 30 pixels, hands the document's Recording to
// it, carries out the display and unit commands, fills its background with the border colour
// and prints the plot.
#include <QWidget>

#include "core/data/recording.h"

class QPrinter;
class QPainter;

namespace quillmark {

class CGraphics;
class CSkeinDoc;

class CSkeinView : public QWidget {
    Q_OBJECT
public:
    // While a panel is docked beside the view it keeps the whole plot (window included);
    // otherwise the window may be made smaller and the plot is cut off.
    void setPlotKeptWhole(bool keep);
    static constexpr int kInset = 30;
    static constexpr int kMinPlotWidth = 720;
    static constexpr int kMinPlotHeight = 440;

    explicit CSkeinView(CSkeinDoc* doc, QWidget* parent = nullptr);
    ~CSkeinView() override;

    CSkeinDoc* document() const { return doc_; }
    CGraphics* plotWindow() const { return plot_; }

    // Samples shown since the last hand-over (the close question asks for this).
    int shownSampleCount() const { return shownSamples_; }
    std::int32_t unitIndex() const;

    // Hand-over at initial update (after start-up, New and Open) and after a download that
    // ended with View. False when the Recording's start time is invalid; the plot then keeps
    // what it showed. The plot model keeps a shared snapshot of the handed-over recording,
    // so a later change of the document's recording (a download ended with Cancel) can
    // never leave it pointing at released samples.
    bool initialUpdate();
    bool handOverAfterDownload();
    // The document's Recording was replaced (a hand-over, or a download ended without View):
    // the plot window shows only while it has samples.
    void recordingChanged();

    // The view's commands; false for ids the view does not handle.
    bool onCommand(int id);
    bool isCommandChecked(int id) const;

    // Draws the plot on one printed page (upper half, printer margins).
    void printPage(QPainter& painter, QPrinter& printer);
    // View, ColorSetting: the colour dialog; on OK the plot takes and saves the colours.
    void onColorSetting();

signals:
    // Commands the plot's context menu issues that the view passes on (e.g. ColorSetting).
    void commandIssued(int id);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool dataTransfer();
    void layoutPlot();

    CSkeinDoc* doc_;
    CGraphics* plot_ = nullptr;
    int shownSamples_ = 0;

public:
    int printing = 0;
};

} // namespace quillmark
