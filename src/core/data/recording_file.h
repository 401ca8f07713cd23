#pragma once
// The binary recording file (".smpq"): little-endian, packed, no signature.
//   0 sampleCount i32 | 4 maxIndex i32 | 8 minIndex i32 | 12 average f64 | 20 unitIndex i32
//   24 model code i32 | 28 header (64 bytes) | 92 samples (u16 each)
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/data/recording.h"

namespace quillmark {

inline constexpr std::size_t kRecordingFileHeaderSize = 92;

struct LoadedRecording {
    Recording recording;
    std::int32_t model = 0;
};

// Reads a whole recording file into a fresh Recording; the caller replaces its own
// Recording and the model code only on success. Fails on a short file and on a negative
// sampleCount; max/min indices outside the samples become -1.
std::optional<LoadedRecording> readRecordingFile(const std::string& path,
                                                 std::string* error = nullptr);
std::optional<LoadedRecording> parseRecordingFile(const std::uint8_t* data, std::size_t size,
                                                  std::string* error = nullptr);

std::vector<std::uint8_t> serializeRecordingFile(const Recording& rec, std::int32_t model);
// Never onto one of inputs (writeOutputFile).
bool writeRecordingFile(const std::string& path, const Recording& rec, std::int32_t model,
                        std::string* error = nullptr, const std::vector<std::string>& inputs = {});

} // namespace quillmark
