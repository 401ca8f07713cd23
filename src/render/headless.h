#pragma once
// Jobs that only draw (plot images, printing from the command line) must run in scripts and
// over ssh: without a display they take Qt's offscreen platform instead of aborting.
#include <cstdlib>

namespace quillmark {

// Call before the Qt application object is made. Leaves an explicit QT_QPA_PLATFORM alone.
inline void useOffscreenWithoutDisplay() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace quillmark
