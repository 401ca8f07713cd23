#include "gui/app/file_folders.h"

#include <QFileInfo>
#include <QSettings>

#include "gui/app/app_resources.h"

namespace quillmark {
namespace {

QString key(FileKind kind) {
    switch (kind) {
    case FileKind::Exports:
        return QStringLiteral("Folders/Exports");
    case FileKind::Images:
        return QStringLiteral("Folders/Images");
    case FileKind::Reports:
        return QStringLiteral("Folders/Reports");
    case FileKind::Recordings:
        break;
    }
    return QStringLiteral("Folders/Recordings");
}

QSettings profile() {
    // The same place as the recent-file list.
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), kApplicationTitle);
}

} // namespace

QString rememberedFolder(FileKind kind) {
    const QString folder = profile().value(key(kind)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolder(FileKind kind, const QString& chosenFile) {
    if (chosenFile.isEmpty())
        return;
    QSettings settings = profile();
    settings.setValue(key(kind), QFileInfo(chosenFile).absolutePath());
}

} // namespace quillmark
