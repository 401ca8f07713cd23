#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdio.h>
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
    std::fprintf(out, "Usage: quillmark-cli [--backend B] COMMAND [OPTIONS]\n"
                      "       quillmark-cli --help | --version\n\nCommands:\n");
    for (const auto& c : quillmark::cli::commands())
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(out, "\nRun 'quillmark-cli COMMAND --help' for the options of a command.\n");
}

// Standard output goes through this writer, which keeps the reason of the first failed
// write: stdio itself keeps only that one happened, and errno has changed by the time the
// command ends.
static int gStdoutErrno = 0;

static ssize_t writeStdout(void*, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (gStdoutErrno == 0)
                gStdoutErrno = errno;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

static void keepStdoutErrors() {
    cookie_io_functions_t io{};
    io.write = writeStdout;
    if (std::FILE* out = ::fopencookie(nullptr, "w", io)) {
        // Block-buffered like a redirected stdout, line-buffered on a terminal.
        std::setvbuf(out, nullptr, ::isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, BUFSIZ);
        stdout = out;
    }
}

// Output still buffered is written at exit, where a failure would go unnoticed: flush it
// here so a full disk or a closed standard output fails the command with the reason, once.
static int finishStdout(const char* command, int rc) {
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout))
        return rc;
    const int err = gStdoutErrno != 0 ? gStdoutErrno : EIO;
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
    keepStdoutErrors();
    // The logger options may come before the command too; the command checks them as its
    // own (a command without a logger refuses them, one given twice is refused).
    std::vector<std::string> global;
    int at = 1;
    while (at < argc) {
        const std::string a = argv[at];
        if (a == "--simulate" || a.rfind("--backend=", 0) == 0) {
            global.push_back(a);
            ++at;
        } else if (a == "--backend") {
            global.push_back(a);
            if (at + 1 < argc)
                global.push_back(argv[at + 1]);
            at += 2;
        } else {
            break;
        }
    }
    if (at >= argc) {
        usage(stderr);
        return 2;
    }
    const char* word = argv[at];
    if (global.empty() && (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0 ||
                           std::strcmp(word, "help") == 0)) {
        if (at + 1 < argc) {
            std::fprintf(stderr, "quillmark-cli: %s takes no argument\n", word);
            return 2;
        }
        usage(stdout);
        return finishStdout("--help", 0);
    }
    if (global.empty() && std::strcmp(word, "--version") == 0) {
        if (at + 1 < argc) {
            std::fprintf(stderr, "quillmark-cli: --version takes no argument\n");
            return 2;
        }
        std::printf("quillmark-cli %s\n", quillmark::kVersion);
        return finishStdout("--version", 0);
    }
    for (const auto& c : quillmark::cli::commands()) {
        if (std::strcmp(word, c.name) != 0)
            continue;
        std::vector<std::string> args(argv + at + 1, argv + argc);
        args.insert(args.end(), global.begin(), global.end());
        int rc = 1;
        try {
            rc = c.run(args);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "quillmark-cli %s: not enough memory\n", c.name);
        }
        return finishStdout(c.name, rc);
    }
    std::fprintf(stderr, "quillmark-cli: unknown command '%s'\n", word);
    usage(stderr);
    return 2;
}
