#pragma once
// The recent-file list of the File menu: at most four paths, the newest first, kept in the
// per-user settings under "Local AppWizard-Generated Applications/Quillmark".
#include <QString>
#include <QStringList>

namespace quillmark {

class RecentFileList {
public:
    static constexpr int kMaxEntries = 4;

    const QStringList& entries() const { return entries_; }
    // Moves `path` to the front (adding it when new) and drops what falls beyond four.
    void add(const QString& path);
    void remove(const QString& path);

    void load();
    void save() const;

private:
    QStringList entries_;
};

} // namespace quillmark
