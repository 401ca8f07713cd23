#pragma once
// The --backend text both programs take: "usb", "sim" or "socket:PATH". Parsed here once;
// turning a choice into a backend is the factory's job (src/backend).
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

struct BackendChoice {
    enum class Kind { Usb, Sim, Socket };
    Kind kind = Kind::Usb;
    std::string socketPath; // Socket only: never empty

    bool operator==(const BackendChoice&) const = default;
};

inline constexpr char kDefaultBackend[] = "usb";

// Nothing, with a one-line reason in `error`, for any other text.
std::optional<BackendChoice> parseBackendChoice(std::string_view text,
                                                std::string* error = nullptr);

} // namespace quillmark
