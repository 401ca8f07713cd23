#pragma once
// quillmark-cli's choice of logger backend: --backend usb (default), sim or socket:PATH, or
// --simulate for sim; the backend itself comes from the shared factory.
#include <string>
#include <vector>

#include "backend/logger_backend.h"
#include "core/common/user_message.h"

namespace quillmark::cli {

// False with a message for an unknown or unavailable backend.
bool selectBackend(const std::vector<std::string>& args, LoggerBackend& out, std::string* error);

// Help text line for the --backend option.
inline constexpr const char* kBackendHelp =
    "  --backend B      usb (default), sim, or socket:PATH (e.g. quillmark-logger-sim)\n";

// After a failed open: the permission advice when a logger is there but may not be opened.
void explainOpenFailure(VendorUsb::Status status);

// A message from the core on stderr, as the window would show it in a box.
void printMessage(const DialogMessage& message);

} // namespace quillmark::cli
