#include "cli/backend_select.h"

#include <cstdio>

#include "cli/command.h"

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

void printMessage(const DialogMessage& message) {
    std::fprintf(stderr, "%s\n", message.text.c_str());
}

} // namespace quillmark::cli
