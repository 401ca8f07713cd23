#include "render/plot_image.h"

#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <QSvgGenerator>

#include "render/draw_plot.h"
#include "render/qt_colour.h"

namespace quillmark {
namespace {

bool fail(std::string* error, const QString& path, const QString& reason) {
    if (error)
        *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, reason).toStdString();
    return false;
}

void drawSvg(const PlotScene& scene, const PlotFrame& frame, QIODevice& out) {
    const QRect area(0, 0, frame.right - frame.left, frame.bottom - frame.top);
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(area.size());
    // At the usual screen density one SVG pixel is one screen pixel, as in the PNG.
    svg.setResolution(96);
    svg.setViewBox(area);
    svg.setTitle(QStringLiteral("Quillmark plot"));
    QPainter painter(&svg);
    painter.fillRect(area, toQColor(scene.colours.background));
    DrawPlot(scene, frame, painter);
}

} // namespace

bool savePlotImage(const PlotScene& scene, const PlotFrame& frame, const std::string& path,
                   std::string* error) {
    const QString name = QString::fromStdString(path);
    const bool png = name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    const bool svg = name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    if (!png && !svg)
        return fail(error, name, QStringLiteral("the name must end in .png or .svg"));
    if (frame.right - frame.left < 1 || frame.bottom - frame.top < 1)
        return fail(error, name, QStringLiteral("the plot has no area"));

    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, name, file.errorString());
    if (png) {
        if (!renderPlotImage(scene, frame).save(&file, "PNG"))
            return fail(error, name,
                        file.error() != QFileDevice::NoError
                            ? file.errorString()
                            : QStringLiteral("PNG encoding failed"));
    } else {
        drawSvg(scene, frame, file);
    }
    if (!file.commit())
        return fail(error, name, file.errorString());
    return true;
}

} // namespace quillmark
