#include "gui/app/app_resources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "core/common/atomic_file.h"
#include "core/plot/plot_colours.h"
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

namespace {

// Renders an SVG picture at whatever size and device pixel ratio is asked for, so the icon is
// sharp at every screen scale; disabled icons are greyed as the style greys pixmaps.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray svg) : svg_(std::move(svg)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` is in device pixels already (QIcon::pixmap multiplies by the ratio).
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            QSvgRenderer(svg_).render(&p, QRectF(QPointF(0, 0), QSizeF(image.size())));
        }
        QPixmap pm = QPixmap::fromImage(std::move(image));
        if (mode == QIcon::Disabled && QApplication::style()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SvgIconEngine(svg_); }

private:
    QByteArray svg_;
};

// The pictures' dark outline colour, replaced where it would not stand out from the toolbar.
constexpr char kOutlineInk[] = "#282830";

ColourRef colourRef(const QColor& c) {
    return rgbColour(c.red(), c.green(), c.blue());
}

} // namespace

QString toolbarIconPath(int index) {
    static const char* const names[] = {"download", "setting", "open", "save", "print",
                                        "view_all", "zoom_in", "move", "about"};
    if (index < 0 || index >= int(std::size(names)))
        return {};
    return QStringLiteral(":/icons/toolbar/%1.svg").arg(QLatin1String(names[index]));
}

QColor toolbarOutline(const QPalette& palette) {
    const QColor ink = QColor::fromString(QLatin1String(kOutlineInk));
    const ColourRef under = colourRef(palette.color(QPalette::Window));
    // Large graphical shapes need 3:1 against what they sit on.
    if (contrastRatio(colourRef(ink), under) >= 3.0)
        return ink;
    return palette.color(QPalette::WindowText);
}

QIcon toolbarIcon(int index, const QPalette& palette) {
    initAppResources();
    QFile file(toolbarIconPath(index));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    svg.replace(kOutlineInk, toolbarOutline(palette).name().toLatin1());
    return QIcon(new SvgIconEngine(std::move(svg)));
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
