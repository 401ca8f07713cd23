#include "render/compared_drawing.h"

#include <QPen>
#include <QVector>
#include <algorithm>

#include "core/plot/compared_runs.h"
#include "render/fast_paths.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"

namespace quillmark {

void drawComparedRuns(QPainter& p, const PlotScene& s, const CurveMapping& area, int penWidth,
                      bool reduced) {
    if (s.compared.empty() || !(area.xScale > 0.0)) {
        return;
    }
    p.save();
    p.setClipRect(QRect(area.left, area.top, area.width + 1, area.height + 1), Qt::IntersectClip);
    ComparedPath path;
    QVector<QLine> lines;
    for (const ComparedCurve& c : s.compared) {
        if (reduced) {
            reduceComparedCurve(c, s.sampleInterval, area, path);
        } else {
            plainComparedCurve(c, s.sampleInterval, area, path);
        }
        lines.clear();
        for (std::size_t k = 0; k < path.starts.size(); ++k) {
            const std::size_t from = path.starts[k];
            const std::size_t to = k + 1 < path.starts.size() ? path.starts[k + 1] : path.xs.size();
            for (std::size_t i = from; i + 1 < to; ++i) {
                addSegment(lines, path.xs[i], path.ys[i], path.xs[i + 1], path.ys[i + 1]);
            }
        }
        // Square ends: every segment covers both its end pixels, so a column's path drawn
        // from its extremes covers what its segments would.
        p.setPen(QPen(toQColor(c.colour), penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawLines(lines);
    }
    p.restore();
}

void drawComparedLegend(QPainter& p, const PlotScene& s, const CurveMapping& area, int fontHeight,
                        int penWidth) {
    if (s.compared.empty()) {
        return;
    }
    p.save();
    p.setClipRect(QRect(area.left, area.top, area.width + 1, area.height + 1), Qt::IntersectClip);
    const QFont font = plotFont(fontHeight);
    p.setFont(font);
    const QFontMetrics fm(font);
    const int lh = labelLineHeight(fm);
    const int swatch = std::max(8, fontHeight);
    const int pad = std::max(3, fontHeight / 4);
    std::vector<std::pair<ColourRef, QString>> rows;
    rows.emplace_back(s.colours.line, QString::fromStdString(s.shownLabel));
    for (const ComparedCurve& c : s.compared) {
        rows.emplace_back(c.colour, QString::fromStdString(c.label));
    }
    int textWidth = 0;
    for (const auto& r : rows) {
        textWidth = std::max(textWidth, fm.horizontalAdvance(r.second));
    }
    const int boxWidth = pad + swatch + pad + textWidth + pad;
    const int boxHeight = pad + static_cast<int>(rows.size()) * lh + pad;
    // Inside the plot area, below its top edge: the statistics texts sit above that edge.
    const QRect box(area.left + area.width - pad - boxWidth, area.top + pad + 1, boxWidth,
                    boxHeight);
    p.fillRect(box, toQColor(s.colours.background));
    p.setPen(QPen(toQColor(s.colours.grid), penWidth));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QColor text = toQColor(readableTextColour(s.colours.background));
    int y = box.top() + pad;
    for (const auto& r : rows) {
        const int mid = y + lh / 2;
        p.fillRect(
            QRect(box.left() + pad, mid - std::max(1, penWidth), swatch, 2 * std::max(1, penWidth)),
            toQColor(r.first));
        p.setPen(text);
        p.drawText(QPoint(box.left() + pad + swatch + pad, y + fm.ascent()), r.second);
        y += lh;
    }
    p.restore();
}

} // namespace quillmark
