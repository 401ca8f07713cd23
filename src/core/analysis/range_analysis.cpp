#include "core/analysis/range_analysis.h"

#include <algorithm>
#include <cmath>

namespace quillmark {
namespace {

// n x sum of squares reaches 2^92 for the largest recordings; the difference with the squared
// sum is then exact.
__extension__ using Wide = unsigned __int128;

// Runs of flagged samples met in index order; `open` is the run that touches the end so far.
struct RunTally {
    std::int64_t samples = 0;
    std::int64_t excursions = 0;
    std::int64_t longest = 0;
    std::int64_t open = 0;

    void sample(bool flagged) {
        if (!flagged) {
            open = 0;
            return;
        }
        if (open == 0)
            ++excursions;
        ++open;
        ++samples;
        longest = std::max(longest, open);
    }

    template <class Summary> void block(const Summary& b, std::int64_t length) {
        if (b.count == 0) {
            open = 0;
            return;
        }
        samples += b.count;
        if (b.count == length) {
            if (open == 0)
                ++excursions;
            open += length;
            longest = std::max(longest, open);
            return;
        }
        // The block's leading run continues the open one; its trailing run stays open.
        excursions += b.runs;
        if (open > 0 && b.lead > 0)
            --excursions;
        longest = std::max({longest, open + b.lead, std::int64_t{b.longest}});
        open = b.trail;
    }
};

// The limits are single-precision values, so samples are compared at that precision: a
// limit entered as 0.1 then equals a sample of 0.100 instead of lying just above it.
float baseValue(std::uint32_t raw) {
    return static_cast<float>(raw / 1000.0);
}

// First raw value up to 31001 (the first over-range one) for which a monotone test holds.
template <class Test> std::uint32_t firstRaw(Test test) {
    std::uint32_t raw = 0;
    while (raw <= kOverRangeThresholdRaw && !test(raw))
        ++raw;
    return raw;
}

} // namespace

struct RangeAnalysis::Tally {
    std::uint64_t sum = 0;
    std::uint64_t squares = 0;
    std::int64_t valid = 0;
    std::uint16_t minRaw = 0xFFFF;
    std::uint16_t maxRaw = 0;
    std::int64_t minIndex = -1;
    std::int64_t maxIndex = -1;
    RunTally above;
    RunTally below;
};

RangeAnalysis::RangeAnalysis(const Recording& rec, std::int64_t blockSize)
    : samples_(rec.samples.data()), count_(presentSampleCount(rec)),
      block_(std::clamp<std::int64_t>(blockSize, 1, std::int64_t{1} << 20)),
      interval_(rec.effectiveInterval()), alarmLow_(rec.alarmLow()), alarmHigh_(rec.alarmHigh()) {
    // Over-range samples are always above and never below.
    aboveFrom_ = firstRaw([this](std::uint32_t raw) { return baseValue(raw) > alarmHigh_; });
    belowUntil_ = firstRaw([this](std::uint32_t raw) { return !(baseValue(raw) < alarmLow_); });

    blocks_.resize(static_cast<std::size_t>(count_ / block_));
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const std::int64_t base = static_cast<std::int64_t>(b) * block_;
        Tally t;
        scan(base, base + block_ - 1, t);
        BlockSummary& s = blocks_[b];
        s.sum = t.sum;
        s.squares = t.squares;
        s.valid = static_cast<std::uint32_t>(t.valid);
        if (t.valid > 0) {
            s.minRaw = t.minRaw;
            s.maxRaw = t.maxRaw;
            s.minAt = static_cast<std::uint32_t>(t.minIndex - base);
            s.maxAt = static_cast<std::uint32_t>(t.maxIndex - base);
        }
        const auto summarise = [&](const RunTally& runs, auto flagged) {
            RunSummary r;
            r.count = static_cast<std::uint32_t>(runs.samples);
            r.runs = static_cast<std::uint32_t>(runs.excursions);
            r.longest = static_cast<std::uint32_t>(runs.longest);
            r.trail = static_cast<std::uint32_t>(runs.open);
            while (r.lead < r.count && flagged(samples_[base + r.lead]))
                ++r.lead;
            return r;
        };
        s.above = summarise(t.above, [this](std::uint16_t raw) { return raw >= aboveFrom_; });
        s.below = summarise(t.below, [this](std::uint16_t raw) { return raw < belowUntil_; });
    }
}

void RangeAnalysis::scan(std::int64_t from, std::int64_t to, Tally& t) const {
    for (std::int64_t i = from; i <= to; ++i) {
        const std::uint16_t raw = samples_[i];
        if (!isOverRangeSample(raw)) {
            t.sum += raw;
            t.squares += std::uint64_t{raw} * raw;
            ++t.valid;
            if (raw >= t.maxRaw) {
                t.maxRaw = raw;
                t.maxIndex = i;
            }
            if (raw <= t.minRaw) {
                t.minRaw = raw;
                t.minIndex = i;
            }
        }
        t.above.sample(raw >= aboveFrom_);
        t.below.sample(raw < belowUntil_);
    }
}

void RangeAnalysis::add(std::int64_t block, Tally& t) const {
    const BlockSummary& b = blocks_[static_cast<std::size_t>(block)];
    const std::int64_t base = block * block_;
    t.sum += b.sum;
    t.squares += b.squares;
    t.valid += b.valid;
    if (b.valid > 0) {
        // Blocks come in index order, so >= and <= keep the last occurrence.
        if (b.maxRaw >= t.maxRaw) {
            t.maxRaw = b.maxRaw;
            t.maxIndex = base + b.maxAt;
        }
        if (b.minRaw <= t.minRaw) {
            t.minRaw = b.minRaw;
            t.minIndex = base + b.minAt;
        }
    }
    t.above.block(b.above, block_);
    t.below.block(b.below, block_);
}

RangeAnalysis::Tally RangeAnalysis::tally(std::int64_t first, std::int64_t last) const {
    Tally t;
    // Blocks b0 .. b1 - 1 lie wholly inside the range.
    const std::int64_t b0 = (first + block_ - 1) / block_;
    const std::int64_t b1 = (last + 1) / block_;
    if (b0 >= b1) {
        scan(first, last, t);
        return t;
    }
    scan(first, b0 * block_ - 1, t);
    for (std::int64_t b = b0; b < b1; ++b)
        add(b, t);
    scan(b1 * block_, last, t);
    return t;
}

RangeStatistics RangeAnalysis::statistics(std::int64_t first, std::int64_t last,
                                          double factor) const {
    RangeStatistics r;
    r.alarmHigh.limit = static_cast<float>(alarmHigh_ * factor);
    r.alarmLow.limit = static_cast<float>(alarmLow_ * factor);
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, count_ - 1);
    if (first > last)
        return r;
    r.first = first;
    r.last = last;
    r.count = last - first + 1;
    r.durationSeconds = static_cast<double>(last - first) * interval_;

    const Tally t = tally(first, last);
    r.overRange = r.count - t.valid;
    if (t.valid > 0) {
        r.min = convertedValue(t.minRaw, factor);
        r.max = convertedValue(t.maxRaw, factor);
        r.minIndex = t.minIndex;
        r.maxIndex = t.maxIndex;
        const auto n = static_cast<long double>(t.valid);
        const long double scale = static_cast<long double>(factor) / 1000.0L;
        r.mean = static_cast<double>(static_cast<long double>(t.sum) / n * scale);
        // n^2 x the variance of the raw values, exact in integers.
        const Wide spread =
            Wide{static_cast<std::uint64_t>(t.valid)} * t.squares - Wide{t.sum} * t.sum;
        r.stddev = static_cast<double>(std::sqrt(static_cast<long double>(spread)) / n * scale);
    }
    const auto fill = [this](AlarmFigures& a, const RunTally& runs) {
        a.samples = runs.samples;
        a.seconds = static_cast<double>(runs.samples) * interval_;
        a.excursions = runs.excursions;
        a.longestSamples = runs.longest;
    };
    fill(r.alarmHigh, t.above);
    fill(r.alarmLow, t.below);
    return r;
}

std::optional<ValueSpan> RangeAnalysis::fitValues(std::int64_t first, std::int64_t last,
                                                  double factor) const {
    const RangeStatistics s = statistics(first, last, factor);
    if (s.minIndex < 0)
        return std::nullopt;
    return fitSpan(s.min, s.max);
}

ValueSpan fitSpan(double min, double max) {
    const double pad = 0.05 * (max - min);
    ValueSpan v{min - pad, max + pad};
    if (v.high - v.low < kMinFitSpan) {
        const double middle = (min + max) / 2.0;
        v = {middle - kMinFitSpan / 2.0, middle + kMinFitSpan / 2.0};
    }
    if (v.low < 0.0) {
        v.high -= v.low;
        v.low = 0.0;
    }
    return v;
}

} // namespace quillmark
