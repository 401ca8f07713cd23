#include "core/data/spreadsheet_export.h"

#include <optional>

namespace quillmark {

namespace {

struct ExportBasis {
    DisplayUnit unit;
    std::int64_t start;
};

// What every export starts from: the display unit and the start time (nothing, with the
// reason, when the start time cannot be built).
std::optional<ExportBasis> exportBasis(const Recording& rec, std::int32_t unitIndex,
                                       std::int32_t model, std::string* error) {
    const auto start = startTimeOrError(rec, error);
    if (!start)
        return std::nullopt;
    return ExportBasis{displayUnit(model, unitIndex), *start};
}

} // namespace

bool renderSpreadsheetExport(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                             const TextSink& sink, std::string* error) {
    const auto basis = exportBasis(rec, unitIndex, model, error);
    if (!basis)
        return false;
    const auto& [unit, start] = *basis;
    ChunkedText text(sink);
    std::string& out = text.buf();
    out += "StartTime\t";
    out += formatLocalTime(start);
    out += "\t\r\nMax\t";
    appendExtremeLine(out, rec, start, rec.maxIndex, unit);
    out += "\t\r\nMin\t";
    appendExtremeLine(out, rec, start, rec.minIndex, unit);
    out += "\t\r\nAverage\t";
    out += convertedValueText(rec.average);
    out += "\t\r\nSampleRate\t";
    out += rec.intervalText();
    out += " second\t\r\nID\tValue\tUnit\tDateTime\t\r\n";

    const std::int64_t n = presentSampleCount(rec);
    const ValueTexts values(unit.factor, n > 20000);
    SampleClock clock(rec, start);
    const std::string unitCell = std::string(unit.name) + "\t";
    for (std::int64_t i = 0; i < n; ++i) {
        appendInt(out, i);
        out.push_back('\t');
        values.append(out, rec.samples[static_cast<std::size_t>(i)]);
        out.push_back('\t');
        out += unitCell;
        clock.appendSampleTime(out, i);
        out += "\t\r\n";
        if (!text.maybeFlush())
            return false;
    }
    return text.flush();
}

bool writeSpreadsheetExport(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                            std::int32_t model, std::string* error,
                            const std::vector<std::string>& inputs) {
    return writeRenderedFile(path, renderSpreadsheetExport, rec, unitIndex, model, error, inputs);
}

bool renderCsvExport(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                     const TextSink& sink, std::string* error) {
    const auto basis = exportBasis(rec, unitIndex, model, error);
    if (!basis)
        return false;
    const auto& [unit, start] = *basis;
    ChunkedText text(sink);
    std::string& out = text.buf();
    out += "Index,Time,Value,Unit\r\n";
    const std::int64_t n = presentSampleCount(rec);
    const ValueTexts values(unit.factor, n > 20000);
    SampleClock clock(rec, start);
    // Unit names hold no comma, quote or line break, so no field needs quoting.
    const std::string unitCell = "," + std::string(unit.name) + "\r\n";
    for (std::int64_t i = 0; i < n; ++i) {
        appendInt(out, i);
        out.push_back(',');
        clock.appendIsoSampleTime(out, i);
        out.push_back(',');
        values.append(out, rec.samples[static_cast<std::size_t>(i)]);
        out += unitCell;
        if (!text.maybeFlush())
            return false;
    }
    return text.flush();
}

bool writeCsvExport(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                    std::int32_t model, std::string* error,
                    const std::vector<std::string>& inputs) {
    return writeRenderedFile(path, renderCsvExport, rec, unitIndex, model, error, inputs);
}

} // namespace quillmark
