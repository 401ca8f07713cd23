#include "core/data/text_data_file.h"

namespace quillmark {

bool renderTextDataFile(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                        const TextSink& sink, std::string* error) {
    const DisplayUnit unit = displayUnit(model, unitIndex);
    ChunkedText text(sink);
    std::string& out = text.buf();
    out += "TXT Data File\r\n";
    const auto start = startTimeOrError(rec, error);
    if (!start)
        return false;
    out += "StartTime: ";
    out += formatLocalTime(*start);
    out += "\r\nMax: ";
    appendExtremeLine(out, rec, *start, rec.maxIndex, unit);
    out += "\r\nMin: ";
    appendExtremeLine(out, rec, *start, rec.minIndex, unit);
    out += "\r\nAverage: ";
    out += convertedValueText(rec.average);
    out += "\r\nSampleRate: ";
    out += rec.intervalText();
    out += " second\r\n\r\n";

    const std::int64_t n = presentSampleCount(rec);
    const ValueTexts values(unit.factor, n > 20000);
    SampleClock clock(rec, *start);
    for (std::int64_t i = 0; i < n; ++i) {
        appendInt(out, i + 1);
        out += ", ";
        values.append(out, rec.samples[static_cast<std::size_t>(i)]);
        out += ", ";
        out += unit.name;
        out += ", ";
        clock.appendSampleTime(out, i);
        out += "\r\n";
        if (!text.maybeFlush())
            return false;
    }
    return text.flush();
}

bool writeTextDataFile(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                       std::int32_t model, std::string* error,
                       const std::vector<std::string>& inputs) {
    return writeRenderedFile(path, renderTextDataFile, rec, unitIndex, model, error, inputs);
}

} // namespace quillmark
