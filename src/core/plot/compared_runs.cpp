#include "core/plot/compared_runs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

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

// The rows of raw values under one value-to-row mapping, worked out on first use and kept
// while the mapping stays: a time zoom or pan keeps the value axis, and each row otherwise
// costs two divisions.
class RowTable {
public:
    const RowTable& use(const RowMapping& m) {
        if (!(m == row_) || rows_.empty()) {
            row_ = m;
            rows_.assign(std::size_t(kOverRangeThresholdRaw) + 1, kUnknown);
        }
        return *this;
    }
    // `raw` is at most kOverRangeThresholdRaw: over-range samples have no row.
    std::int64_t operator()(std::uint16_t raw) const {
        std::int32_t& kept = rows_[raw];
        if (kept != kUnknown) {
            return kept;
        }
        const std::int64_t row = row_(raw);
        if (row > kUnknown && row <= std::numeric_limits<std::int32_t>::max()) {
            kept = static_cast<std::int32_t>(row);
        }
        return row;
    }

private:
    static constexpr std::int32_t kUnknown = std::numeric_limits<std::int32_t>::min();
    RowMapping row_{CurveMapping{}};
    mutable std::vector<std::int32_t> rows_;
};

// One per thread: frames on one thread are drawn one at a time.
thread_local RowTable rowTable;

// A column's samples that the reduction is about to read, asked for ahead: the columns'
// edges lie kilobytes apart, so each would otherwise wait for memory in turn.
inline void prefetch(const void* p) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // An asm statement: GCC 12 silently drops a __builtin_prefetch whose address a branch
    // chooses.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#elif defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

class Walker {
public:
    Walker(const ComparedCurve& c, double shownInterval, const CurveMapping& m,
           const RowTable& rows, ComparedPath& out)
        : c_(c), shown_(shownInterval), m_(m), row_(rows), out_(out),
          n_(c.summary ? c.summary->count() : 0), raw_(c.summary ? c.summary->samples() : nullptr),
          origin_(truncToInt64((m.xOffset - m.xMin) / m.xScale)),
          perColumn_(1.0 / (shownInterval * m.xScale)), perSample_(1.0 / c.interval) {
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
    // column(j) from one product instead of two divisions where that product lies clear of
    // every column boundary: the two differ by far less than the margin, so they truncate
    // alike. Near a boundary, and for unusual values, column(j) itself decides.
    std::int64_t columnOf(std::int64_t j) const {
        const double elapsed = static_cast<double>(j) * c_.interval;
        const double q = (elapsed + c_.offsetSeconds) * perColumn_;
        const double margin = (std::abs(elapsed) + std::abs(c_.offsetSeconds)) * perColumn_ * 1e-12;
        if (std::abs(q) < 0x1p50) {
            const auto whole = static_cast<std::int64_t>(q);
            const double part = std::abs(q - static_cast<double>(whole));
            if (part > margin && part < 1.0 - margin) {
                return whole;
            }
        }
        return column(j);
    }
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
    // sample's column, which the walk goes on with. The estimate only starts the search.
    std::int64_t columnEnd(std::int64_t i, std::int64_t k, std::int64_t& next) const {
        const double boundary = static_cast<double>(k < 0 ? k : k + 1) * m_.xScale;
        const double estimate = std::ceil((boundary * shown_ - c_.offsetSeconds) * perSample_);
        std::int64_t j = std::clamp<std::int64_t>(truncToInt64(estimate), i + 1, n_);
        next = j < n_ ? columnOf(j) : 0;
        while (j < n_ && next <= k) {
            ++j;
            next = j < n_ ? columnOf(j) : 0;
        }
        while (j - 1 > i) {
            const std::int64_t before = columnOf(j - 1);
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
        // Columns are found a batch ahead of reading their samples, so the reads of a batch
        // overlap instead of each waiting for memory in turn.
        struct Step {
            std::int64_t k = 0;
            ColumnExtremes::Column col;
            bool known = false;
        };
        std::array<Step, 32> batch;
        std::int64_t j = firstVisited();
        std::int64_t k = j < n_ ? columnOf(j) : 0;
        if (j < n_) {
            prefetch(raw_ + j);
        }
        bool beyond = false;
        while (j < n_ && !beyond) {
            std::size_t count = 0;
            while (count < batch.size() && j < n_) {
                Step& s = batch[count++];
                s.k = k;
                s.col.first = j;
                if (pixel(k) > xLimit()) {
                    beyond = true;
                    break;
                }
                if (const ColumnExtremes::Column* found = kept.find(k, j)) {
                    s.col = *found;
                    s.known = true;
                } else {
                    s.col.end = columnEnd(j, k, s.col.next);
                    s.known = false;
                    ask(j, s.col.end);
                }
                j = s.col.end;
                k = s.col.next;
            }
            for (std::size_t b = 0; b < count; ++b) {
                Step& s = batch[b];
                const std::int64_t x = pixel(s.k);
                const std::int64_t first = s.col.first;
                if (beyond && b + 1 == count) {
                    add(x, raw_[first]);
                    break;
                }
                ColumnExtremes::Column& col = s.col;
                if (!s.known) {
                    const SampleSummary::Range r = c_.summary->extremes(first, col.end - 1);
                    col.firstRaw = raw_[first];
                    col.lastRaw = raw_[col.end - 1];
                    col.minRaw = r.minRaw;
                    col.maxRaw = r.maxRaw;
                    kept.store(s.k, col);
                }
                if (col.maxRaw > kOverRangeThresholdRaw) {
                    for (std::int64_t i = first; i < col.end; ++i) {
                        add(x, raw_[i]);
                    }
                } else {
                    // One column: the path first, highest, lowest, last covers the same rows.
                    addColumn(x, col.firstRaw, col.maxRaw, col.minRaw, col.lastRaw,
                              col.end - first);
                }
            }
        }
        gap();
    }

    // Asks for what extremes(first, end - 1) reads of the samples (whole blocks come from
    // the block summary) and the block the next column starts in.
    void ask(std::int64_t first, std::int64_t end) const {
        constexpr std::int64_t kLine = 64 / sizeof(std::uint16_t);
        constexpr std::int64_t kBlock = SampleSummary::kBlock;
        const std::int64_t from = end - first > 2 * kBlock ? (end - 1) / kBlock * kBlock : first;
        const std::int64_t to = std::min(n_ - 1, end / kBlock * kBlock + kBlock - 1);
        for (std::int64_t i = from; i < to; i += kLine) {
            prefetch(raw_ + i);
        }
        prefetch(raw_ + to);
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
    const RowTable& row_;
    ComparedPath& out_;
    std::int64_t n_;
    const std::uint16_t* raw_;
    std::int64_t origin_; // column of the window's left edge
    double perColumn_;    // columns per second of the run's time
    double perSample_;    // the run's samples per second
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
    Walker w(curve, shownInterval, map, rowTable.use(RowMapping(map)), out);
    if (w.usable()) {
        w.reduced();
    }
}

void plainComparedCurve(const ComparedCurve& curve, double shownInterval, const CurveMapping& map,
                        ComparedPath& out) {
    Walker w(curve, shownInterval, map, rowTable.use(RowMapping(map)), out);
    if (w.usable()) {
        w.plain();
    }
}

} // namespace quillmark
