#include "render/reduced_curve.h"

#include <QPen>
#include <QThreadPool>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "render/fast_paths.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"

namespace quillmark {

namespace {

// The band of dots drawn at each column, by x from `first`: pixels already covered.
struct Bands {
    std::int64_t first = 0;
    std::vector<QRect> rects;

    QRect at(std::int64_t x) const {
        const std::int64_t k = x - first;
        return k >= 0 && k < std::int64_t(rects.size()) ? rects[std::size_t(k)] : QRect();
    }
    // Whether the rectangle's rows are all inside a or b, with its columns inside both.
    static bool cover(const QRect& a, const QRect& b, const QRect& r) {
        if (a.isEmpty() || b.isEmpty() || r.left() < std::max(a.left(), b.left()) ||
            r.right() > std::min(a.right(), b.right())) {
            return false;
        }
        const QRect& upper = a.top() <= b.top() ? a : b;
        const QRect& lower = a.top() <= b.top() ? b : a;
        if (lower.top() <= upper.bottom() + 1) {
            return r.top() >= upper.top() && r.bottom() <= std::max(upper.bottom(), lower.bottom());
        }
        return (r.top() >= upper.top() && r.bottom() <= upper.bottom()) ||
               (r.top() >= lower.top() && r.bottom() <= lower.bottom());
    }
};

// Columns whose rectangles are filled together, and the fewest shared rows worth it.
constexpr std::size_t kRectBlock = 32;
constexpr int kCoreWorth = 8;

// A rectangle of one column's vertical segments, or a join from column x to x + 1.
struct PathRect {
    int x;
    QRect rect;
};
struct PathJoin {
    int x;
    int y;
    int rise;
    std::size_t rectAfter; // index of the first rectangle after the join
};

// Whether the span of a join is inside a rectangle already drawn, in coordinates relative to
// the join's start.
bool spanInside(const SteepStroke::Span& sp, const QRect& r) {
    return sp.dy >= r.top() && sp.dy <= r.bottom() && sp.dx1 >= r.left() && sp.dx2 <= r.right();
}

// The curve and dots of the reduced drawing, column by column from left to right, so each
// part of the image is visited once while it is still in the cache.
void drawReducedCurve(const ReducedCurve& r, const Bands& bands, const DotStamp* dot, bool path,
                      TallFills& tall, QPainter& p, const QColor& colour) {
    static const VerticalStroke vertical;
    static SteepStroke steep;
    // Consecutive vertical segments in one column make one rectangle: their rows join at the
    // shared points.
    const bool mergeVertical = vertical.valid && vertical.top <= vertical.bottom + 1;
    const DirectTarget target = colour.alpha() == 255 ? DirectTarget::of(p) : DirectTarget{};
    const QRgb ink = colour.rgba();
    std::vector<PathRect> rects;
    std::vector<PathJoin> joins;
    QVector<QLine> lines;
    bool pending = false;
    int runX = 0;
    int runTop = 0;
    int runBottom = 0;
    const auto flush = [&] {
        if (pending) {
            rects.push_back({runX, vertical.rect(runX, runTop, runBottom)});
            pending = false;
        }
    };
    for (std::size_t i = 0; path && i + 1 < r.xs.size(); ++i) {
        const bool inRange = std::abs(r.ys[i]) < kCoordLimit &&
                             std::abs(r.ys[i + 1]) < kCoordLimit && std::abs(r.xs[i]) < kCoordLimit;
        const int x = int(r.xs[i]);
        const int y1 = int(r.ys[i]);
        const int y2 = int(r.ys[i + 1]);
        if (vertical.valid && r.xs[i] == r.xs[i + 1] && r.ys[i] != r.ys[i + 1] && inRange) {
            if (pending && mergeVertical && runX == x) {
                runTop = std::min({runTop, y1, y2});
                runBottom = std::max({runBottom, y1, y2});
            } else {
                flush();
                pending = true;
                runX = x;
                runTop = std::min(y1, y2);
                runBottom = std::max(y1, y2);
            }
            continue;
        }
        flush();
        if (inRange && r.xs[i + 1] == r.xs[i] + 1 && steep.shape(y2 - y1) != nullptr) {
            joins.push_back({x, y1, y2 - y1, rects.size()});
            continue;
        }
        addSegment(lines, r.xs[i], r.ys[i], r.xs[i + 1], r.ys[i + 1]);
    }
    flush();

    const auto fill = [&](const QRect& rect) {
        if (rect.isEmpty() || tall.take(rect)) {
            return;
        }
        if (target.bits != nullptr) {
            target.fillRect(rect, ink);
        } else {
            p.fillRect(rect, colour);
        }
    };
    // The rows of each image column the rectangles surely fill (first > second when none).
    // Everything is one opaque ink, so a dot or join inside them need not be drawn. A
    // rectangle hidden under dots is left out, and so is the one after it, which leaves the
    // rows it shares with that one to it.
    const auto hiddenRect = [&](std::size_t k) {
        return bands.at(rects[k].x).contains(rects[k].rect);
    };
    std::vector<std::pair<int, int>> filled;
    if (target.bits != nullptr && !rects.empty()) {
        for (std::size_t k = 0; k < rects.size(); ++k) {
            if (hiddenRect(k) || (k > 0 && hiddenRect(k - 1))) {
                continue;
            }
            const QRect& rc = rects[k].rect;
            if (filled.empty()) {
                filled.assign(std::size_t(target.width), {1, 0});
            }
            for (int c = std::max(rc.left(), 0); c <= std::min(rc.right(), target.width - 1); ++c) {
                auto& [top, bottom] = filled[std::size_t(c)];
                if (top > bottom) {
                    top = rc.top();
                    bottom = rc.bottom();
                } else if (rc.top() <= bottom + 1 && rc.bottom() >= top - 1) {
                    top = std::min(top, rc.top());
                    bottom = std::max(bottom, rc.bottom());
                } else if (rc.height() > bottom - top + 1) {
                    top = rc.top();
                    bottom = rc.bottom();
                }
            }
        }
    }
    const auto alreadyFilled = [&](std::int64_t left, std::int64_t top, std::int64_t right,
                                   std::int64_t bottom) {
        if (filled.empty() || left < 0 || right >= target.width) {
            return false;
        }
        for (std::int64_t c = left; c <= right; ++c) {
            const auto& rows = filled[std::size_t(c)];
            if (rows.first > top || rows.second < bottom) {
                return false;
            }
        }
        return true;
    };
    const auto drawRect = [&](std::size_t k) {
        const QRect& rect = rects[k].rect;
        if (bands.at(rects[k].x).contains(rect)) {
            return;
        }
        // Where the rectangle of the column before overlaps, only the new right column is new.
        const QRect before = k > 0 ? rects[k - 1].rect : QRect();
        const int shareTop = std::max(rect.top(), before.top());
        const int shareBottom = std::min(rect.bottom(), before.bottom());
        if (k == 0 || before.left() + 1 != rect.left() || before.width() != rect.width() ||
            shareTop > shareBottom) {
            fill(rect);
            return;
        }
        fill(QRect(QPoint(rect.left(), rect.top()), QPoint(rect.right(), shareTop - 1)));
        fill(QRect(QPoint(rect.right(), shareTop), QPoint(rect.right(), shareBottom)));
        fill(QRect(QPoint(rect.left(), shareBottom + 1), QPoint(rect.right(), rect.bottom())));
    };
    // Neighbouring columns' rectangles share the rows all of them cover: those are filled
    // row by row in one rectangle, and each column only adds its rows above and below.
    std::size_t drawnRects = 0;
    const auto drawRectsFrom = [&](std::size_t k) {
        if (k < drawnRects) {
            return;
        }
        const auto& hidden = hiddenRect;
        std::size_t e = k + 1;
        int coreTop = rects[k].rect.top();
        int coreBottom = rects[k].rect.bottom();
        while (!hidden(k) && e < rects.size() && e - k < kRectBlock &&
               rects[e].x == rects[e - 1].x + 1 && !hidden(e)) {
            coreTop = std::max(coreTop, rects[e].rect.top());
            coreBottom = std::min(coreBottom, rects[e].rect.bottom());
            ++e;
        }
        drawnRects = e;
        if (e - k < 2 || coreBottom - coreTop < kCoreWorth) {
            for (std::size_t i = k; i < e; ++i) {
                drawRect(i);
            }
            return;
        }
        fill(QRect(QPoint(rects[k].rect.left(), coreTop),
                   QPoint(rects[e - 1].rect.right(), coreBottom)));
        for (std::size_t i = k; i < e; ++i) {
            const QRect& rect = rects[i].rect;
            fill(QRect(QPoint(rect.left(), rect.top()), QPoint(rect.right(), coreTop - 1)));
            fill(QRect(QPoint(rect.left(), coreBottom + 1), QPoint(rect.right(), rect.bottom())));
        }
    };
    const auto drawJoin = [&](const PathJoin& j) {
        const SteepStroke::Shape& shape = *steep.shape(j.rise);
        if (shape.right >= shape.left &&
            Bands::cover(bands.at(j.x), bands.at(j.x + 1),
                         QRect(QPoint(j.x + shape.left, j.y + shape.top),
                               QPoint(j.x + shape.right, j.y + shape.bottom)))) {
            return;
        }
        if (shape.right >= shape.left &&
            alreadyFilled(std::int64_t(j.x) + shape.left, std::int64_t(j.y) + shape.top,
                          std::int64_t(j.x) + shape.right, std::int64_t(j.y) + shape.bottom)) {
            return;
        }
        if (target.bits == nullptr || !steep.fits(target, j.x, j.y, j.rise)) {
            addSegment(lines, j.x, j.y, j.x + 1, j.y + j.rise);
            return;
        }
        // Most of a steep join lies inside the rectangles of its two columns.
        const QPoint origin(j.x, j.y);
        const QRect left = j.rectAfter > 0 && rects[j.rectAfter - 1].x == j.x
                               ? rects[j.rectAfter - 1].rect.translated(-origin)
                               : QRect();
        const QRect right = j.rectAfter < rects.size() && rects[j.rectAfter].x == j.x + 1
                                ? rects[j.rectAfter].rect.translated(-origin)
                                : QRect();
        const auto put = [&](std::size_t from, std::size_t to, const QRect& a, const QRect& b) {
            for (std::size_t i = from; i < to; ++i) {
                const SteepStroke::Span& sp = shape.spans[i];
                if (!spanInside(sp, a) && !spanInside(sp, b)) {
                    QRgb* row = target.row(j.y + sp.dy) + j.x;
                    std::fill(row + sp.dx1, row + sp.dx2 + 1, ink);
                }
            }
        };
        // Going down the join starts in the left column's rectangle and ends in the right
        // one's; going up the other way round. Spans at either end that stay within that
        // rectangle's columns are hidden where its rows are: found by row, not one by one.
        const QRect& first = j.rise >= 0 ? left : right;
        const QRect& last = j.rise >= 0 ? right : left;
        const std::size_t n = shape.spans.size();
        const std::size_t head =
            first.isEmpty() ? 0 : shape.headWithin(first.left(), first.right());
        const std::size_t tail =
            std::max(head, last.isEmpty() ? n : shape.tailFrom(last.left(), last.right()));
        const auto rows = [&](std::size_t from, std::size_t to, const QRect& rect) {
            const auto b = shape.spans.begin();
            const auto lo = std::lower_bound(b + from, b + to, rect.top(),
                                             [](const auto& sp, int y) { return sp.dy < y; });
            const auto hi = std::upper_bound(lo, b + to, rect.bottom(),
                                             [](int y, const auto& sp) { return y < sp.dy; });
            return std::pair<std::size_t, std::size_t>(lo - b, hi - b);
        };
        const QRect none;
        if (head > 0) {
            const auto [lo, hi] = rows(0, head, first);
            put(0, lo, none, none);
            put(hi, head, none, none);
        }
        put(head, tail, left, right);
        if (tail < n) {
            const auto [lo, hi] = rows(tail, n, last);
            put(tail, lo, none, none);
            put(hi, n, none, none);
        }
    };
    // The rows filled under every column a dot centred in each column reaches: one look-up a
    // dot instead of one a column.
    std::vector<std::pair<int, int>> dotFilled;
    if (dot != nullptr && !filled.empty()) {
        const QRect& ext = dot->extent();
        dotFilled.assign(filled.size(), {1, 0});
        for (int x = std::max(0, -ext.left()); x + ext.right() < target.width; ++x) {
            auto& [top, bottom] = dotFilled[std::size_t(x)];
            top = std::numeric_limits<int>::min();
            bottom = std::numeric_limits<int>::max();
            for (int c = x + ext.left(); c <= x + ext.right(); ++c) {
                top = std::max(top, filled[std::size_t(c)].first);
                bottom = std::min(bottom, filled[std::size_t(c)].second);
            }
        }
    }
    QRect bandBefore;
    const auto drawDots = [&](const DotRun& d) {
        const int x = clampCoord(d.x);
        const int yTop = clampCoord(d.yTop);
        const int yBottom = clampCoord(d.yBottom);
        const QRect& ext = dot->extent();
        const bool hidden = x >= 0 && std::size_t(x) < dotFilled.size() &&
                            dotFilled[std::size_t(x)].first <= yTop + ext.top() &&
                            dotFilled[std::size_t(x)].second >= yBottom + ext.bottom();
        if (!hidden) {
            dot->stampRun(p, x, yTop, yBottom, colour, bandBefore);
        }
        if (yTop != yBottom) {
            bandBefore = dot->band(x, yTop, yBottom);
        }
    };
    const std::size_t nDots = dot != nullptr ? r.dots.size() : 0;
    std::size_t di = 0;
    std::size_t ri = 0;
    std::size_t ji = 0;
    constexpr std::int64_t kEnd = std::numeric_limits<std::int64_t>::max();
    while (di < nDots || ri < rects.size() || ji < joins.size()) {
        const std::int64_t x =
            std::min({di < nDots ? r.dots[di].x : kEnd, ri < rects.size() ? rects[ri].x : kEnd,
                      ji < joins.size() ? joins[ji].x : kEnd});
        for (; di < nDots && r.dots[di].x == x; ++di) {
            drawDots(r.dots[di]);
        }
        for (; ri < rects.size() && rects[ri].x == x; ++ri) {
            drawRectsFrom(ri);
        }
        for (; ji < joins.size() && joins[ji].x == x; ++ji) {
            drawJoin(joins[ji]);
        }
    }
    tall.flush(ink);
    p.setPen(curvePen(colour));
    p.drawLines(lines);
}

// The scene's summary when it belongs to its samples, else one built into `local`.
const SampleSummary& summaryOf(const PlotScene& s, SampleSummary& local) {
    if (s.summary != nullptr && s.summary->samples() == s.samples &&
        s.summary->count() == s.sampleCount) {
        return *s.summary;
    }
    local.build(s.samples, s.sampleCount);
    return local;
}

} // namespace

CurveMapping reducedCurveMapping(const CurveMapping& m, const QColor& colour, double scale,
                                 int dotRunGap) {
    CurveMapping mapping = m;
    if (scale == 1.0) {
        mapping.dotRunGap = dotRunGap;
        return mapping;
    }
    mapping.dotRunGap = 1; // every row of a run holds a dot centre
    mapping.reach = std::max(mapping.reach, scaledWidth(1, scale) +
                                                scaledWidth(dotPen(colour).width(), scale) + 2);
    mapping.keepStill = true;
    return mapping;
}

void CurveAhead::start(const PlotScene& s, const CurveMapping& mapping) {
    wait();
    mapping_ = mapping;
    // The calling thread's: kept from frame to frame like the drawing's own.
    static thread_local ReducedCurve kept;
    curve_ = &kept;
    const SampleSummary* summary = &summaryOf(s, local_);
    const bool dots = s.showMaskPoints;
    started_ = true;
    auto job = [this, summary, dots] {
        try {
            reduceCurve(*summary, mapping_, dots, *curve_);
        } catch (...) {
            failed_ = std::current_exception();
        }
        done_.release();
    };
    if (!QThreadPool::globalInstance()->tryStart(job)) {
        job();
    }
}

void CurveAhead::wait() {
    if (started_) {
        done_.acquire();
        started_ = false;
    }
}

ReducedCurve* CurveAhead::take(const CurveMapping& mapping) {
    if (curve_ == nullptr) {
        return nullptr;
    }
    wait();
    if (failed_) {
        std::rethrow_exception(std::exchange(failed_, nullptr));
    }
    ReducedCurve* curve = mapping == mapping_ ? curve_ : nullptr;
    curve_ = nullptr;
    return curve;
}

namespace {

// The curve reduced under `mapping`: taken from `ahead` when it was reduced there, else
// reduced here into `own`.
ReducedCurve& reducedOnce(const PlotScene& s, const CurveMapping& mapping, CurveAhead* ahead,
                          ReducedCurve& own) {
    if (ReducedCurve* done = ahead != nullptr ? ahead->take(mapping) : nullptr) {
        return *done;
    }
    SampleSummary local;
    reduceCurve(summaryOf(s, local), mapping, s.showMaskPoints, own);
    return own;
}

} // namespace

void drawCurveReduced(const PlotScene& s, const CurveMapping& m, QPainter& p, const QColor& colour,
                      CurveAhead* ahead) {
    DotStamp dot(colour, p);
    TallFills tall(colour.alpha() == 255 ? DirectTarget::of(p) : DirectTarget{});
    dot.deferTallFills(&tall);
    // Kept from frame to frame: a noisy view holds a dot run per sample, and fresh memory for
    // them on every frame costs more than filling it.
    static thread_local ReducedCurve own;
    ReducedCurve& r = reducedOnce(s, reducedCurveMapping(m, colour, 1.0, dot.runGap()), ahead, own);
    // The band each column's dots fill hides much of the curve in a dense column.
    Bands bands;
    if (s.showMaskPoints && !r.dots.empty()) {
        bands.first = r.dots.front().x;
        bands.rects.resize(std::size_t(r.dots.back().x - bands.first + 1));
        for (const DotRun& d : r.dots) {
            const QRect band = dot.band(clampCoord(d.x), clampCoord(d.yTop), clampCoord(d.yBottom));
            QRect& kept = bands.rects[std::size_t(d.x - bands.first)];
            if (band.height() > kept.height()) {
                kept = band;
            }
        }
    }
    // Segments from every sample but the last: when all of them land on one pixel the path is
    // a single point, which the plain drawing strokes as zero-length segments.
    const bool segments = std::max<std::int64_t>(truncToInt64(s.xOffset), 0) < s.sampleCount - 1;
    if (segments && r.xs.size() == 1) {
        r.xs.push_back(r.xs.front());
        r.ys.push_back(r.ys.front());
    }
    drawReducedCurve(r, bands, s.showMaskPoints ? &dot : nullptr, segments && r.xs.size() > 1, tall,
                     p, colour);
}

namespace {

// The rows each image column's dots cover, as merged spans: gathered before anything is
// drawn, so the curve's pieces that lie wholly under the dots need not be drawn at all.
struct DotSpans {
    int first = 0;                    // column of begin[0]
    std::vector<std::uint32_t> begin; // per column into `spans`, one more than columns
    std::vector<std::pair<int, int>> spans;

    // Whether every pixel of the rectangle is under the dots.
    bool covers(const QRect& r) const {
        for (std::int64_t x = r.left(); x <= r.right(); ++x) {
            const std::int64_t k = x - first;
            if (k < 0 || k + 1 >= std::int64_t(begin.size())) {
                return false;
            }
            bool inside = false;
            for (std::uint32_t i = begin[std::size_t(k)]; i < begin[std::size_t(k) + 1]; ++i) {
                if (spans[i].first <= r.top() && spans[i].second >= r.bottom()) {
                    inside = true;
                    break;
                }
            }
            if (!inside) {
                return false;
            }
        }
        return true;
    }
};

// One dot drawn as the plain drawing draws it gives, per column of the dot, the rows it covers
// around its centre. A run of centres on consecutive rows then covers, in each such column,
// one span from the top centre's first row to the bottom centre's last: the union of the
// run's dots, found without stroking an ellipse per sample.
void gatherDotSpans(const std::vector<DotRun>& dots, const QColor& colour, int penWidth, int radius,
                    DotSpans& out) {
    const int half = radius + penWidth;
    QImage stamp(2 * half + 1, 2 * half + 1, QImage::Format_ARGB32);
    stamp.fill(Qt::transparent);
    {
        QPainter sp(&stamp);
        sp.setRenderHint(QPainter::Antialiasing, false);
        setDotInk(sp, colour, penWidth);
        drawScaledDot(sp, half, half, radius, penWidth);
    }
    std::vector<int> reachTop(std::size_t(2 * half + 1), 0);
    std::vector<int> reachBottom(std::size_t(2 * half + 1), -1); // empty where bottom < top
    for (int x = 0; x < stamp.width(); ++x) {
        for (int y = 0; y < stamp.height(); ++y) {
            if (qAlpha(stamp.pixel(x, y)) != 0) {
                if (reachBottom[std::size_t(x)] < reachTop[std::size_t(x)]) {
                    reachTop[std::size_t(x)] = y - half;
                }
                reachBottom[std::size_t(x)] = y - half;
            }
        }
    }
    // The reduction emits runs column by column from the left; keep that as a guarantee.
    std::vector<DotRun> sorted;
    const auto byX = [](const DotRun& a, const DotRun& b) { return a.x < b.x; };
    if (!std::is_sorted(dots.begin(), dots.end(), byX)) {
        sorted = dots;
        std::stable_sort(sorted.begin(), sorted.end(), byX);
    }
    const std::vector<DotRun>& runs = sorted.empty() ? dots : sorted;
    // Neighbouring runs overlap by most of a dot's width: each image column gathers the spans
    // of the runs within a dot's reach and merges them, so each pixel is written once.
    out.first = runs.front().x - half;
    out.begin.assign(1, 0);
    out.spans.clear();
    std::vector<std::pair<int, int>> col;
    std::size_t from = 0; // first run that can still reach the current column
    for (int x = out.first; x <= runs.back().x + half; ++x) {
        while (from < runs.size() && runs[from].x < x - half)
            ++from;
        col.clear();
        for (std::size_t k = from; k < runs.size() && runs[k].x <= x + half; ++k) {
            const std::size_t dx = std::size_t(x - runs[k].x + half);
            if (reachBottom[dx] >= reachTop[dx])
                col.emplace_back(runs[k].yTop + reachTop[dx], runs[k].yBottom + reachBottom[dx]);
        }
        if (!col.empty()) {
            std::sort(col.begin(), col.end());
            int top = col.front().first;
            int bottom = col.front().second;
            for (const auto& [t, b] : col) {
                if (t > bottom + 1) {
                    out.spans.emplace_back(top, bottom);
                    top = t;
                }
                bottom = std::max(bottom, b);
            }
            out.spans.emplace_back(top, bottom);
        }
        out.begin.push_back(std::uint32_t(out.spans.size()));
    }
}

} // namespace

void drawCurveReducedScaled(const PlotScene& s, const CurveMapping& m, QPainter& p,
                            const QColor& colour, double scale, CurveAhead* ahead) {
    const int dotPenWidth = scaledWidth(dotPen(colour).width(), scale);
    const int dotRadius = scaledWidth(1, scale);
    static thread_local ReducedCurve own;
    const ReducedCurve& r = reducedOnce(s, reducedCurveMapping(m, colour, scale, 1), ahead, own);
    // With one opaque ink the order of the pieces does not matter, and a piece under the dots
    // adds nothing: the dots are gathered first.
    const DirectTarget target = colour.alpha() == 255 ? DirectTarget::of(p) : DirectTarget{};
    static thread_local DotSpans dots;
    dots.begin.clear();
    if (s.showMaskPoints && !r.dots.empty()) {
        gatherDotSpans(r.dots, colour, dotPenWidth, dotRadius, dots);
    }
    const auto hidden = [&](const QRect& rect) {
        return target.bits != nullptr && dots.covers(rect);
    };
    if (std::max<std::int64_t>(truncToInt64(s.xOffset), 0) < s.sampleCount - 1) {
        QPen pen = curvePen(colour);
        pen.setWidth(scaledWidth(pen.width(), scale));
        // A wide aliased vertical segment is a rectangle: one short segment drawn once tells
        // how far it reaches past its end points, and the many vertical segments of a dense
        // view are then filled row by row instead of stroked one by one.
        QImage probe(4 * pen.width() + 8, 4 * pen.width() + 12, QImage::Format_ARGB32);
        probe.fill(Qt::transparent);
        const int c = 2 * pen.width() + 2;
        {
            QPainter pp(&probe);
            pp.setRenderHint(QPainter::Antialiasing, false);
            pp.setPen(pen);
            pp.drawLine(c, c, c, c + 4);
        }
        QRect reach;
        for (int y = 0; y < probe.height(); ++y)
            for (int x = 0; x < probe.width(); ++x)
                if (qAlpha(probe.pixel(x, y)) != 0)
                    reach |= QRect(x, y, 1, 1);
        const QMargins past(c - reach.left(), c - reach.top(), reach.right() - c,
                            reach.bottom() - (c + 4));
        // Past a slanted segment's end points the pen reaches no further than its width.
        const int slant = pen.width() + 1;
        TallFills tall(target);
        QVector<QLine> lines;
        lines.reserve(qsizetype(r.xs.size()));
        if (r.xs.size() == 1) {
            addSegment(lines, r.xs[0], r.ys[0], r.xs[0], r.ys[0]);
        }
        for (std::size_t i = 1; i < r.xs.size(); ++i) {
            const std::int64_t x = r.xs[i];
            const std::int64_t x0 = r.xs[i - 1];
            const bool near =
                x > -kCoordLimit && x < kCoordLimit && x0 > -kCoordLimit && x0 < kCoordLimit;
            if (target.bits != nullptr && x == x0 && r.ys[i] != r.ys[i - 1] && near) {
                const auto [top, bottom] = std::minmax(r.ys[i - 1], r.ys[i]);
                const QRect band =
                    QRect(QPoint(int(x), clampCoord(top)), QPoint(int(x), clampCoord(bottom)))
                        .marginsAdded(past);
                if (!hidden(band) && !tall.take(band))
                    target.fillRect(band, colour.rgba());
                continue;
            }
            if (near && std::abs(x - x0) <= 1) {
                const auto [top, bottom] = std::minmax(r.ys[i - 1], r.ys[i]);
                const QRect box(QPoint(int(std::min(x, x0)), clampCoord(top)),
                                QPoint(int(std::max(x, x0)), clampCoord(bottom)));
                if (hidden(box.marginsAdded(QMargins(slant, slant, slant, slant))))
                    continue;
            }
            addSegment(lines, x0, r.ys[i - 1], x, r.ys[i]);
        }
        tall.flush(colour.rgba());
        p.setPen(pen);
        p.drawLines(lines);
    }
    if (dots.begin.size() > 1) {
        TallFills tall(target);
        for (std::size_t k = 0; k + 1 < dots.begin.size(); ++k) {
            const int x = dots.first + int(k);
            for (std::uint32_t i = dots.begin[k]; i < dots.begin[k + 1]; ++i) {
                const QRect span(x, dots.spans[i].first, 1,
                                 dots.spans[i].second - dots.spans[i].first + 1);
                if (tall.take(span))
                    continue;
                if (target.bits != nullptr)
                    target.fillRect(span, colour.rgba());
                else
                    p.fillRect(span, colour);
            }
        }
        tall.flush(colour.rgba());
    }
}

} // namespace quillmark
