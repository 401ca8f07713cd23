#include "render/compared_drawing.h"

#include <QPen>
#include <QVector>
#include <algorithm>
#include <cstdlib>

#include "core/plot/compared_runs.h"
#include "render/fast_paths.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"

namespace quillmark {

namespace {

// A segment of a compared curve written straight into the image as the raster engine would
// draw it: vertical ones and joins to the next column, the only ones a dense view has, when
// all their pixels lie inside `clip`. False when the caller should stroke it.
bool writeSegment(const DirectTarget& target, const QRect& clip, QRgb ink, std::int64_t x1,
                  std::int64_t y1, std::int64_t x2, std::int64_t y2) {
    static SteepStroke vertical(comparedPen(QColor(0, 0, 0), 1), 0);
    static SteepStroke join(comparedPen(QColor(0, 0, 0), 1), 1);
    const std::int64_t run = x2 - x1;
    const std::int64_t rise = y2 - y1;
    if ((run != 0 && run != 1) || std::abs(rise) > SteepStroke::kMaxRise ||
        std::abs(x1) > kCoordLimit || std::abs(y1) > kCoordLimit) {
        return false;
    }
    const SteepStroke::Shape* shape = (run == 0 ? vertical : join).shape(int(rise));
    const int x = int(x1);
    const int y = int(y1);
    if (shape == nullptr || shape->right < shape->left || x + shape->left < clip.left() ||
        x + shape->right > clip.right() || y + shape->top < clip.top() ||
        y + shape->bottom > clip.bottom()) {
        return false;
    }
    if (shape->solid) {
        // A run's columns are one pixel wide and short: filled where they are, they stay in
        // the cache from one column to the next, which gathering them by row does not beat.
        target.fillRect(QRect(QPoint(x + shape->left, y + shape->top),
                              QPoint(x + shape->right, y + shape->bottom)),
                        ink);
        return true;
    }
    for (const SteepStroke::Span& sp : shape->spans) {
        QRgb* row = target.row(y + sp.dy) + x;
        std::fill(row + sp.dx1, row + sp.dx2 + 1, ink);
    }
    return true;
}

} // namespace

QPen comparedPen(const QColor& c, int penWidth) {
    return QPen(c, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

void drawComparedRuns(QPainter& p, const PlotScene& s, const CurveMapping& area, int penWidth,
                      bool reduced) {
    if (s.compared.empty() || !(area.xScale > 0.0)) {
        return;
    }
    // Taken before the clip below, which the direct writes keep to themselves.
    const DirectTarget target = reduced && penWidth == 1 ? DirectTarget::of(p) : DirectTarget{};
    const QRect clip = QRect(area.left, area.top, area.width + 1, area.height + 1) &
                       QRect(0, 0, target.width, target.height);
    p.save();
    p.setClipRect(QRect(area.left, area.top, area.width + 1, area.height + 1), Qt::IntersectClip);
    // Kept from frame to frame: fresh memory for thousands of points costs more than reuse.
    static thread_local ComparedPath path;
    QVector<QLine> lines;
    for (const ComparedCurve& c : s.compared) {
        if (reduced) {
            reduceComparedCurve(c, s.sampleInterval, area, path);
        } else {
            plainComparedCurve(c, s.sampleInterval, area, path);
        }
        const QColor colour = toQColor(c.colour);
        const bool direct = target.bits != nullptr && colour.alpha() == 255;
        const QRgb ink = colour.rgba();
        lines.clear();
        for (std::size_t k = 0; k < path.starts.size(); ++k) {
            const std::size_t from = path.starts[k];
            const std::size_t to = k + 1 < path.starts.size() ? path.starts[k + 1] : path.xs.size();
            for (std::size_t i = from; i + 1 < to; ++i) {
                const std::int64_t x = path.xs[i];
                if (direct && path.xs[i + 1] == x) {
                    // A column's chained vertical segments cover the rows between their
                    // extremes: one segment over them gives the same pixels.
                    std::int64_t top = std::min(path.ys[i], path.ys[i + 1]);
                    std::int64_t bottom = std::max(path.ys[i], path.ys[i + 1]);
                    for (; i + 2 < to && path.xs[i + 2] == x; ++i) {
                        top = std::min(top, path.ys[i + 2]);
                        bottom = std::max(bottom, path.ys[i + 2]);
                    }
                    if (!writeSegment(target, clip, ink, x, top, x, bottom)) {
                        addSegment(lines, x, top, x, bottom);
                    }
                    continue;
                }
                if (direct && writeSegment(target, clip, ink, x, path.ys[i], path.xs[i + 1],
                                           path.ys[i + 1])) {
                    continue;
                }
                addSegment(lines, x, path.ys[i], path.xs[i + 1], path.ys[i + 1]);
            }
        }
        // Square ends: every segment covers both its end pixels, so a column's path drawn
        // from its extremes covers what its segments would.
        p.setPen(comparedPen(colour, penWidth));
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
    // Only the outline: the plain curve's dots leave their brush set (in print and SVG).
    p.setBrush(Qt::NoBrush);
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
