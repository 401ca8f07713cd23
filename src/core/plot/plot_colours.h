#pragma once
// The four plot colours as 24-bit values: red in the low byte, then green, then blue, top
// byte zero.
#include <cstdint>

namespace quillmark {

using ColourRef = std::uint32_t;

// Only the low 8 bits of each component count (an INI value of 300 gives 44).
constexpr ColourRef rgbColour(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<ColourRef>(r & 0xFF) | (static_cast<ColourRef>(g & 0xFF) << 8) |
           (static_cast<ColourRef>(b & 0xFF) << 16);
}
constexpr std::int32_t redOf(ColourRef c) {
    return static_cast<std::int32_t>(c & 0xFF);
}
constexpr std::int32_t greenOf(ColourRef c) {
    return static_cast<std::int32_t>((c >> 8) & 0xFF);
}
constexpr std::int32_t blueOf(ColourRef c) {
    return static_cast<std::int32_t>((c >> 16) & 0xFF);
}

struct PlotColours {
    ColourRef background = rgbColour(208, 207, 204);
    ColourRef line = rgbColour(0, 0, 255);
    ColourRef grid = rgbColour(0, 0, 0);
    ColourRef border = rgbColour(208, 207, 199);
    friend bool operator==(const PlotColours&, const PlotColours&) = default;
};

} // namespace quillmark
