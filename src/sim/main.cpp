// quillmark-logger-sim: the simulated logger as a process, reachable through a Unix socket
// (quillmark --backend socket:PATH, quillmark-cli --backend socket:PATH).
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "quillmark/version.h"
#include "sim/logger_device.h"
#include "sim/socket_server.h"

namespace {

std::atomic<bool> gStop{false};
std::atomic<bool> gButton{false};

void onStop(int) {
    gStop = true;
}
void onButton(int) {
    gButton = true;
}

void usage(std::FILE* out) {
    std::fprintf(out, "Usage: quillmark-logger-sim --socket PATH [OPTIONS]\n"
                      "\n"
                      "Plays a logger on a Unix stream socket. It starts with a demo recording in\n"
                      "memory. Send SIGUSR1 to press the button in the housing (manual start).\n"
                      "\n"
                      "Options:\n"
                      "  --socket PATH             listen on PATH (required)\n"
                      "  --speed X                 simulated seconds per real second (default 1)\n"
                      "  --empty                   start with an empty memory instead of the demo\n"
                      "  --vanish-after N          disappear after sending N bytes\n"
                      "  --stall-after N           stay connected but send nothing after N bytes\n"
                      "  --never-ack               take the settings block but never acknowledge\n"
                      "  --junk-before-ack N       send N other bytes before the acknowledge\n"
                      "  --bad-recorded-points N   report N as the number of recorded samples\n"
                      "  --help                    show this text\n"
                      "  --version                 show the version\n");
}

bool number(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    quillmark::sim::SimOptions options;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        long n = 0;
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("quillmark-logger-sim %s\n", quillmark::kVersion);
            return 0;
        } else if (a == "--socket" && hasValue) {
            path = argv[++i];
        } else if (a == "--speed" && hasValue) {
            char* end = nullptr;
            options.clockSpeed = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options.clockSpeed > 0.0)) {
                std::fprintf(stderr, "quillmark-logger-sim: bad --speed\n");
                return 2;
            }
        } else if (a == "--empty") {
            options.demoRecording = false;
        } else if (a == "--vanish-after" && hasValue && number(argv[i + 1], n) && n >= 0) {
            options.vanishAfterBytes = n;
            ++i;
        } else if (a == "--stall-after" && hasValue && number(argv[i + 1], n) && n >= 0) {
            options.stallAfterBytes = n;
            ++i;
        } else if (a == "--never-ack") {
            options.neverAcknowledge = true;
        } else if (a == "--junk-before-ack" && hasValue && number(argv[i + 1], n) && n >= 0 &&
                   n <= 100000) {
            options.junkBeforeAcknowledge = static_cast<int>(n);
            ++i;
        } else if (a == "--bad-recorded-points" && hasValue && number(argv[i + 1], n) &&
                   n >= INT32_MIN && n <= INT32_MAX) {
            options.badRecordedPoints = static_cast<std::int32_t>(n);
            ++i;
        } else {
            std::fprintf(stderr, "quillmark-logger-sim: unknown or incomplete option '%s'\n",
                         a.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (path.empty()) {
        usage(stderr);
        return 2;
    }

    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    std::signal(SIGUSR1, onButton);
    std::signal(SIGPIPE, SIG_IGN);

    quillmark::sim::LoggerDevice device(options);
    std::thread button([&device] {
        while (!gStop) {
            if (gButton.exchange(false))
                device.pressButton();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    std::string error;
    const bool ok = quillmark::sim::serveSocket(device, path, gStop, &error);
    gStop = true;
    button.join();
    if (!ok) {
        std::fprintf(stderr, "quillmark-logger-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
