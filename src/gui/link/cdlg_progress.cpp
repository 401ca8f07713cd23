#include "gui/link/cdlg_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "core/link/wire_protocol.h"

namespace quillmark {

CDlgProgress::CDlgProgress(QWidget* parent)
    : QWidget(parent), pages_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("progressWindow"));
    pages_->setObjectName(QStringLiteral("progressPages"));
    bar_->setObjectName(QStringLiteral("progress1011"));
    bar_->setFormat(QStringLiteral("%p%"));
    bar_->setTextVisible(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(pages_);
    layout->addWidget(bar_);
}

QString CDlgProgress::pagesText(int position, int maximum) {
    const int pages = maximum / wire::kProgressPerPage;
    if (pages <= 0 || maximum % wire::kProgressPerPage != 0)
        return {};
    const int read = (position - pages * wire::kProgressStartPerPage) / wire::kProgressStepPerPage;
    if (read < 0 || read > pages)
        return {};
    return tr("%1 of %2 pages read").arg(read).arg(pages);
}

void CDlgProgress::setProgress(int position, int maximum) {
    bar_->setRange(0, maximum);
    bar_->setValue(position);
    pages_->setText(pagesText(position, maximum));
}

} // namespace quillmark
