#include "core/link/backend_choice.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

TEST(BackendChoice, ParsesTheThreeKindsAndNothingElse) {
    using Kind = BackendChoice::Kind;
    struct Case {
        const char* text;
        std::optional<BackendChoice> choice;
        const char* reason; // part of the refusal
    };
    const Case cases[] = {
        {"usb", BackendChoice{Kind::Usb, {}}, ""},
        {"sim", BackendChoice{Kind::Sim, {}}, ""},
        {"socket:/run/l.sock", BackendChoice{Kind::Socket, "/run/l.sock"}, ""},
        {"socket:rel", BackendChoice{Kind::Socket, "rel"}, ""},
        {"socket:", std::nullopt, "needs a path"},
        {"serial", std::nullopt, "unknown backend 'serial'"},
        {"USB", std::nullopt, "unknown backend 'USB'"},
        {"", std::nullopt, "unknown backend ''"},
        {"sim ", std::nullopt, "unknown backend"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(parseBackendChoice(c.text, &error), c.choice) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
        EXPECT_EQ(error.empty(), c.choice.has_value()) << c.text;
    }
}

} // namespace
} // namespace quillmark
