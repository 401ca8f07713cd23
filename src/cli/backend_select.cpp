#include "cli/backend_select.h"

#include <cstdio>

#include "cli/command.h"
#include "core/link/logger_choice.h"

namespace quillmark::cli {

bool selectBackend(const std::vector<std::string>& args, LoggerBackend& out, std::string* error) {
    std::string choice = kDefaultBackend;
    const bool named = optionValue(args, "--backend", choice);
    if (hasFlag(args, "--simulate")) {
        if (named) {
            if (error)
                *error = "--simulate and --backend both choose the backend; give one";
            return false;
        }
        choice = "sim";
    }
    return createLoggerBackend(choice, out, error);
}

void explainOpenFailure(VendorUsb::Status status) {
    const std::string advice = openFailureAdvice(status);
    if (!advice.empty())
        std::fprintf(stderr, "%s\n", advice.c_str());
}

DeviceChoice chooseDevice(const std::vector<std::string>& args, LoggerBackend& backend,
                          const char* command) {
    DeviceChoice choice;
    std::string wanted;
    if (optionValue(args, "--device", wanted) && wanted.empty()) {
        std::fprintf(stderr, "quillmark-cli %s: --device needs BUS:PORTPATH or a serial number\n",
                     command);
        choice.exitCode = 2;
        return choice;
    }
    std::vector<LoggerDevice> present;
    const bool listed = backend.vendor->listDevices(present);
    if (!listed && !wanted.empty()) {
        std::fprintf(stderr,
                     "quillmark-cli %s: --device needs a backend that tells loggers apart "
                     "(usb)\n",
                     command);
        choice.exitCode = 2;
        return choice;
    }
    const LoggerSelection selection = selectLogger(listed, present, wanted);
    if (selection.kind == LoggerSelection::Kind::Chosen) {
        choice.location = selection.device.location;
        choice.label = loggerDeviceLabel(selection.device);
        pinLogger(backend, choice.location);
        return choice;
    }
    if (selection.kind == LoggerSelection::Kind::Default)
        return choice;
    std::fprintf(stderr, "%s\n", loggerSelectionProblem(selection, wanted).c_str());
    choice.exitCode = selection.kind == LoggerSelection::Kind::NotFound ? 1 : 2;
    return choice;
}

void printMessage(const DialogMessage& message) {
    std::fprintf(stderr, "%s\n", message.text.c_str());
    if (!message.detail.empty())
        std::fprintf(stderr, "%s\n", message.detail.c_str());
}

void printFault(const std::optional<LinkFault>& fault) {
    if (fault)
        std::fprintf(stderr, "%s\n", linkFaultText(*fault).c_str());
}

} // namespace quillmark::cli
