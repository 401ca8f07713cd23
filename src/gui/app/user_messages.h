#pragma once
// The one way the windows show what the core has to tell the user.
#include <QString>

#include "core/common/user_message.h"
#include "core/link/logger_link.h"

class QMessageBox;
class QWidget;

namespace quillmark {

// Shows `message` as a modal box with an OK button over `parent` and returns once it has been
// answered. `objectName` names the box for tests.
void showDialogMessage(QWidget* parent, const DialogMessage& message,
                       const QString& objectName = QString());

// Widens a message box so that its caption fits in a title bar: a box as narrow as its short
// text would show "Statu…ation" for "Status Information".
void fitCaption(QMessageBox& box);

// A logger dialog's caption is the status line of its connection probe.
void setProbeCaption(QWidget* dialog, ProbeState state);

} // namespace quillmark
