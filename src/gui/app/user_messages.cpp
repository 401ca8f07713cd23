#include "gui/app/user_messages.h"

#include <QMessageBox>
#include <QWidget>

namespace quillmark {

void showDialogMessage(QWidget* parent, const DialogMessage& message, const QString& objectName) {
    QMessageBox box(message.icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                             : QMessageBox::NoIcon,
                    QString::fromStdString(message.caption), QString::fromStdString(message.text),
                    QMessageBox::Ok, parent);
    if (!objectName.isEmpty())
        box.setObjectName(objectName);
    if (!message.detail.empty())
        box.setDetailedText(QString::fromStdString(message.detail));
    box.exec();
}

void setProbeCaption(QWidget* dialog, ProbeState state) {
    dialog->setWindowTitle(QString::fromLatin1(probeCaption(state)));
}

} // namespace quillmark
