#pragma once
// What a recording says about its logger, as text for people: the logger name from the
// header and the model's kind.
#include <cstdint>
#include <string>

#include "core/data/recording.h"

namespace quillmark {

// The logger name stored in the header, up to its first zero byte; raw bytes.
std::string loggerName(const Recording& rec);

// A name from a file may hold anything; printed raw, an escape sequence would reach the
// terminal. Control and non-ASCII bytes are shown as \xHH, and a backslash doubled.
std::string printableText(const std::string& s);

// "air speed", "voltage", "current" or "unknown".
const char* modelKindName(std::int32_t model);

} // namespace quillmark
