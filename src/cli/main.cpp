#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/command.h"
#include "quillmark/version.h"

namespace quillmark::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> all;
    return all;
}
} // namespace

void registerCommand(const Command& command) {
    registry().push_back(command);
}
const std::vector<Command>& commands() {
    return registry();
}

bool hasFlag(const std::vector<std::string>& args, std::string_view flag) {
    for (const auto& a : args)
        if (a == flag)
            return true;
    return false;
}

bool optionValue(const std::vector<std::string>& args, std::string_view name, std::string& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == name && i + 1 < args.size()) {
            out = args[i + 1];
            return true;
        }
        if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 &&
            a[name.size()] == '=') {
            out = a.substr(name.size() + 1);
            return true;
        }
    }
    return false;
}

} // namespace quillmark::cli

static void usage(std::FILE* out) {
    std::fprintf(out, "Usage: quillmark-cli COMMAND [OPTIONS]\n"
                      "       quillmark-cli --help | --version\n\nCommands:\n");
    for (const auto& c : quillmark::cli::commands())
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(out, "\nRun 'quillmark-cli COMMAND --help' for the options of a command.\n");
}

// Output still buffered is written at exit, where a failure would go unnoticed: flush it
// here so a full disk or a closed standard output fails the command with the reason.
static int finishStdout(const char* command, int rc) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    int err = errno;
    if (flushed && !std::ferror(stdout))
        return rc;
    if (err == 0)
        err = EIO;
    std::fprintf(stderr, "quillmark-cli %s: cannot write standard output: %s\n", command,
                 std::strerror(err));
    return rc == 0 ? 1 : rc;
}

// A standard descriptor the caller closed would be handed to the next file opened, and
// messages or output would land in it. Hold it with /dev/null opened read-only, so writes to
// it still fail (EBADF) and are reported.
static void holdClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

int main(int argc, char** argv) {
    holdClosedStandardDescriptors();
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        usage(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillmark-cli %s\n", quillmark::kVersion);
        return finishStdout("--version", 0);
    }
    for (const auto& c : quillmark::cli::commands()) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        int rc = 1;
        try {
            rc = c.run(std::vector<std::string>(argv + 2, argv + argc));
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "quillmark-cli %s: not enough memory\n", c.name);
        }
        return finishStdout(c.name, rc);
    }
    std::fprintf(stderr, "quillmark-cli: unknown command '%s'\n", argv[1]);
    usage(stderr);
    return 2;
}
