#include "gui/plot/cskein_view.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>

#include "core/app/command_ids.h"
#include "gui/app/app_resources.h"
#include "gui/app/cskein_doc.h"

namespace quillmark {

CSkeinView::CSkeinView(CSkeinDoc* doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("skeinView"));
    plot_ = new QWidget(this);
    plot_->setObjectName(QStringLiteral("plotWindow"));
    plot_->hide();
    setMinimumSize(200, 150);
}

CSkeinView::~CSkeinView() = default;

QWidget* CSkeinView::plotWindow() const {
    return plot_;
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
    plot_->setVisible(doc_->recording().sampleCount >= 1);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(208, 207, 199));
}

bool CSkeinView::dataTransfer() {
    shownSamples_ = doc_->recording().sampleCount;
    return true;
}

bool CSkeinView::initialUpdate() {
    update();
    return dataTransfer();
}

bool CSkeinView::handOverAfterDownload() {
    const bool ok = dataTransfer();
    update();
    return ok;
}

bool CSkeinView::onCommand(int id) {
    switch (id) {
    case ID_VIEW_ALL:
    case ID_MOVE_VIEW:
    case ID_ZOOM_IN:
        return true;
    case ID_GRID_X:
        gridX_ = !gridX_;
        return true;
    case ID_GRID_Y:
        gridY_ = !gridY_;
        return true;
    case ID_MASK_POINTS:
        maskPoints_ = !maskPoints_;
        return true;
    case ID_ALARM_LINE:
        alarmLines_ = !alarmLines_;
        return true;
    default:
        if (id >= ID_UNIT_0 && id <= ID_UNIT_4) {
            unitIndex_ = id - ID_UNIT_0;
            doc_->recording().unitIndex = unitIndex_;
            return true;
        }
        return false;
    }
}

bool CSkeinView::isCommandChecked(int id) const {
    switch (id) {
    case ID_GRID_X:
        return gridX_;
    case ID_GRID_Y:
        return gridY_;
    case ID_MASK_POINTS:
        return maskPoints_;
    case ID_ALARM_LINE:
        return alarmLines_;
    default:
        return id >= ID_UNIT_0 && id <= ID_UNIT_4 && unitIndex_ == id - ID_UNIT_0;
    }
}

void CSkeinView::printPage(QPainter&, QPrinter&) {}

void CSkeinView::closeEvent(QCloseEvent* event) {
    if (shownSamples_ <= 1) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tip"), QStringLiteral("Close Window?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() == QMessageBox::Yes)
        event->accept();
    else
        event->ignore();
}

} // namespace quillmark
