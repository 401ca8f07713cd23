// quillmark-cli probe: opens and closes the logger once, as the logger dialogs do.
#include <cstdio>

#include "cli/backend_select.h"
#include "cli/command.h"
#include "cli/options.h"
#include "core/link/logger_link.h"

namespace quillmark::cli {
namespace {

int runProbe(const std::vector<std::string>& args) {
    const auto parsed = parseOptions({"probe", loggerOptions(), 0, 0}, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        std::printf("Usage: quillmark-cli probe [--device D] [--backend B]\n\n"
                    "Prints \"%s\" (exit 0) or \"%s\" (exit 1), then the logger's\n"
                    "location (BUS:PORTPATH) and serial number. With several loggers and no\n"
                    "--device it lists them and exits 2.\n\n%s",
                    probeCaption(ProbeState::Connected), probeCaption(ProbeState::NotConnected),
                    kBackendHelp);
        return 0;
    }
    LoggerBackend backend;
    std::string error;
    if (!selectBackend(args, backend, &error)) {
        std::fprintf(stderr, "quillmark-cli probe: %s\n", error.c_str());
        return 2;
    }
    const DeviceChoice device = chooseDevice(args, backend, "probe");
    if (device.exitCode == 1)
        std::printf("%s\n", probeCaption(ProbeState::NotConnected));
    if (device.exitCode != 0)
        return device.exitCode;
    LoggerLink link(*backend.vendor);
    const bool connected = link.probe();
    std::printf("%s\n", probeCaption(probeState(connected)));
    if (connected) {
        if (!device.label.empty())
            std::printf("%s\n", device.label.c_str());
        return 0;
    }
    printFault(link.faultAt("opening the logger"));
    explainOpenFailure(link.lastStatus());
    return 1;
}

const CommandRegistrar registrar({"probe", "tell whether a logger is connected", runProbe});

} // namespace
} // namespace quillmark::cli
