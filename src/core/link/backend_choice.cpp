#include "core/link/backend_choice.h"

namespace quillmark {

std::optional<BackendChoice> parseBackendChoice(std::string_view text, std::string* error) {
    constexpr std::string_view socketPrefix = "socket:";
    if (text == "usb")
        return BackendChoice{BackendChoice::Kind::Usb, {}};
    if (text == "sim")
        return BackendChoice{BackendChoice::Kind::Sim, {}};
    if (text.substr(0, socketPrefix.size()) == socketPrefix) {
        if (text.size() > socketPrefix.size())
            return BackendChoice{BackendChoice::Kind::Socket,
                                 std::string(text.substr(socketPrefix.size()))};
        if (error)
            *error = "socket backend needs a path: socket:PATH";
        return std::nullopt;
    }
    if (error)
        *error = "unknown backend '" + std::string(text) + "' (use usb, sim or socket:PATH)";
    return std::nullopt;
}

} // namespace quillmark
