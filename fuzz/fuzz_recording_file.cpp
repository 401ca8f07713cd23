// Feeds random bytes to the recording-file reader; every accepted file must be in bounds,
// writing it back must reproduce the bytes it was read from, and the text data file, the
// spreadsheet export and the CSV must render it in every display unit without fault.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/data/recording_file.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto loaded = quillmark::parseRecordingFile(data, size);
    if (!loaded)
        return 0;
    const auto& rec = loaded->recording;
    if (rec.sampleCount < 0 || static_cast<std::size_t>(rec.sampleCount) != rec.samples.size() ||
        rec.maxIndex >= rec.sampleCount || rec.minIndex >= rec.sampleCount || rec.maxIndex < -1 ||
        rec.minIndex < -1)
        std::abort();
    const auto bytes = quillmark::serializeRecordingFile(rec, loaded->model);
    // The samples and header come back unchanged (indices may have been cleared).
    if (bytes.size() > size || std::memcmp(bytes.data() + 28, data + 28, bytes.size() - 28) != 0)
        std::abort();

    // Each writer either renders or fails with a reason; a failure may only be the start time.
    const quillmark::TextSink sink = [](std::string_view) { return true; };
    const bool startValid = quillmark::startTime(rec).has_value();
    for (const auto render : {quillmark::renderTextDataFile, quillmark::renderSpreadsheetExport,
                              quillmark::renderCsvExport}) {
        // The file's own unit index, which may be anything, and one valid row.
        for (const std::int32_t unit : {rec.unitIndex, static_cast<std::int32_t>(size % 5)}) {
            std::string error;
            const bool ok = render(rec, unit, loaded->model, sink, &error);
            if (ok != startValid || (!ok && error.empty()))
                std::abort();
        }
    }
    return 0;
}
