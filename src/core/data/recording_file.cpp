#include "core/data/recording_file.h"

#include <bit>
#include <cstring>
#include <new>

#include "core/common/atomic_file.h"
#include "core/common/byte_order.h"
#include "core/common/input_file.h"

namespace quillmark {

namespace {

void setError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

// Fields before the samples; returns the sample count or nothing when it is negative.
std::optional<std::int32_t> parseFixedPart(const std::uint8_t* p, LoadedRecording& out) {
    Recording& rec = out.recording;
    rec.sampleCount = getI32LE(p + 0);
    rec.maxIndex = getI32LE(p + 4);
    rec.minIndex = getI32LE(p + 8);
    rec.average = getF64LE(p + 12);
    rec.unitIndex = getI32LE(p + 20);
    out.model = getI32LE(p + 24);
    std::memcpy(rec.header.data(), p + 28, block::kSize);
    if (rec.sampleCount < 0)
        return std::nullopt;
    return rec.sampleCount;
}

// Nothing may index the samples with a statistic the file got wrong.
void sanitizeIndices(Recording& rec) {
    if (rec.maxIndex < -1 || rec.maxIndex >= rec.sampleCount)
        rec.maxIndex = -1;
    if (rec.minIndex < -1 || rec.minIndex >= rec.sampleCount)
        rec.minIndex = -1;
}

// A recording larger than the memory left is an error the user is told about, not an abort.
bool allocateSamples(Recording& rec, std::int32_t count, std::string* error) {
    try {
        rec.samples.resize(static_cast<std::size_t>(count));
        return true;
    } catch (const std::bad_alloc&) {
        setError(error, "Not enough memory to load the recording's " + std::to_string(count) +
                            " samples.");
        return false;
    }
}

void samplesFromLittleEndian(std::vector<std::uint16_t>& samples) {
    if constexpr (std::endian::native == std::endian::big) {
        for (auto& s : samples)
            s = static_cast<std::uint16_t>((s >> 8) | (s << 8));
    }
}

} // namespace

std::optional<LoadedRecording> parseRecordingFile(const std::uint8_t* data, std::size_t size,
                                                  std::string* error) {
    if (size < kRecordingFileHeaderSize) {
        setError(error, "The file is too short to be a recording file.");
        return std::nullopt;
    }
    LoadedRecording out;
    const auto count = parseFixedPart(data, out);
    if (!count) {
        setError(error, "The file holds a negative sample count.");
        return std::nullopt;
    }
    const std::size_t needed = kRecordingFileHeaderSize + 2 * static_cast<std::size_t>(*count);
    if (size < needed) {
        setError(error, "The file is shorter than its sample count promises.");
        return std::nullopt;
    }
    if (!allocateSamples(out.recording, *count, error))
        return std::nullopt;
    if (*count > 0)
        std::memcpy(out.recording.samples.data(), data + kRecordingFileHeaderSize,
                    2 * static_cast<std::size_t>(*count));
    samplesFromLittleEndian(out.recording.samples);
    sanitizeIndices(out.recording);
    return out;
}

std::optional<LoadedRecording> readRecordingFile(const std::string& path, std::string* error) {
    // Opened without blocking and refused unless it is a regular file, so a FIFO or a device
    // named as a recording cannot hang the program.
    InputFile file;
    if (!file.open(path, error))
        return std::nullopt;
    std::uint8_t fixed[kRecordingFileHeaderSize];
    int err = 0;
    if (!file.readAt(0, fixed, sizeof fixed, &err)) {
        setError(error, err != 0 ? fileErrorText("Cannot read", path, err)
                                 : "The file is too short to be a recording file.");
        return std::nullopt;
    }
    LoadedRecording out;
    const auto count = parseFixedPart(fixed, out);
    if (!count) {
        setError(error, "The file holds a negative sample count.");
        return std::nullopt;
    }
    // Check the size before allocating, so a corrupt count cannot ask for gigabytes.
    const std::size_t bytes = 2 * static_cast<std::size_t>(*count);
    if (file.size() < kRecordingFileHeaderSize + bytes) {
        setError(error, "The file is shorter than its sample count promises.");
        return std::nullopt;
    }
    if (!allocateSamples(out.recording, *count, error))
        return std::nullopt;
    if (bytes > 0 &&
        !file.readAt(kRecordingFileHeaderSize, out.recording.samples.data(), bytes, &err)) {
        setError(error, err != 0 ? fileErrorText("Cannot read", path, err)
                                 : "The file is shorter than its sample count promises.");
        return std::nullopt;
    }
    samplesFromLittleEndian(out.recording.samples);
    sanitizeIndices(out.recording);
    return out;
}

std::vector<std::uint8_t> serializeRecordingFile(const Recording& rec, std::int32_t model) {
    // The count written is the number of samples actually present, so the file never
    // promises more than it holds.
    const auto count = static_cast<std::int32_t>(presentSampleCount(rec));
    std::vector<std::uint8_t> out(kRecordingFileHeaderSize + 2 * static_cast<std::size_t>(count));
    std::uint8_t* p = out.data();
    putI32LE(p + 0, count);
    putI32LE(p + 4, rec.maxIndex);
    putI32LE(p + 8, rec.minIndex);
    putF64LE(p + 12, rec.average);
    putI32LE(p + 20, rec.unitIndex);
    putI32LE(p + 24, model);
    std::memcpy(p + 28, rec.header.data(), block::kSize);
    std::uint8_t* s = p + kRecordingFileHeaderSize;
    for (std::int32_t i = 0; i < count; ++i, s += 2)
        putU16LE(s, rec.samples[static_cast<std::size_t>(i)]);
    return out;
}

bool writeRecordingFile(const std::string& path, const Recording& rec, std::int32_t model,
                        std::string* error, const std::vector<std::string>& inputs) {
    const auto bytes = serializeRecordingFile(rec, model);
    const auto failure =
        writeOutputFile(path, inputs, [&bytes](const OutputSink& sink, std::string*) {
            return sink(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        });
    if (failure && error)
        *error = failure->message;
    return !failure;
}

} // namespace quillmark
