#include "gui/plot/cskein_view.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>

#include "core/app/command_ids.h"
#include "core/settings/ini_store.h"
#include "gui/app/app_resources.h"
#include "gui/app/cskein_doc.h"
#include "gui/plot/ccolor_setting.h"
#include "gui/plot/cgraphics.h"
#include "render/draw_plot.h"
#include "render/qt_colour.h"

namespace quillmark {

CSkeinView::CSkeinView(CSkeinDoc* doc, QWidget* parent)
    : QWidget(parent), doc_(doc), plot_(new CGraphics(this)) {
    setObjectName(QStringLiteral("skeinView"));
    plot_->setObjectName(QStringLiteral("plotWindow"));
    plot_->hide();
    connect(plot_, &CGraphics::commandIssued, this, &CSkeinView::commandIssued);
    setPlotKeptWhole(false);
}

void CSkeinView::setPlotKeptWhole(bool keep) {
    // Alone, the view may shrink and the plot is cut off at its least size; beside a docked
    // panel the view keeps room for the whole plot, so the panel never hides any of it.
    if (keep)
        setMinimumSize(kMinPlotWidth + 2 * kInset, kMinPlotHeight + 2 * kInset);
    else
        setMinimumSize(200, 150);
}

CSkeinView::~CSkeinView() = default;

std::int32_t CSkeinView::unitIndex() const {
    return plot_->unitIndex();
}

void CSkeinView::layoutPlot() {
    QRect r = rect();
    if (r.height() < kMinPlotHeight + 2 * kInset)
        r.setBottom(r.top() + kMinPlotHeight + 2 * kInset - 1);
    if (r.width() < kMinPlotWidth + 2 * kInset)
        r.setRight(r.left() + kMinPlotWidth + 2 * kInset - 1);
    plot_->setGeometry(r.left() + kInset, r.top() + kInset, r.width() - 2 * kInset,
                       r.height() - 2 * kInset);
}

void CSkeinView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutPlot();
}

void CSkeinView::paintEvent(QPaintEvent*) {
    if (!doc_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(plot_->colours().border));
}

void CSkeinView::recordingChanged() {
    if (doc_)
        plot_->setVisible(doc_->recording().sampleCount >= 1);
    update();
}

bool CSkeinView::dataTransfer() {
    const Recording& rec = doc_->recording();
    const std::optional<std::int64_t> start = startTime(rec);
    if (!start) {
        QMessageBox box(QMessageBox::Warning, kApplicationTitle,
                        tr("The command could not be carried out: the recording's start time is "
                           "not valid."),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("commandFailure"));
        box.exec();
        return false;
    }
    // The plot model shares an immutable snapshot: a later change of the document's
    // recording (a download ended with Cancel) never reaches what the plot draws.
    auto shown = std::make_shared<const Recording>(rec);
    shownSamples_ = shown->sampleCount;
    plot_->setRecording(std::move(shown), *start);
    return true;
}

bool CSkeinView::initialUpdate() {
    recordingChanged();
    const bool ok = dataTransfer();
    plot_->ResetView();
    LoadColours(*plot_, settingsIniPath());
    update();
    return ok;
}

bool CSkeinView::handOverAfterDownload() {
    plot_->geometry().xMax = static_cast<double>(doc_->recording().sampleCount);
    const bool ok = dataTransfer();
    recordingChanged();
    plot_->ResetView();
    return ok;
}

bool CSkeinView::onCommand(int id) {
    switch (id) {
    case ID_VIEW_ALL:
        plot_->viewAll();
        return true;
    case ID_MOVE_VIEW:
        plot_->SetMode(MoveView);
        return true;
    case ID_ZOOM_IN:
        plot_->SetMode(ZoomIn);
        return true;
    case ID_MEASURE:
        plot_->SetMode(Measure);
        return true;
    case ID_GRID_X:
        plot_->setShowGridX(!plot_->showGridX());
        return true;
    case ID_GRID_Y:
        plot_->setShowGridY(!plot_->showGridY());
        return true;
    case ID_MASK_POINTS:
        plot_->setShowMaskPoints(!plot_->showMaskPoints());
        return true;
    case ID_ALARM_LINE:
        plot_->setShowAlarmLines(!plot_->showAlarmLines());
        return true;
    default:
        if (id >= ID_UNIT_0 && id <= ID_UNIT_4) {
            plot_->setUnitIndex(id - ID_UNIT_0);
            doc_->recording().unitIndex = id - ID_UNIT_0;
            return true;
        }
        return false;
    }
}

bool CSkeinView::isCommandChecked(int id) const {
    switch (id) {
    case ID_GRID_X:
        return plot_->showGridX();
    case ID_GRID_Y:
        return plot_->showGridY();
    case ID_MASK_POINTS:
        return plot_->showMaskPoints();
    case ID_ALARM_LINE:
        return plot_->showAlarmLines();
    default:
        return id >= ID_UNIT_0 && id <= ID_UNIT_4 && plot_->unitIndex() == id - ID_UNIT_0;
    }
}

void CSkeinView::printPage(QPainter& painter, QPrinter& printer) {
    printing = 1;
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    painter.setBackgroundMode(Qt::TransparentMode);
    printPlot(plot_->scene(), plot_->geometry(), painter, page.width(), page.height());
    printing = 0;
}

void CSkeinView::onColorSetting() {
    if (runColourSetting(*plot_, doc_->recording(), settingsIniPath(), window()))
        update();
}

void CSkeinView::closeEvent(QCloseEvent* event) {
    if (plot_->scene().sampleCount <= 1) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, tr("Tip"), tr("Close Window?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() == QMessageBox::Yes)
        event->accept();
    else
        event->ignore();
}

} // namespace quillmark
