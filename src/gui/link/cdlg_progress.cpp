#include "gui/link/cdlg_progress.h"

#include <QHBoxLayout>
#include <QProgressBar>

namespace quillmark {

CDlgProgress::CDlgProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("progressWindow"));
    bar_->setObjectName(QStringLiteral("progress1011"));
    bar_->setTextVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(bar_);
    setFixedSize(314, 38); // 209 x 23 dialog units
}

QPoint CDlgProgress::placement(const QRect& client, const QSize& outer) {
    return {client.left() + client.width() / 2 - outer.width() / 2, client.top() + outer.height()};
}

void CDlgProgress::placeOver(QWidget* mainWindow) {
    if (!mainWindow)
        return;
    const QRect client(mainWindow->mapToGlobal(QPoint(0, 0)), mainWindow->size());
    move(placement(client, frameGeometry().size()));
}

} // namespace quillmark
