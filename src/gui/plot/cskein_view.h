#pragma once
// The main view: keeps the plot window inset by 30 pixels, hands the document's Recording to
// it, carries out the display and unit commands, fills its background with the border colour
// and prints the plot.
#include <QWidget>

class QPrinter;
class QPainter;

namespace quillmark {

class CSkeinDoc;

class CSkeinView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInset = 30;
    static constexpr int kMinPlotWidth = 720;
    static constexpr int kMinPlotHeight = 440;

    explicit CSkeinView(CSkeinDoc* doc, QWidget* parent = nullptr);
    ~CSkeinView() override;

    CSkeinDoc* document() const { return doc_; }
    QWidget* plotWindow() const;

    // Samples shown since the last hand-over (the close question asks for this).
    int shownSampleCount() const { return shownSamples_; }
    std::int32_t unitIndex() const { return unitIndex_; }

    // Hand-over at initial update (after start-up, New and Open) and after a download that
    // ended with View. False when the Recording's start time is invalid; the plot then keeps
    // what it showed.
    bool initialUpdate();
    bool handOverAfterDownload();

    // The view's commands; false for ids the view does not handle.
    bool onCommand(int id);
    bool isCommandChecked(int id) const;

    // Draws the plot on one printed page (upper half, printer margins).
    void printPage(QPainter& painter, QPrinter& printer);

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
    QWidget* plot_ = nullptr;
    int shownSamples_ = 0;
    std::int32_t unitIndex_ = 0;
    bool gridX_ = true, gridY_ = true, maskPoints_ = true, alarmLines_ = true;

public:
    int printing = 0;
};

} // namespace quillmark
