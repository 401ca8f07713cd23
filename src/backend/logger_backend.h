#pragma once
// The one factory from a --backend choice to a logger backend, shared by the desktop program
// and quillmark-cli. It knows the real transports and the simulator, which therefore never
// need to know each other.
#include <memory>
#include <string>
#include <string_view>

#include "core/link/backend_choice.h"
#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"

namespace quillmark {

struct LoggerBackend {
    std::unique_ptr<VendorUsb> vendor;
    std::unique_ptr<LoggerDetector> detector;
    // Set once a logger is chosen: the backend itself, which `vendor` then wraps.
    std::unique_ptr<VendorUsb> all;
};

// From now on device 0 of `backend.vendor` is the logger at `location`.
void pinLogger(LoggerBackend& backend, const std::string& location);

// False with a one-line reason for a choice this build cannot serve (usb without libusb).
bool createLoggerBackend(const BackendChoice& choice, LoggerBackend& out,
                         std::string* error = nullptr);
// The same from the --backend text; an unknown text is refused with the parser's reason.
bool createLoggerBackend(std::string_view text, LoggerBackend& out, std::string* error = nullptr);

// What to tell the user after a failed open beyond "Not Connected": how to get permission
// when a logger is present but may not be opened; empty otherwise.
std::string openFailureAdvice(VendorUsb::Status status);

} // namespace quillmark
