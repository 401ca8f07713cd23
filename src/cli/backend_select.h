#pragma once
// quillmark-cli's wiring of a logger backend: "usb" (default), "sim" or "socket:PATH",
// chosen with --backend (or --simulate for sim).
#include <memory>
#include <string>
#include <vector>

#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"

namespace quillmark::cli {

struct CliBackend {
    std::unique_ptr<VendorUsb> vendor;
    std::unique_ptr<LoggerDetector> detector;
};

// False with a message for an unknown or unavailable backend.
bool selectBackend(const std::vector<std::string>& args, CliBackend& out, std::string* error);

// Help text line for the --backend option.
inline constexpr const char* kBackendHelp =
    "  --backend B      usb (default), sim, or socket:PATH (e.g. quillmark-logger-sim)\n";

// After a failed open: the permission advice when a logger is there but may not be opened.
void explainOpenFailure(VendorUsb::Status status);

} // namespace quillmark::cli
