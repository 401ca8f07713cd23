#include "transport/transport_backend.h"

#include "transport/socket_vendor_usb.h"
#ifdef QUILLMARK_HAVE_USB
#include "transport/usb_vendor_usb.h"
#endif

namespace quillmark::transport {

const char* const kUdevRuleFileName = "70-quillmark-logger.rules";
const char* const kUdevRule =
    "SUBSYSTEM==\"usb\", ATTRS{idVendor}==\"10c4\", ATTRS{idProduct}==\"ea61\", "
    "TAG+=\"uaccess\"";

std::string permissionAdvice() {
    return std::string("A logger is present, but this user has no permission to open it.\n"
                       "Install this udev rule as /etc/udev/rules.d/") +
           kUdevRuleFileName + ":\n  " + kUdevRule +
           "\nthen run 'sudo udevadm control --reload && sudo udevadm trigger' and plug the "
           "logger in again.";
}

bool createTransportBackend(std::string_view choice, TransportBackend& out, std::string* error) {
    constexpr std::string_view socketPrefix = "socket:";
    if (choice.substr(0, socketPrefix.size()) == socketPrefix) {
        const std::string path(choice.substr(socketPrefix.size()));
        if (path.empty()) {
            if (error)
                *error = "socket backend needs a path: socket:PATH";
            return false;
        }
        out.vendor = std::make_unique<SocketVendorUsb>(path);
        out.detector = std::make_unique<SocketDetector>(path);
        return true;
    }
    if (choice == "usb") {
#ifdef QUILLMARK_HAVE_USB
        out.vendor = std::make_unique<UsbVendorUsb>();
        out.detector = std::make_unique<UsbDetector>();
        return true;
#else
        if (error)
            *error = "this build has no usb backend (QUILLMARK_BUILD_USB is off)";
        return false;
#endif
    }
    if (error)
        *error = "unknown backend '" + std::string(choice) + "' (use usb, sim or socket:PATH)";
    return false;
}

} // namespace quillmark::transport
