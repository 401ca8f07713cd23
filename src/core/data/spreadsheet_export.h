#pragma once
// Exports for spreadsheet programs: the tab-separated ".xls" text file and an RFC 4180 CSV.
#include <cstdint>
#include <string>

#include "core/data/recording.h"
#include "core/data/sample_text.h"

namespace quillmark {

bool renderSpreadsheetExport(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                             const TextSink& sink, std::string* error = nullptr);
bool writeSpreadsheetExport(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                            std::int32_t model, std::string* error = nullptr,
                            const std::vector<std::string>& inputs = {});

// CSV: header "Index,Time,Value,Unit"; one row per sample with its 0-based index, the ISO 8601
// local time with UTC offset (a fraction of a second in fast sampling), the value in the unit
// ("OL" over range) and the unit name; CR LF line ends.
bool renderCsvExport(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                     const TextSink& sink, std::string* error = nullptr);
bool writeCsvExport(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                    std::int32_t model, std::string* error = nullptr,
                    const std::vector<std::string>& inputs = {});

} // namespace quillmark
