#include "cli/command.h"

#include <cstdio>

namespace quillmark::cli {

std::optional<LoadedRecording> loadRecordingOrSay(const std::string& path) {
    std::string error;
    auto loaded = readRecordingFile(path, &error);
    if (!loaded)
        std::fprintf(stderr, "Failed to open document.\n%s\n", error.c_str());
    return loaded;
}

std::optional<LoadedRecording> loadNamedRecordingOrSay(const std::string& path) {
    std::string error;
    auto loaded = readRecordingFile(path, &error);
    if (!loaded)
        std::fprintf(stderr, "Failed to open document.\n%s: %s\n", path.c_str(), error.c_str());
    return loaded;
}

} // namespace quillmark::cli
