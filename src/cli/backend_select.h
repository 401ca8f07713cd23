#pragma once
// quillmark-cli's choice of logger backend: --backend usb (default), sim or socket:PATH, or
// --simulate for sim; the backend itself comes from the shared factory.
#include <optional>
#include <string>
#include <vector>

#include "backend/logger_backend.h"
#include "core/common/user_message.h"
#include "core/link/logger_link.h"

namespace quillmark::cli {

// False with a message for an unknown or unavailable backend.
bool selectBackend(const std::vector<std::string>& args, LoggerBackend& out, std::string* error);

// Help text lines for the --backend and --device options.
inline constexpr const char* kBackendHelp =
    "  --backend B      usb (default), sim, or socket:PATH (e.g. quillmark-logger-sim)\n"
    "  --device D       the logger at D (BUS:PORTPATH, as probe lists it) or with serial\n"
    "                   number D; needed when several loggers are connected\n";

// The --device choice made for a command: whom its exchanges reach, and what to say.
struct DeviceChoice {
    int exitCode = 0;     // 0: go on; else stop with this code (the problem was printed)
    std::string location; // the chosen logger, empty when no choice was needed
    std::string label;    // its listing line ("1:3.2, serial 0001")
};

// Applies --device to the backend: with a chosen (or single listed) logger every exchange
// reaches that one. Several loggers and no choice, an ambiguous serial number or a choice
// the backend cannot make: exit 2 with the list; a choice that is not there: exit 1.
DeviceChoice chooseDevice(const std::vector<std::string>& args, LoggerBackend& backend,
                          const char* command);

// After a failed open: the permission advice when a logger is there but may not be opened.
void explainOpenFailure(VendorUsb::Status status);

// A message from the core on stderr, as the window would show it in a box; its detail (what
// failed and why) follows on the next line.
void printMessage(const DialogMessage& message);
// The line after a failed exchange's fixed text: what failed and why.
void printFault(const std::optional<LinkFault>& fault);

} // namespace quillmark::cli
