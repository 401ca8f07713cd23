#include "gui/app/recent_file_list.h"

#include <QFileInfo>
#include <QSettings>

#include "gui/app/app_resources.h"

namespace quillmark {
namespace {

QSettings profile() {
    // The subkey is the application title.
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), kApplicationTitle);
}

QString canonical(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.absoluteFilePath() : path;
}

} // namespace

void RecentFileList::add(const QString& path) {
    const QString full = canonical(path);
    entries_.removeAll(full);
    entries_.prepend(full);
    while (entries_.size() > kMaxEntries)
        entries_.removeLast();
}

void RecentFileList::remove(const QString& path) {
    entries_.removeAll(canonical(path));
}

void RecentFileList::load() {
    QSettings settings = profile();
    entries_.clear();
    for (int i = 1; i <= kMaxEntries; ++i) {
        const QString value =
            settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!value.isEmpty() && !entries_.contains(value))
            entries_.append(value);
    }
}

void RecentFileList::save() const {
    QSettings settings = profile();
    settings.remove(QStringLiteral("Recent File List"));
    for (int i = 0; i < entries_.size(); ++i)
        settings.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), entries_[i]);
}

} // namespace quillmark
