#include "gui/app/app_resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <string>
#include <string_view>

#include "core/common/atomic_file.h"
#include "gui/app/command_line.h"

static void initQrc() {
    Q_INIT_RESOURCE(app);
}

namespace quillmark {

void initAppResources() {
    static const bool done = [] {
        initQrc();
        return true;
    }();
    (void)done;
}

QIcon applicationIcon() {
    initAppResources();
    QIcon icon;
    for (int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillmark-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap toolbarStrip() {
    initAppResources();
    return QPixmap(QStringLiteral(":/icons/toolbar.png"));
}

QIcon toolbarIcon(int index) {
    static const QPixmap strip = toolbarStrip();
    return QIcon(strip.copy(index * 32, 0, 32, 32));
}

QString installedManualPath() {
    return QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath())
            .absoluteFilePath(QStringLiteral("../share/doc/quillmark/manual/index.html")));
}

QString manualPath() {
    const QString installed = installedManualPath();
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();

    initAppResources();
    QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty())
        cache = QDir::tempPath() + QStringLiteral("/quillmark");
    const QString target = cache + QStringLiteral("/manual");
    if (!QDir().mkpath(target))
        return {};
    QDirIterator it(QStringLiteral(":/manual"), QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        if (it.fileInfo().isDir())
            continue;
        const QString out = target + source.mid(QStringLiteral(":/manual").size());
        QDir().mkpath(QFileInfo(out).absolutePath());
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = in.readAll();
        const auto failure = writeOutputFile(
            encodeLocalPath(out).toStdString(), {}, [&bytes](const OutputSink& sink, std::string*) {
                return sink(
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            });
        if (failure)
            return {};
    }
    const QString index = target + QStringLiteral("/index.html");
    return QFileInfo::exists(index) ? index : QString();
}

} // namespace quillmark
