#include "gui/app/user_messages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWidget>

#include "gui/app/ui_text.h"

namespace quillmark {

void showDialogMessage(QWidget* parent, const DialogMessage& message, const QString& objectName) {
    QMessageBox box(message.icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                             : QMessageBox::NoIcon,
                    uiText(message.caption), uiText(message.text), QMessageBox::Ok, parent);
    if (!objectName.isEmpty())
        box.setObjectName(objectName);
    if (!message.detail.empty())
        box.setDetailedText(QString::fromStdString(message.detail));
    fitCaption(box);
    box.exec();
}

void fitCaption(QMessageBox& box) {
    // Title bars draw in a bold face and keep room for the window manager's buttons and icon.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    constexpr int kTitleBarExtras = 160;
    const int wanted = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

void setProbeCaption(QWidget* dialog, ProbeState state) {
    dialog->setWindowTitle(uiText(probeCaption(state)));
}

} // namespace quillmark
