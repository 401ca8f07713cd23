#pragma once
// The alarm excursions of a sample range one by one, for tables that list them: the same
// runs that RangeAnalysis counts in its alarm figures.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/analysis/range_analysis.h"
#include "core/data/recording.h"

namespace quillmark {

struct Excursion {
    enum class Kind { High, Low };
    Kind kind = Kind::High;
    std::int64_t first = 0; // first and last sample, inside the range
    std::int64_t last = 0;
    // The highest raw sample of a high excursion, the lowest of a low one.
    std::uint16_t extremeRaw = 0;

    std::int64_t samples() const { return last - first + 1; }
    // A high excursion that reached over range: its extreme has no value.
    bool overRange() const { return isOverRangeSample(extremeRaw); }
};

// The maximal runs of samples beyond an alarm limit inside first..last (clamped to the
// recording), in order of their first sample, a high one before a low one starting at the
// same sample (limits set crosswise), at most `limit` of them. `analysis` must be built on
// `rec`.
std::vector<Excursion> listExcursions(const Recording& rec, const RangeAnalysis& analysis,
                                      std::int64_t first, std::int64_t last, std::size_t limit);

} // namespace quillmark
