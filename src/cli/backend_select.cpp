#include "cli/backend_select.h"

#include <cstdio>

#include "cli/command.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"
#include "transport/transport_backend.h"

namespace quillmark::cli {

bool selectBackend(const std::vector<std::string>& args, CliBackend& out, std::string* error) {
    std::string choice = "usb";
    optionValue(args, "--backend", choice);
    if (hasFlag(args, "--simulate"))
        choice = "sim";
    if (choice == "sim") {
        out.vendor = std::make_unique<sim::SimulatedLogger>();
        out.detector = std::make_unique<sim::SimDetector>();
        return true;
    }
    transport::TransportBackend backend;
    if (!transport::createTransportBackend(choice, backend, error))
        return false;
    out.vendor = std::move(backend.vendor);
    out.detector = std::move(backend.detector);
    return true;
}

void explainOpenFailure(VendorUsb::Status status) {
    if (status == VendorUsb::kAccessDenied)
        std::fprintf(stderr, "%s\n", transport::permissionAdvice().c_str());
}

} // namespace quillmark::cli
