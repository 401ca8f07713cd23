#pragma once
// The readable text data file written beside a recording file: a statistics block and one
// line per sample, ASCII with CR LF line ends. Written only, never read back.
#include <cstdint>
#include <string>

#include "core/data/recording.h"
#include "core/data/sample_text.h"

namespace quillmark {

// Produces the file's text in chunks. Fails (with a message) when the start time cannot be
// built or the sink refuses.
bool renderTextDataFile(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                        const TextSink& sink, std::string* error = nullptr);

bool writeTextDataFile(const std::string& path, const Recording& rec, std::int32_t unitIndex,
                       std::int32_t model, std::string* error = nullptr,
                       const std::vector<std::string>& inputs = {});

} // namespace quillmark
