#include "core/analysis/excursions.h"

#include <algorithm>

namespace quillmark {

std::vector<Excursion> listExcursions(const Recording& rec, const RangeAnalysis& analysis,
                                      std::int64_t first, std::int64_t last, std::size_t limit) {
    std::vector<Excursion> out;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, analysis.count() - 1);
    // Index in `out` of the run still open for each kind; -1 when none.
    std::int64_t high = -1;
    std::int64_t low = -1;
    const auto step = [&](std::int64_t& open, bool flagged, Excursion::Kind kind, std::uint16_t raw,
                          std::int64_t i) {
        if (!flagged) {
            open = -1;
            return;
        }
        if (open >= 0) {
            Excursion& e = out[static_cast<std::size_t>(open)];
            e.last = i;
            e.extremeRaw = kind == Excursion::Kind::High ? std::max(e.extremeRaw, raw)
                                                         : std::min(e.extremeRaw, raw);
        } else if (out.size() < limit) {
            open = static_cast<std::int64_t>(out.size());
            out.push_back({kind, i, i, raw});
        }
    };
    for (std::int64_t i = first; i <= last; ++i) {
        // Once the list is full, only its open runs still need their ends.
        if (out.size() >= limit && high < 0 && low < 0)
            break;
        const std::uint16_t raw = rec.samples[static_cast<std::size_t>(i)];
        step(high, analysis.above(raw), Excursion::Kind::High, raw, i);
        step(low, analysis.below(raw), Excursion::Kind::Low, raw, i);
    }
    return out;
}

} // namespace quillmark
