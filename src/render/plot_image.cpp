#include "render/plot_image.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>

#include "render/draw_plot.h"
#include "render/qt_colour.h"

namespace quillmark {
namespace {

void fail(std::string* error, const std::string& why) {
    if (error)
        *error = why;
}

} // namespace

bool savePlotImage(const PlotScene& scene, const PlotFrame& frame, const std::string& path,
                   std::string* error) {
    const QString file = QString::fromStdString(path);
    const QString lower = file.toLower();
    if (lower.endsWith(QLatin1String(".png"))) {
        const QImage image = renderPlotImage(scene, frame);
        if (!image.save(file, "PNG")) {
            fail(error, "cannot write " + path);
            return false;
        }
        return true;
    }
    if (lower.endsWith(QLatin1String(".svg"))) {
        // QSvgGenerator reports no write errors: check the file can be written first.
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(error, "cannot write " + path + ": " + probe.errorString().toStdString());
            return false;
        }
        probe.close();
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(frame.left, frame.top, width, height));
        svg.setTitle(QStringLiteral("Quillmark plot"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            fail(error, "cannot write " + path);
            return false;
        }
        painter.fillRect(QRect(frame.left, frame.top, width, height),
                         toQColor(scene.colours.background));
        DrawPlot(scene, frame, painter);
        if (!painter.end()) {
            fail(error, "cannot write " + path);
            return false;
        }
        return true;
    }
    fail(error, "the image type must be .png or .svg: " + path);
    return false;
}

} // namespace quillmark
