// Feeds random bytes to the recording-file reader; every accepted file must be in bounds,
// and writing it back must reproduce the bytes it was read from.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/data/recording_file.h"

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
    return 0;
}
