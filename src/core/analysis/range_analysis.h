#pragma once
// Statistics, alarm excursions and Fit Values over any sample range of a recording.
// Summaries of fixed-size blocks, built once per recording, answer a query from the whole
// blocks inside the range plus a scan of the two part blocks at its ends, so a range of ten
// million samples costs about as much as scanning ten thousand.
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "core/data/recording.h"

namespace quillmark {

// Samples beyond one alarm limit.
struct AlarmFigures {
    float limit = 0.0f;          // in the display unit
    std::int64_t samples = 0;    // samples beyond the limit
    double seconds = 0.0;        // samples x the effective interval
    std::int64_t excursions = 0; // maximal runs of such samples inside the range
    std::int64_t longestSamples = 0;
};

struct RangeStatistics {
    static constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

    std::int64_t first = 0;
    std::int64_t last = -1;
    std::int64_t count = 0; // samples in first..last
    std::int64_t overRange = 0;
    double durationSeconds = 0.0; // (last - first) x the effective interval
    // Over the samples that are not over range, in the display unit; NaN and -1 when there
    // are none. Ties go to the last occurrence; the deviation is the population one.
    double min = kNoValue;
    double max = kNoValue;
    double mean = kNoValue;
    double stddev = kNoValue;
    std::int64_t minIndex = -1;
    std::int64_t maxIndex = -1;
    // Above: base-unit value > alarmHigh, and every over-range sample. Below: value < alarmLow.
    // Values are compared in single precision, the limits' own, so a limit of 0.1 equals 0.100.
    AlarmFigures alarmHigh;
    AlarmFigures alarmLow;
};

// A value range in the display unit.
struct ValueSpan {
    double low = 0.0;
    double high = 0.0;
};

// Fit Values never returns a window narrower than this many display units, so flat data
// shows as a line in the middle of a one-unit window instead of a zero-height range.
inline constexpr double kMinFitSpan = 1.0;
// The fitted window around values min..max (RangeAnalysis::fitValues's rule).
ValueSpan fitSpan(double min, double max);

class RangeAnalysis {
public:
    static constexpr std::int64_t kDefaultBlock = 1024;

    RangeAnalysis() = default;
    // Reads the recording's samples in place: it must outlive this object and keep its
    // samples unchanged. The block size only matters for speed.
    explicit RangeAnalysis(const Recording& rec, std::int64_t blockSize = kDefaultBlock);

    std::int64_t count() const { return count_; }

    // Figures for samples first..last (inclusive), clamped to the recording; count 0 when
    // nothing is left. factor is the display unit's.
    RangeStatistics statistics(std::int64_t first, std::int64_t last, double factor) const;

    // The smallest and largest value in first..last (over-range samples left out) with 5% of
    // their span added on each side, widened to kMinFitSpan around their middle when
    // narrower, and moved up to start at zero when it would reach below (no sample is
    // negative and the plot does not pan below zero). Nothing when no valid sample is in range.
    std::optional<ValueSpan> fitValues(std::int64_t first, std::int64_t last, double factor) const;

    // Whether a raw sample counts as above the high limit (every over-range sample does) or
    // below the low one: the tests behind the alarm figures, for lists that must agree.
    bool above(std::uint16_t raw) const { return raw >= aboveFrom_; }
    bool below(std::uint16_t raw) const { return raw < belowUntil_; }

private:
    struct RunSummary {
        std::uint32_t count = 0;
        std::uint32_t lead = 0;  // flagged samples at the block's start
        std::uint32_t trail = 0; // flagged samples at the block's end
        std::uint32_t runs = 0;
        std::uint32_t longest = 0;
    };
    struct BlockSummary {
        std::uint64_t sum = 0; // of the raw samples that are not over range
        std::uint64_t squares = 0;
        std::uint32_t valid = 0;
        std::uint16_t minRaw = 0;
        std::uint16_t maxRaw = 0;
        std::uint32_t minAt = 0; // offsets of the last occurrences
        std::uint32_t maxAt = 0;
        RunSummary above;
        RunSummary below;
    };
    struct Tally;

    void scan(std::int64_t from, std::int64_t to, Tally& tally) const;
    void add(std::int64_t block, Tally& tally) const;
    Tally tally(std::int64_t first, std::int64_t last) const;

    const std::uint16_t* samples_ = nullptr;
    std::int64_t count_ = 0;
    std::int64_t block_ = kDefaultBlock;
    double interval_ = 0.0;
    float alarmLow_ = 0.0f;
    float alarmHigh_ = 0.0f;
    // The limits as raw thresholds: raw >= aboveFrom_ is above, raw < belowUntil_ below.
    std::uint32_t aboveFrom_ = 0;
    std::uint32_t belowUntil_ = 0;
    std::vector<BlockSummary> blocks_;
};

} // namespace quillmark
