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
        std::printf("Usage: quillmark-cli probe [--backend B]\n\n"
                    "Prints \"%s\" (exit 0) or \"%s\" (exit 1).\n\n%s",
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
    LoggerLink link(*backend.vendor);
    const bool connected = link.probe();
    std::printf("%s\n", probeCaption(probeState(connected)));
    if (connected)
        return 0;
    explainOpenFailure(link.lastStatus());
    return 1;
}

const CommandRegistrar registrar({"probe", "tell whether a logger is connected", runProbe});

} // namespace
} // namespace quillmark::cli
