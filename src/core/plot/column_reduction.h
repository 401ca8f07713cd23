#pragma once
// Reduction of a dense curve to what can show on screen. All samples that map to one pixel
// column share one x, so the segments between them only ever cover the vertical run between
// the column's lowest and highest point; the column's first and last samples carry the
// segments to the neighbouring columns. Dots likewise only need drawing once per distinct
// position. Drawing the reduced path and dots gives the same pixels as drawing every sample.
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/plot/plot_geometry.h"

namespace quillmark {

// Dot rows of the dense columns, as found under one mapping. Reading every sample of a noisy
// column is the costliest part of a frame; the rows only change with the zoom (the column of
// a sample does not depend on the pan), so they are kept from one frame to the next.
struct DotCoverage {
    struct Key {
        double xScale = 0.0;
        double yScale = 0.0;
        double yOffset = 0.0;
        double yMin = 0.0;
        double factor = 0.0;
        std::int64_t top = 0;
        std::int64_t height = 0;
        std::int64_t reach = 0;
        bool operator==(const Key&) const = default;
    };
    struct Column {
        std::int64_t first = 0; // sample range the rows were read from
        std::int64_t last = 0;
        std::size_t begin = 0; // into `runs`
        std::size_t end = 0;
    };
    Key key;
    bool valid = false;
    std::unordered_map<std::int64_t, Column> columns; // by column trunc(index / xScale)
    std::vector<std::pair<std::int64_t, std::int64_t>> runs;

    void clear() {
        valid = false;
        columns.clear();
        runs.clear();
    }
    void restart(const Key& k) {
        clear();
        key = k;
        valid = true;
    }
};

// A laid-over recording's columns as found under one column mapping: where each column's
// samples end and their first, last, lowest and highest values. A sample's column does not
// depend on the pan, so a pan or a repaint of the same zoom finds most columns here instead
// of reading the samples at their edges again.
struct ColumnExtremes {
    struct Key {
        double xScale = 0.0;        // shown samples per pixel
        double interval = 0.0;      // the recording's seconds per sample
        double offsetSeconds = 0.0; // its sample 0 after the shown sample 0
        double shownInterval = 0.0;
        bool operator==(const Key&) const = default;
    };
    struct Column {
        std::int64_t first = -1; // the column's first sample; -1 when not known
        std::int64_t end = 0;    // one past its last sample
        std::int64_t next = 0;   // the column of sample `end`
        std::uint16_t firstRaw = 0;
        std::uint16_t lastRaw = 0;
        std::uint16_t minRaw = 0;
        std::uint16_t maxRaw = 0;
    };
    static constexpr std::size_t kMaxColumns = std::size_t(1) << 16;

    // Starts over when the mapping is another one.
    void use(const Key& k) {
        if (!(key == k)) {
            key = k;
            base = 0;
            columns.clear();
        }
    }
    // Column k found from sample `first` on, or null.
    const Column* find(std::int64_t k, std::int64_t first) const {
        const std::int64_t at = k - base;
        if (at < 0 || at >= std::int64_t(columns.size())) {
            return nullptr;
        }
        const Column& c = columns[std::size_t(at)];
        return c.first == first ? &c : nullptr;
    }
    void store(std::int64_t k, const Column& c) {
        if (columns.empty() || k < base - std::int64_t(kMaxColumns) ||
            k >= base + std::int64_t(kMaxColumns)) {
            base = k;
            columns.assign(1, Column{});
        } else if (k < base) {
            columns.insert(columns.begin(), std::size_t(base - k), Column{});
            base = k;
        } else if (k >= base + std::int64_t(columns.size())) {
            columns.resize(std::size_t(k - base + 1));
        }
        if (columns.size() > kMaxColumns) {
            base = k;
            columns.assign(1, Column{});
        }
        columns[std::size_t(k - base)] = c;
    }

    Key key;
    std::int64_t base = 0; // column of columns[0]
    std::vector<Column> columns;
};

// Per-block minimum, maximum and largest step of the raw samples, built once when a
// recording is handed to the plot, so a column of thousands of samples is summarised from
// a few dozen blocks.
class SampleSummary {
public:
    static constexpr std::int64_t kBlock = 64;

    struct Range {
        std::uint16_t minRaw = 0;
        std::uint16_t maxRaw = 0;
        // Largest |s[i+1] - s[i]| over the range (may also count the step just past it).
        std::uint16_t maxStep = 0;
    };

    SampleSummary() = default;
    SampleSummary(const std::uint16_t* samples, std::int64_t count) { build(samples, count); }
    void build(const std::uint16_t* samples, std::int64_t count);

    const std::uint16_t* samples() const { return samples_; }
    std::int64_t count() const { return count_; }
    // Inclusive index range, first <= last < count.
    Range query(std::int64_t first, std::int64_t last) const;
    // The same minimum and maximum without the step (left 0): cheaper where it is not needed.
    Range extremes(std::int64_t first, std::int64_t last) const;

    // The dot rows kept for these samples between frames. Frames are drawn one at a time.
    DotCoverage& dotCoverage() const { return dots_; }
    // The columns kept between frames when these samples are laid over another recording.
    ColumnExtremes& columnExtremes() const { return columns_; }

private:
    Range scan(std::int64_t first, std::int64_t last) const;
    Range scanExtremes(std::int64_t first, std::int64_t last) const;

    const std::uint16_t* samples_ = nullptr;
    std::int64_t count_ = 0;
    // Per block, apart: the extremes of many blocks are then read eight at a time.
    std::vector<std::uint16_t> blockMin_;
    std::vector<std::uint16_t> blockMax_;
    std::vector<std::uint16_t> blockStep_;
    void setBlock(std::int64_t b, const Range& r) {
        blockMin_[static_cast<std::size_t>(b)] = r.minRaw;
        blockMax_[static_cast<std::size_t>(b)] = r.maxRaw;
        blockStep_[static_cast<std::size_t>(b)] = r.maxStep;
    }
    mutable DotCoverage dots_;
    mutable ColumnExtremes columns_;
};

// Everything the curve and dot drawing needs to map samples to pixels on one target.
struct CurveMapping {
    double xScale = 1.0; // samples per pixel
    double xOffset = 0.0;
    double xMin = 0.0;
    double yScale = 1.0; // base-unit value per pixel (before the unit factor)
    double yOffset = 0.0;
    double yMin = 0.0;
    double factor = 1.0; // display unit factor
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;  // plot area width W
    std::int32_t height = 0; // plot area height H
    // Largest row gap within a dot run that still draws as one run: the height of the dot's
    // widest band when the drawing fills runs as a rectangle between two dots, else 1.
    std::int32_t dotRunGap = 1;
    // How far outside the plot area a dot centre or a point can still ink it (the dot's and
    // the pen's reach): 8 pixels for the screen's pens.
    std::int32_t reach = 8;
    // Keep a point twice where a column's samples all share one row. A square-capped pen wider
    // than 2 pixels draws that zero-length segment as a square which the slanted segments on
    // either side do not cover.
    bool keepStill = false;

    std::int64_t x(std::int64_t index) const;
    std::int64_t y(std::uint16_t raw) const;
    bool operator==(const CurveMapping&) const = default;
};

// CurveMapping::y with the terms that do not depend on the sample worked out once; the same
// expression, so the same rows.
struct RowMapping {
    double base = 0.0;
    double ys = 1.0;
    double ym = 0.0;
    double factor = 1.0;
    std::int64_t top = 0;

    explicit RowMapping(const CurveMapping& m);
    bool operator==(const RowMapping&) const = default;
    // Inline: a frame maps thousands of values, several per column.
    std::int64_t operator()(std::uint16_t raw) const {
        return truncToInt64(base - (raw * factor / 1000.0 - ym) / ys) + top;
    }
};

// A vertical run of dot positions in one column: yTop, yBottom and rows between them no
// more than CurveMapping::dotRunGap apart (every row when the gap is 1).
// Dots are clipped to near the plot area, so 32 bits hold them: a noisy view has one run per
// sample, and half the memory to write and read back is noticeably faster.
struct DotRun {
    std::int32_t x = 0;
    std::int32_t yTop = 0;
    std::int32_t yBottom = 0;
};

struct ReducedCurve {
    // Path points in order; a segment joins each point to the next. Consecutive repeats are
    // dropped.
    std::vector<std::int64_t> xs;
    std::vector<std::int64_t> ys;
    std::vector<DotRun> dots;
};

// Reduce the curve from sample trunc(xOffset) on to the points and dots that can reach the
// visible part of the target: everything up to the first sample past the right margin.
// `withDots` fills `dots`, clipped to the rows and columns a dot can still show in.
void reduceCurve(const SampleSummary& summary, const CurveMapping& map, bool withDots,
                 ReducedCurve& out);

} // namespace quillmark
