#include "core/data/sample_text.h"

#include "core/common/atomic_file.h"

namespace quillmark {

ValueTexts::ValueTexts(double factor, bool useTable) : factor_(factor) {
    if (!useTable)
        return;
    table_ = std::make_unique<std::array<char, 8>[]>(65536);
    std::string s;
    for (std::uint32_t raw = 0; raw < 65536; ++raw) {
        s.clear();
        appendSampleValueText(s, static_cast<std::uint16_t>(raw), factor_);
        auto& cell = table_[raw];
        cell[0] = static_cast<char>(s.size());
        s.copy(cell.data() + 1, s.size());
    }
}

void ValueTexts::append(std::string& out, std::uint16_t raw) const {
    if (table_) {
        const auto& cell = table_[raw];
        out.append(cell.data() + 1, static_cast<std::size_t>(cell[0]));
        return;
    }
    appendSampleValueText(out, raw, factor_);
}

std::string sampleValueText(std::uint16_t raw, double factor, bool markOverRange) {
    std::string s;
    if (markOverRange)
        appendSampleValueText(s, raw, factor);
    else
        appendFixed(s, convertedValue(raw, factor), 2);
    return s;
}

SampleClock::SampleClock(const Recording& rec, std::int64_t start)
    : delta_(rec.effectiveInterval()), start_(start) {}

SampleClock::Stamp SampleClock::stamp(std::int64_t i) {
    Stamp s;
    if (delta_ >= 1.0) {
        s.fields = cache_.fields(offsetTime(start_, static_cast<double>(i) * delta_));
        return s;
    }
    s.fields = cache_.fields(offsetTime(start_, static_cast<double>(i + 1) * delta_));
    const double product = static_cast<double>(i) * delta_;
    s.hasFraction = true;
    s.fraction = static_cast<float>(product - static_cast<std::int32_t>(product));
    return s;
}

void SampleClock::appendSampleTime(std::string& out, std::int64_t i) {
    const Stamp s = stamp(i);
    appendDayMonthYearTime(out, s.fields);
    if (s.hasFraction)
        appendFraction4(out, s.fraction);
}

void SampleClock::appendIsoSampleTime(std::string& out, std::int64_t i) {
    const Stamp s = stamp(i);
    appendIsoLocal(out, s.fields);
    if (s.hasFraction)
        appendFraction4(out, s.fraction);
    if (s.fields.valid)
        appendIsoOffset(out, s.fields.utcOffset);
}

bool ChunkedText::flush() {
    if (failed_)
        return false;
    if (!buf_.empty() && !sink_(buf_))
        failed_ = true;
    buf_.clear();
    return !failed_;
}

bool writeRenderedFile(const std::string& path, RecordingRenderer render, const Recording& rec,
                       std::int32_t unitIndex, std::int32_t model, std::string* error,
                       const std::vector<std::string>& inputs) {
    const auto failure =
        writeOutputFile(path, inputs, [&](const OutputSink& sink, std::string* renderError) {
            return render(rec, unitIndex, model, sink, renderError);
        });
    if (failure && error)
        *error = failure->message;
    return !failure;
}

std::optional<std::int64_t> startTimeOrError(const Recording& rec, std::string* error) {
    const auto t = startTime(rec);
    if (!t && error)
        *error = kStartTimeError;
    return t;
}

void appendExtremeLine(std::string& out, const Recording& rec, std::int64_t start,
                       std::int32_t index, const DisplayUnit& unit) {
    if (index < 0 || index >= presentSampleCount(rec)) {
        out += "-- @ --  ";
        out += unit.name;
        return;
    }
    appendSampleValueText(out, rec.samples[static_cast<std::size_t>(index)], unit.factor);
    out += " @ ";
    out += extremeTime(rec, start, index);
    out += "  ";
    out += unit.name;
}

IsoSampleTimes::IsoSampleTimes(const Recording& rec) {
    if (const std::optional<std::int64_t> start = startTime(rec))
        clock_.emplace(rec, *start);
}

std::string IsoSampleTimes::operator()(std::int64_t i) {
    std::string t;
    if (clock_)
        clock_->appendIsoSampleTime(t, i);
    else
        t = "invalid";
    return t;
}

} // namespace quillmark
