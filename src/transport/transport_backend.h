#pragma once
// What the transports tell the user beside their status codes: the udev rule that lets the
// logged-in user open the logger, and the advice printed with it. (The backends themselves
// are chosen by the factory in src/backend, which also knows the simulator.)
#include <string>

namespace quillmark::transport {

// The rule installed as lib/udev/rules.d/70-quillmark-logger.rules.
extern const char* const kUdevRule;
extern const char* const kUdevRuleFileName;
std::string permissionAdvice();

} // namespace quillmark::transport
