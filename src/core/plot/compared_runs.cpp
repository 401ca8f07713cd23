#include "core/plot/compared_runs.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/plot/plot_geometry.h"

// Over-range samples (raw above kOverRangeThresholdRaw) leave a gap in a compared curve.

namespace quillmark {

namespace {

// Okabe-Ito without black, then a grey.
constexpr std::array<ColourRef, kMaxComparedRuns> kPalette{
    rgbColour(230, 159, 0),   rgbColour(86, 180, 233), rgbColour(0, 158, 115),
    rgbColour(240, 228, 66),  rgbColour(0, 114, 178),  rgbColour(213, 94, 0),
    rgbColour(204, 121, 167), rgbColour(136, 136, 136)};

// Samples beyond the plot area's right edge that can still reach it.
constexpr std::int64_t kReach = 8;

class Walker {
public:
    Walker(const ComparedCurve& c, double shownInterval, const CurveMapping& m, ComparedPath& out)
        : c_(c), shown_(shownInterval), m_(m), row_(m), out_(out),
          n_(c.summary ? c.summary->count() : 0), raw_(c.summary ? c.summary->samples() : nullptr),
          origin_(truncToInt64((m.xOffset - m.xMin) / m.xScale)) {
        out_.xs.clear();
        out_.ys.clear();
        out_.starts.clear();
    }

    bool usable() const {
        return n_ > 0 && raw_ != nullptr && m_.xScale > 0.0 && c_.interval > 0.0 && shown_ > 0.0;
    }

    double index(std::int64_t j) const {
        return comparedIndex(j, c_.interval, c_.offsetSeconds, shown_);
    }
    std::int64_t column(std::int64_t j) const { return truncToInt64(index(j) / m_.xScale); }
    // The pixel column of column k: sampleToPixelX with its window term worked out once.
    std::int64_t pixel(std::int64_t k) const { return m_.left + k - origin_; }
    std::int64_t px(std::int64_t j) const { return pixel(column(j)); }
    // The last sample left of the plot area (or 0): its segment into the area is drawn.
    std::int64_t firstVisited() const {
        const double leftIndex = m_.xOffset - m_.xMin - kReach * m_.xScale;
        const double j = std::floor((leftIndex * shown_ - c_.offsetSeconds) / c_.interval) - 1;
        std::int64_t s = std::clamp<std::int64_t>(truncToInt64(j), 0, n_);
        while (s > 0 && px(s) >= m_.left - kReach) {
            --s;
        }
        return s;
    }
    std::int64_t xLimit() const { return std::int64_t(m_.left) + m_.width + kReach; }

    // First sample past column k, searching from sample i (in column k); `next` is that
    // sample's column, which the walk goes on with.
    std::int64_t columnEnd(std::int64_t i, std::int64_t k, std::int64_t& next) const {
        const double boundary = static_cast<double>(k < 0 ? k : k + 1) * m_.xScale;
        const double estimate = std::ceil((boundary * shown_ - c_.offsetSeconds) / c_.interval);
        std::int64_t j = std::clamp<std::int64_t>(truncToInt64(estimate), i + 1, n_);
        next = j < n_ ? column(j) : 0;
        while (j < n_ && next <= k) {
            ++j;
            next = j < n_ ? column(j) : 0;
        }
        while (j - 1 > i) {
            const std::int64_t before = column(j - 1);
            if (before <= k) {
                break;
            }
            --j;
            next = before;
        }
        return j;
    }

    // `samples`: how many samples the point stands for.
    void add(std::int64_t x, std::uint16_t raw, std::int64_t samples = 1) {
        if (raw > kOverRangeThresholdRaw) {
            gap();
            return;
        }
        addRow(x, row_(raw), samples);
    }
    // A column without over-range samples: first, highest, lowest and last, each value's row
    // worked out once.
    void addColumn(std::int64_t x, std::uint16_t first, std::uint16_t high, std::uint16_t low,
                   std::uint16_t last, std::int64_t samples) {
        const std::int64_t top = row_(high);
        const std::int64_t bottom = low == high ? top : row_(low);
        const auto rowOf = [&](std::uint16_t v) {
            return v == high ? top : v == low ? bottom : row_(v);
        };
        addRow(x, rowOf(first), samples);
        addRow(x, top, 0);
        addRow(x, bottom, 0);
        addRow(x, rowOf(last), 0);
    }
    void addRow(std::int64_t x, std::int64_t y, std::int64_t samples) {
        if (open_ && out_.xs.back() == x && out_.ys.back() == y) {
            pathSamples_ += samples;
            return;
        }
        if (!open_) {
            out_.starts.push_back(out_.xs.size());
            open_ = true;
            pathSamples_ = 0;
        }
        out_.xs.push_back(x);
        out_.ys.push_back(y);
        pathSamples_ += samples;
    }
    void gap() {
        if (!open_) {
            return;
        }
        // Two samples on one pixel still draw that pixel, as their segment would.
        if (pathSamples_ > 1 && out_.xs.size() - out_.starts.back() == 1) {
            out_.xs.push_back(out_.xs.back());
            out_.ys.push_back(out_.ys.back());
        }
        open_ = false;
    }

    void reduced() {
        ColumnExtremes& kept = c_.summary->columnExtremes();
        kept.use({m_.xScale, c_.interval, c_.offsetSeconds, shown_});
        std::int64_t j = firstVisited();
        for (std::int64_t k = j < n_ ? column(j) : 0; j < n_;) {
            const std::int64_t x = pixel(k);
            if (x > xLimit()) {
                add(x, raw_[j]);
                break;
            }
            ColumnExtremes::Column col;
            if (const ColumnExtremes::Column* found = kept.find(k, j)) {
                col = *found;
            } else {
                col.first = j;
                col.end = columnEnd(j, k, col.next);
                const SampleSummary::Range r = c_.summary->extremes(j, col.end - 1);
                col.firstRaw = raw_[j];
                col.lastRaw = raw_[col.end - 1];
                col.minRaw = r.minRaw;
                col.maxRaw = r.maxRaw;
                kept.store(k, col);
            }
            if (col.maxRaw > kOverRangeThresholdRaw) {
                for (std::int64_t i = j; i < col.end; ++i) {
                    add(x, raw_[i]);
                }
            } else {
                // One column: the path first, highest, lowest, last covers the same rows.
                addColumn(x, col.firstRaw, col.maxRaw, col.minRaw, col.lastRaw, col.end - j);
            }
            j = col.end;
            k = col.next;
        }
        gap();
    }

    void plain() {
        for (std::int64_t j = firstVisited(); j < n_; ++j) {
            const std::int64_t x = px(j);
            add(x, raw_[j]);
            if (x > xLimit()) {
                break;
            }
        }
        gap();
    }

private:
    const ComparedCurve& c_;
    double shown_;
    const CurveMapping& m_;
    const RowMapping row_;
    ComparedPath& out_;
    std::int64_t n_;
    const std::uint16_t* raw_;
    std::int64_t origin_; // column of the window's left edge
    bool open_ = false;
    std::int64_t pathSamples_ = 0;
};

} // namespace

ColourRef comparedRunColour(std::size_t position, const PlotColours& plot) {
    ColourRef c = kPalette[position % kPalette.size()];
    // A step of green keeps the hue; repeated in case the next one is taken as well.
    while (c == plot.line || c == plot.grid || c == 0) {
        c = rgbColour(redOf(c), (greenOf(c) + 24) & 0xFF, blueOf(c));
    }
    return c;
}

void reduceComparedCurve(const ComparedCurve& curve, double shownInterval, const CurveMapping& map,
                         ComparedPath& out) {
    Walker w(curve, shownInterval, map, out);
    if (w.usable()) {
        w.reduced();
    }
}

void plainComparedCurve(const ComparedCurve& curve, double shownInterval, const CurveMapping& map,
                        ComparedPath& out) {
    Walker w(curve, shownInterval, map, out);
    if (w.usable()) {
        w.plain();
    }
}

} // namespace quillmark
