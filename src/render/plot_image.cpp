#include "render/plot_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>
#include <cmath>

#include "core/common/atomic_file.h"
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
                   std::string* error, const std::vector<std::string>& inputs, double ratio) {
    const QString name = QString::fromStdString(path);
    const bool png = name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    const bool svg = name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    if (!png && !svg)
        return fail(error, name, QStringLiteral("the name must end in .png or .svg"));
    if (frame.right - frame.left < 1 || frame.bottom - frame.top < 1)
        return fail(error, name, QStringLiteral("the plot has no area"));

    // The image is made in memory and handed to the one output path, which keeps the file
    // rules (devices in place, never onto an input, the earlier file kept on failure).
    const auto failure =
        writeOutputFile(path, inputs, [&](const OutputSink& sink, std::string* encodeError) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (png) {
                QImage image = renderPlotImage(scene, frame, ratio);
                // 96 dpi per frame pixel: a document places the sharper image at the 1x size.
                const int dotsPerMetre = static_cast<int>(std::lround(96.0 * ratio / 0.0254));
                image.setDotsPerMeterX(dotsPerMetre);
                image.setDotsPerMeterY(dotsPerMetre);
                if (!image.save(&buffer, "PNG")) {
                    *encodeError = "Cannot write " + path + ": PNG encoding failed";
                    return false;
                }
            } else {
                drawSvg(scene, frame, buffer);
            }
            return sink(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
    if (failure && error)
        *error = failure->message;
    return !failure;
}

} // namespace quillmark
