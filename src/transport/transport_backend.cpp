#include "transport/transport_backend.h"

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

} // namespace quillmark::transport
