#include "backend/logger_backend.h"

#include "core/link/logger_choice.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"
#include "transport/socket_vendor_usb.h"
#include "transport/transport_backend.h"
#ifdef QUILLMARK_HAVE_USB
#include "transport/usb_vendor_usb.h"
#endif

namespace quillmark {

bool createLoggerBackend(const BackendChoice& choice, LoggerBackend& out, std::string* error) {
    switch (choice.kind) {
    case BackendChoice::Kind::Sim:
        out.vendor = std::make_unique<sim::SimulatedLogger>();
        out.detector = std::make_unique<sim::SimDetector>();
        return true;
    case BackendChoice::Kind::Socket:
        out.vendor = std::make_unique<transport::SocketVendorUsb>(choice.socketPath);
        out.detector = std::make_unique<transport::SocketDetector>(choice.socketPath);
        return true;
    case BackendChoice::Kind::Usb:
#ifdef QUILLMARK_HAVE_USB
        out.vendor = std::make_unique<transport::UsbVendorUsb>();
        out.detector = std::make_unique<transport::UsbDetector>();
        return true;
#else
        break;
#endif
    }
    if (error)
        *error = "this build has no usb backend (QUILLMARK_BUILD_USB is off)";
    return false;
}

bool createLoggerBackend(std::string_view text, LoggerBackend& out, std::string* error) {
    const std::optional<BackendChoice> choice = parseBackendChoice(text, error);
    return choice && createLoggerBackend(*choice, out, error);
}

void pinLogger(LoggerBackend& backend, const std::string& location) {
    if (!backend.all)
        backend.all = std::move(backend.vendor);
    backend.vendor = std::make_unique<ChosenLogger>(*backend.all, location);
}

std::string openFailureAdvice(VendorUsb::Status status) {
    return status == VendorUsb::kAccessDenied ? transport::permissionAdvice() : std::string();
}

} // namespace quillmark
