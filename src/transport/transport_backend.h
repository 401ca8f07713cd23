#pragma once
// Backend selection from the --backend text, for the real transports.
//
// Accepted here: "usb" (libusb, ids from QUILLMARK_USB_IDS or 10C4:EA61) and "socket:PATH".
// "sim" is not known here, so transport does not depend on the simulator: each program's
// main wiring handles "sim" (and "--simulate") itself before calling this, e.g.
//
//     if (choice == "sim") { vendor = std::make_unique<sim::SimulatedLogger>();
//                          detector = std::make_unique<sim::SimDetector>(); }
//     else if (!transport::createTransportBackend(choice, backend, &error)) { ...error... }
//
// (src/cli/backend_select.cpp does exactly this for quillmark-cli.)
#include <memory>
#include <string>
#include <string_view>

#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"

namespace quillmark::transport {

struct TransportBackend {
    std::unique_ptr<VendorUsb> vendor;
    std::unique_ptr<LoggerDetector> detector;
};

// False with a one-line reason for an unknown or unavailable backend.
bool createTransportBackend(std::string_view choice, TransportBackend& out,
                            std::string* error = nullptr);

// The udev rule that lets the logged-in user open the logger (installed as
// lib/udev/rules.d/70-quillmark-logger.rules), and the advice printed with it.
extern const char* const kUdevRule;
extern const char* const kUdevRuleFileName;
std::string permissionAdvice();

} // namespace quillmark::transport
