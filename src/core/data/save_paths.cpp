#include "core/data/save_paths.h"

#include <algorithm>
#include <cctype>

#include "core/data/time_stamp.h"

namespace quillmark {

namespace {
// Position of the extension's dot in the last path component, or npos.
std::size_t extensionDot(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        return std::string::npos; // no dot, or a hidden file's leading dot
    return dot;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
} // namespace

SavePaths documentSavePaths(const std::string& chosen) {
    const std::size_t dot = extensionDot(chosen);
    const std::string base = dot == std::string::npos ? chosen : chosen.substr(0, dot);
    SavePaths paths;
    paths.recordingPath = base + ".smpq";
    const bool hasExtension = dot != std::string::npos;
    if (!hasExtension || equalsIgnoreCase(std::string_view(chosen).substr(dot), ".smpq"))
        paths.textPath = base + ".txt";
    else
        paths.textPath = chosen;
    return paths;
}

std::string suggestedFileName(const std::tm& local) {
    std::string s;
    appendInt(s, local.tm_year + 1900);
    s += '-';
    appendInt(s, local.tm_mon + 1);
    s += '-';
    appendInt(s, local.tm_mday);
    s += ' ';
    appendInt(s, local.tm_hour);
    s += '-';
    appendInt(s, local.tm_min);
    return s;
}

} // namespace quillmark
