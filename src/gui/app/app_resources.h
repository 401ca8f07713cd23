#pragma once
// Images and the manual compiled into the program, and the user-visible constants shared by
// the windows.
#include <QIcon>
#include <QPixmap>
#include <QString>

#include "core/common/user_message.h"

namespace quillmark {

inline const QString kApplicationTitle = QString::fromLatin1(kAppTitle);
inline const QString kNewDocumentTitle = QStringLiteral("DataLogger");
inline const QString kDocumentFilter = QStringLiteral("Logger Files (*.smpq)");

// Registers the compiled-in resources once (the GUI library is static).
void initAppResources();

QIcon applicationIcon();
// The 288 x 32 strip of the nine toolbar pictures, left to right.
QPixmap toolbarStrip();
QIcon toolbarIcon(int index);

// Path of the HTML manual: the installed copy next to the program's share folder when present,
// else the compiled-in copy written out to the user's cache folder. Empty when neither works.
QString manualPath();
// Where the installation puts the manual (whether or not it is there).
QString installedManualPath();

} // namespace quillmark
