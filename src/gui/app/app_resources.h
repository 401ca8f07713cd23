#pragma once
// Images and the manual compiled into the program, and the user-visible constants shared by
// the windows.
#include <QColor>
#include <QIcon>
#include <QPalette>
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
// The nine toolbar pictures, left to right (Download .. About), drawn from SVG at every size
// and screen scale. Their dark outlines take the palette's window text colour where they
// would have less than 3:1 contrast with its window colour (a dark theme).
QIcon toolbarIcon(int index, const QPalette& palette);
QString toolbarIconPath(int index);
QColor toolbarOutline(const QPalette& palette);

// Path of the HTML manual: the installed copy next to the program's share folder when present,
// else the compiled-in copy written out to the user's cache folder. Empty when neither works.
QString manualPath();
// Where the installation puts the manual (whether or not it is there).
QString installedManualPath();

} // namespace quillmark
