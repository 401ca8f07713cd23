#include "core/plot/column_reduction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QUILLMARK_AVX2_BLOCKS 1
#endif

#include "core/plot/plot_geometry.h"

namespace quillmark {

namespace {

std::uint16_t stepBetween(std::uint16_t a, std::uint16_t b) {
    return static_cast<std::uint16_t>(a > b ? a - b : b - a);
}

void merge(SampleSummary::Range& into, const SampleSummary::Range& r) {
    into.minRaw = std::min(into.minRaw, r.minRaw);
    into.maxRaw = std::max(into.maxRaw, r.maxRaw);
    into.maxStep = std::max(into.maxStep, r.maxStep);
}

// A block's figures from its kBlock samples and the one after it: min, max and every step
// out of one of its samples, the step into the next block included. Adding a run is mostly
// this pass; the compiler does not vectorise it at -O2, so on x86 it is written out (SSE2 has
// signed 16-bit min and max only, hence the values shifted by 0x8000).
#if defined(__SSE2__)
// The lanes of biased values folded with `op` (min or max), unbiased.
template <typename Op> std::uint16_t fold(__m128i v, Op op) {
    v = op(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = op(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    v = op(v, _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return static_cast<std::uint16_t>(_mm_cvtsi128_si32(v) ^ 0x8000);
}

SampleSummary::Range wholeBlock(const std::uint16_t* s) {
    const __m128i bias = _mm_set1_epi16(std::int16_t(-0x8000));
    __m128i lo = _mm_set1_epi16(0x7FFF);
    __m128i hi = bias;
    __m128i step = bias;
    for (int i = 0; i < int(SampleSummary::kBlock); i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
        const __m128i as = _mm_xor_si128(a, bias);
        lo = _mm_min_epi16(lo, as);
        hi = _mm_max_epi16(hi, as);
        const __m128i d = _mm_or_si128(_mm_subs_epu16(a, b), _mm_subs_epu16(b, a));
        step = _mm_max_epi16(step, _mm_xor_si128(d, bias));
    }
    const auto min = [](__m128i x, __m128i y) { return _mm_min_epi16(x, y); };
    const auto max = [](__m128i x, __m128i y) { return _mm_max_epi16(x, y); };
    return {fold(lo, min), fold(hi, max), fold(step, max)};
}
#else
SampleSummary::Range wholeBlock(const std::uint16_t* s) {
    SampleSummary::Range r{s[0], s[0], 0};
    for (std::int64_t i = 0; i < SampleSummary::kBlock; ++i) {
        r.minRaw = std::min(r.minRaw, s[i]);
        r.maxRaw = std::max(r.maxRaw, s[i]);
        r.maxStep = std::max(r.maxStep, stepBetween(s[i], s[i + 1]));
    }
    return r;
}
#endif

#if defined(QUILLMARK_AVX2_BLOCKS)
// wholeBlock over `blocks` consecutive blocks, sixteen samples a step, where the processor
// has AVX2 (most x86 machines of the last ten years): adding a run is then half as costly.
// Unsigned minimum and maximum need no shifted values, and one instruction finds the least
// of eight lanes (the greatest is the least of the complements).
__attribute__((target("avx2"))) void wholeBlocksAvx2(const std::uint16_t* s, std::int64_t blocks,
                                                     std::uint16_t* mins, std::uint16_t* maxs,
                                                     std::uint16_t* steps) {
    const __m128i ones = _mm_set1_epi16(-1);
    for (std::int64_t b = 0; b < blocks; ++b, s += SampleSummary::kBlock) {
        __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
        __m256i hi = lo;
        __m256i step = _mm256_setzero_si256();
        for (int i = 0; i < int(SampleSummary::kBlock); i += 16) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i n = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1));
            lo = _mm256_min_epu16(lo, a);
            hi = _mm256_max_epu16(hi, a);
            step = _mm256_max_epu16(
                step, _mm256_or_si256(_mm256_subs_epu16(a, n), _mm256_subs_epu16(n, a)));
        }
        const __m128i l =
            _mm_min_epu16(_mm256_castsi256_si128(lo), _mm256_extracti128_si256(lo, 1));
        const __m128i h =
            _mm_max_epu16(_mm256_castsi256_si128(hi), _mm256_extracti128_si256(hi, 1));
        const __m128i d =
            _mm_max_epu16(_mm256_castsi256_si128(step), _mm256_extracti128_si256(step, 1));
        mins[b] = static_cast<std::uint16_t>(_mm_extract_epi16(_mm_minpos_epu16(l), 0));
        maxs[b] = static_cast<std::uint16_t>(
            ~_mm_extract_epi16(_mm_minpos_epu16(_mm_xor_si128(h, ones)), 0));
        steps[b] = static_cast<std::uint16_t>(
            ~_mm_extract_epi16(_mm_minpos_epu16(_mm_xor_si128(d, ones)), 0));
    }
}
#endif

// Samples in a column at or below this count are scanned one by one.
constexpr std::int64_t kScanLimit = 32;
// Columns longer than this look their rows up in a table of all 65536 raw values.
constexpr std::int64_t kTableWorth = 4096;
// Kept dot rows beyond this many are dropped and read again when needed.
constexpr std::size_t kCoverageLimit = std::size_t(1) << 20;

// The minimum of one array and the maximum of another (or the same) over several stretches,
// eight values a step where SSE2 is there, folded once at the end.
class MinMax {
public:
    void add(const std::uint16_t* low, const std::uint16_t* high, std::int64_t n) {
        std::int64_t i = 0;
#if defined(__SSE2__)
        const __m128i bias = _mm_set1_epi16(std::int16_t(-0x8000));
        for (; i + 8 <= n; i += 8) {
            lo_ = _mm_min_epi16(
                lo_,
                _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low + i)), bias));
            hi_ = _mm_max_epi16(
                hi_,
                _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(high + i)), bias));
        }
#endif
        for (; i < n; ++i) {
            min_ = std::min(min_, low[i]);
            max_ = std::max(max_, high[i]);
        }
    }
    SampleSummary::Range result() const {
#if defined(__SSE2__)
        const auto min = [](__m128i x, __m128i y) { return _mm_min_epi16(x, y); };
        const auto max = [](__m128i x, __m128i y) { return _mm_max_epi16(x, y); };
        return {std::min(min_, fold(lo_, min)), std::max(max_, fold(hi_, max)), 0};
#else
        return {min_, max_, 0};
#endif
    }

private:
    std::uint16_t min_ = 0xFFFF;
    std::uint16_t max_ = 0;
#if defined(__SSE2__)
    __m128i lo_ = _mm_set1_epi16(0x7FFF);                // biased 0xFFFF
    __m128i hi_ = _mm_set1_epi16(std::int16_t(-0x8000)); // biased 0
#endif
};

} // namespace

void SampleSummary::build(const std::uint16_t* samples, std::int64_t count) {
    samples_ = samples;
    count_ = samples ? std::max<std::int64_t>(count, 0) : 0;
    dots_.clear();
    columns_ = ColumnExtremes{};
    const std::int64_t nBlocks = (count_ + kBlock - 1) / kBlock;
    blockMin_.resize(static_cast<std::size_t>(nBlocks));
    blockMax_.resize(static_cast<std::size_t>(nBlocks));
    blockStep_.resize(static_cast<std::size_t>(nBlocks));
    // Blocks followed by another sample: fixed-length loops without a carried sample, which
    // the compiler turns into vector code. Adding a run is mostly this pass.
    const std::int64_t whole = count_ > 0 ? (count_ - 1) / kBlock : 0;
    std::int64_t done = 0;
#if defined(QUILLMARK_AVX2_BLOCKS)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        wholeBlocksAvx2(samples_, whole, blockMin_.data(), blockMax_.data(), blockStep_.data());
        done = whole;
    }
#endif
    for (std::int64_t b = done; b < whole; ++b) {
        setBlock(b, wholeBlock(samples_ + b * kBlock));
    }
    for (std::int64_t b = whole; b < nBlocks; ++b) {
        const std::int64_t first = b * kBlock;
        const std::int64_t last = std::min(count_ - 1, first + kBlock - 1);
        Range r = scan(first, last);
        // Include the step into the next block so a run of whole blocks covers every pair.
        if (last + 1 < count_) {
            r.maxStep = std::max(r.maxStep, stepBetween(samples_[last], samples_[last + 1]));
        }
        setBlock(b, r);
    }
}

SampleSummary::Range SampleSummary::scan(std::int64_t first, std::int64_t last) const {
    Range r;
    r.minRaw = r.maxRaw = samples_[first];
    for (std::int64_t i = first + 1; i <= last; ++i) {
        const std::uint16_t v = samples_[i];
        r.minRaw = std::min(r.minRaw, v);
        r.maxRaw = std::max(r.maxRaw, v);
        r.maxStep = std::max(r.maxStep, stepBetween(samples_[i - 1], v));
    }
    return r;
}

SampleSummary::Range SampleSummary::query(std::int64_t first, std::int64_t last) const {
    if (last - first < 2 * kBlock) {
        return scan(first, last);
    }
    const std::int64_t fullFirst = (first + kBlock - 1) / kBlock;
    const std::int64_t fullEnd = (last + 1) / kBlock; // exclusive
    Range r;
    r.minRaw = r.maxRaw = samples_[first];
    if (first < fullFirst * kBlock) {
        merge(r, scan(first, fullFirst * kBlock));
    }
    for (std::int64_t b = fullFirst; b < fullEnd; ++b) {
        const auto k = static_cast<std::size_t>(b);
        merge(r, {blockMin_[k], blockMax_[k], blockStep_[k]});
    }
    if (fullEnd * kBlock <= last) {
        merge(r, scan(fullEnd * kBlock - 1, last));
    }
    return r;
}

SampleSummary::Range SampleSummary::scanExtremes(std::int64_t first, std::int64_t last) const {
    MinMax m;
    m.add(samples_ + first, samples_ + first, last - first + 1);
    return m.result();
}

SampleSummary::Range SampleSummary::extremes(std::int64_t first, std::int64_t last) const {
    if (last - first < 2 * kBlock) {
        return scanExtremes(first, last);
    }
    const std::int64_t fullFirst = (first + kBlock - 1) / kBlock;
    const std::int64_t fullEnd = (last + 1) / kBlock; // exclusive
    MinMax m;
    m.add(samples_ + first, samples_ + first, fullFirst * kBlock - first);
    m.add(blockMin_.data() + fullFirst, blockMax_.data() + fullFirst, fullEnd - fullFirst);
    m.add(samples_ + fullEnd * kBlock, samples_ + fullEnd * kBlock, last + 1 - fullEnd * kBlock);
    return m.result();
}

std::int64_t CurveMapping::x(std::int64_t index) const {
    return sampleToPixelX(static_cast<double>(index), xScale, xOffset, xMin, left);
}

std::int64_t CurveMapping::y(std::uint16_t raw) const {
    return RowMapping(*this)(raw);
}

RowMapping::RowMapping(const CurveMapping& m)
    : ys(m.yScale * m.factor), ym(m.yMin * m.factor), factor(m.factor), top(m.top) {
    base = m.height + (m.yOffset * m.factor - ym) / ys;
}

namespace {

class Reducer {
public:
    Reducer(const SampleSummary& s, const CurveMapping& m, bool withDots, ReducedCurve& out)
        : s_(s), m_(m), withDots_(withDots), out_(out), dotTop_(m.top - m.reach),
          dotBottom_(m.top + m.height + m.reach), kept_(s.dotCoverage()), row_(m) {
        const DotCoverage::Key key{m.xScale, m.yScale, m.yOffset, m.yMin,
                                   m.factor, m.top,    m.height,  m.reach};
        if (withDots && !(kept_.valid && kept_.key == key)) {
            kept_.restart(key);
        }
    }

    void run() {
        const std::int64_t n = s_.count();
        const std::int64_t start = truncToInt64(m_.xOffset);
        const std::int64_t xLimit = m_.left + m_.width + m_.reach;
        const std::uint16_t* raw = s_.samples();
        std::int64_t i = std::max<std::int64_t>(start, 0);
        while (i < n) {
            const std::int64_t k = column(i);
            const std::int64_t end = columnEnd(i, k, n);
            const std::int64_t px = m_.x(i);
            if (px > xLimit) {
                addPoint(px, row_(raw[i]));
                break;
            }
            doColumn(px, i, end - 1);
            i = end;
        }
    }

private:
    std::int64_t column(std::int64_t i) const {
        return truncToInt64(static_cast<double>(i) / m_.xScale);
    }

    // First index past the column of sample i (which lies in column k).
    std::int64_t columnEnd(std::int64_t i, std::int64_t k, std::int64_t n) const {
        std::int64_t j = truncToInt64(static_cast<double>(k + 1) * m_.xScale);
        j = std::clamp<std::int64_t>(j, i + 1, n);
        while (j < n && column(j) <= k) {
            ++j;
        }
        while (j - 1 > i && column(j - 1) > k) {
            --j;
        }
        return j;
    }

    void addPoint(std::int64_t x, std::int64_t y) {
        if (!out_.xs.empty() && out_.xs.back() == x && out_.ys.back() == y) {
            return;
        }
        out_.xs.push_back(x);
        out_.ys.push_back(y);
    }

    void keepStill(std::int64_t x, std::int64_t y) {
        if (m_.keepStill) {
            out_.xs.push_back(x);
            out_.ys.push_back(y);
        }
    }

    bool dotColumnVisible(std::int64_t px) const {
        return px >= m_.left - m_.reach && px <= m_.left + m_.width + m_.reach;
    }

    // Rows and columns already clipped to near the plot area.
    void emitDots(std::int64_t px, std::int64_t yTop, std::int64_t yBottom) {
        out_.dots.push_back({static_cast<std::int32_t>(px), static_cast<std::int32_t>(yTop),
                             static_cast<std::int32_t>(yBottom)});
    }

    void addDotRun(std::int64_t px, std::int64_t yTop, std::int64_t yBottom) {
        yTop = std::max(yTop, dotTop_);
        yBottom = std::min(yBottom, dotBottom_);
        if (yTop > yBottom) {
            return;
        }
        emitDots(px, yTop, yBottom);
    }

    void doColumn(std::int64_t px, std::int64_t a, std::int64_t b) {
        const bool dots = withDots_ && dotColumnVisible(px);
        if (b - a + 1 <= kScanLimit) {
            shortColumn(px, a, b, dots);
            return;
        }
        const std::uint16_t* raw = s_.samples();
        const SampleSummary::Range r = s_.query(a, b);
        // y falls as the value rises.
        const std::int64_t yTop = row_(r.maxRaw);
        const std::int64_t yBottom = row_(r.minRaw);
        addPoint(px, row_(raw[a]));
        addPoint(px, yTop);
        addPoint(px, yBottom);
        addPoint(px, row_(raw[b]));
        if (yTop == yBottom) {
            keepStill(px, yTop);
        }
        if (!dots) {
            return;
        }
        // A path whose steps stay below the run gap visits every gap-wide band of rows
        // between its extremes, so its dots draw as one run.
        const double pixelsPerStep = r.maxStep * m_.factor / 1000.0 / (m_.yScale * m_.factor);
        if (pixelsPerStep < m_.dotRunGap - 0.001) {
            addDotRun(px, yTop, yBottom);
        } else {
            keptDots(px, a, b, yTop, yBottom);
        }
    }

    // A column of few samples: every row is worked out, once.
    void shortColumn(std::int64_t px, std::int64_t a, std::int64_t b, bool dots) {
        const std::uint16_t* raw = s_.samples();
        std::size_t n = 0;
        for (std::int64_t i = a; i <= b; ++i) {
            rows_[n++] = row_(raw[i]);
        }
        const auto [top, bottom] = std::minmax_element(rows_.begin(), rows_.begin() + n);
        addPoint(px, rows_[0]);
        addPoint(px, *top);
        addPoint(px, *bottom);
        addPoint(px, rows_[n - 1]);
        if (n > 1 && *top == *bottom) {
            keepStill(px, *top);
        }
        if (!dots) {
            return;
        }
        // The visible rows as bits over the column's extent, read back in order as runs.
        const std::int64_t lo = std::max(*top, dotTop_);
        const std::int64_t hi = std::min(*bottom, dotBottom_);
        if (lo > hi) {
            return;
        }
        const auto words = static_cast<std::size_t>((hi - lo) / 64 + 1);
        if (words > rowBits_.size()) {
            rowBits_.resize(words);
        }
        std::fill_n(rowBits_.begin(), words, std::uint64_t(0));
        for (std::size_t i = 0; i < n; ++i) {
            if (rows_[i] >= lo && rows_[i] <= hi) {
                const auto at = static_cast<std::uint64_t>(rows_[i] - lo);
                rowBits_[at / 64] |= std::uint64_t(1) << (at % 64);
            }
        }
        bool open = false;
        std::int64_t runTop = 0;
        std::int64_t runBottom = 0;
        for (std::size_t w = 0; w < words; ++w) {
            for (std::uint64_t bits = rowBits_[w]; bits != 0; bits &= bits - 1) {
                const std::int64_t y = lo + std::int64_t(w * 64) + std::countr_zero(bits);
                if (open && y == runBottom + 1) {
                    runBottom = y;
                    continue;
                }
                if (open) {
                    emitDots(px, runTop, runBottom);
                }
                open = true;
                runTop = runBottom = y;
            }
        }
        if (open) {
            emitDots(px, runTop, runBottom);
        }
    }

    // markDots for a dense column, through the rows kept from an earlier frame of this zoom.
    void keptDots(std::int64_t px, std::int64_t a, std::int64_t b, std::int64_t yTop,
                  std::int64_t yBottom) {
        const std::int64_t k = column(a);
        const auto it = kept_.columns.find(k);
        if (it != kept_.columns.end() && it->second.first == a && it->second.last == b) {
            for (std::size_t r = it->second.begin; r < it->second.end; ++r) {
                emitDots(px, kept_.runs[r].first, kept_.runs[r].second);
            }
            return;
        }
        const std::size_t from = out_.dots.size();
        markDots(px, a, b, yTop, yBottom);
        const std::size_t count = out_.dots.size() - from;
        if (kept_.runs.size() + count > kCoverageLimit) {
            kept_.restart(kept_.key);
        }
        DotCoverage::Column& c = kept_.columns[k];
        c.first = a;
        c.last = b;
        c.begin = kept_.runs.size();
        for (std::size_t r = from; r < out_.dots.size(); ++r) {
            kept_.runs.emplace_back(out_.dots[r].yTop, out_.dots[r].yBottom);
        }
        c.end = kept_.runs.size();
    }

    // Exact dot rows of a column: mark every visible row that holds a sample, then emit runs.
    void markDots(std::int64_t px, std::int64_t a, std::int64_t b, std::int64_t yTop,
                  std::int64_t yBottom) {
        const std::int64_t lo = std::max(yTop, dotTop_);
        const std::int64_t hi = std::min(yBottom, dotBottom_);
        if (lo > hi) {
            return;
        }
        marks_.assign(static_cast<std::size_t>(hi - lo + 1), 0);
        const std::uint16_t* raw = s_.samples();
        const bool useTable = b - a + 1 > kTableWorth;
        for (std::int64_t i = a; i <= b; ++i) {
            const std::int64_t y = useTable ? tableRow(raw[i]) : row_(raw[i]);
            if (y >= lo && y <= hi) {
                marks_[static_cast<std::size_t>(y - lo)] = 1;
            }
        }
        std::int64_t runStart = -1;
        for (std::int64_t y = lo; y <= hi + 1; ++y) {
            const bool on = y <= hi && marks_[static_cast<std::size_t>(y - lo)];
            if (on && runStart < 0) {
                runStart = y;
            } else if (!on && runStart >= 0) {
                emitDots(px, runStart, y - 1);
                runStart = -1;
            }
        }
    }

    // Row of a raw value through a table of all raw values, built on first use in a frame.
    std::int64_t tableRow(std::uint16_t raw) {
        if (table_.empty()) {
            table_.resize(65536);
            for (std::size_t v = 0; v < table_.size(); ++v) {
                table_[v] = row_(static_cast<std::uint16_t>(v));
            }
        }
        return table_[raw];
    }

    const SampleSummary& s_;
    const CurveMapping& m_;
    bool withDots_;
    ReducedCurve& out_;
    std::int64_t dotTop_;
    std::int64_t dotBottom_;
    DotCoverage& kept_;
    const RowMapping row_;
    std::vector<std::uint8_t> marks_;
    std::vector<std::int64_t> table_;
    std::array<std::int64_t, kScanLimit> rows_{};
    std::vector<std::uint64_t> rowBits_;
};

} // namespace

void reduceCurve(const SampleSummary& summary, const CurveMapping& map, bool withDots,
                 ReducedCurve& out) {
    out.xs.clear();
    out.ys.clear();
    out.dots.clear();
    if (summary.count() < 1 || summary.samples() == nullptr || !(map.xScale > 0.0)) {
        return;
    }
    Reducer(summary, map, withDots, out).run();
}

} // namespace quillmark
