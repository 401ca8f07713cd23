#pragma once
// The four plot colours as 24-bit values: red in the low byte, then green, then blue, top
// byte zero.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

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

// WCAG 2 relative luminance of a colour (0 black .. 1 white).
inline double relativeLuminance(ColourRef c) {
    const auto channel = [](std::int32_t v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(redOf(c)) + 0.7152 * channel(greenOf(c)) + 0.0722 * channel(blueOf(c));
}

// WCAG 2 contrast ratio of two colours, 1 to 21.
inline double contrastRatio(ColourRef a, ColourRef b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Plot text on a colour chosen by the user: black as before on light colours, white where
// black would be hard to read. One of the two always reaches a contrast of 4.5.
inline ColourRef readableTextColour(ColourRef under) {
    constexpr ColourRef kBlack = 0;
    constexpr ColourRef kWhite = 0xFFFFFF;
    return contrastRatio(kBlack, under) >= contrastRatio(kWhite, under) ? kBlack : kWhite;
}

struct PlotColours {
    ColourRef background = rgbColour(208, 207, 204);
    ColourRef line = rgbColour(0, 0, 255);
    ColourRef grid = rgbColour(0, 0, 0);
    ColourRef border = rgbColour(208, 207, 199);
    friend bool operator==(const PlotColours&, const PlotColours&) = default;
};

// INI sections of the four colours, each with the keys RVALUE, GVALUE and BVALUE.
inline constexpr std::string_view kBackgroundColourSection = "K52R_BKCOLOR";
inline constexpr std::string_view kGridColourSection = "K52R_GRIDCOLOR";
inline constexpr std::string_view kLineColourSection = "K52R_LINECOLOR";
inline constexpr std::string_view kBorderColourSection = "K52R_BOARDERCOLOR";

namespace detail {
template <class Store>
ColourRef readColour(const Store& ini, std::string_view section, ColourRef def) {
    return rgbColour(ini.getInt(section, "RVALUE", redOf(def)),
                     ini.getInt(section, "GVALUE", greenOf(def)),
                     ini.getInt(section, "BVALUE", blueOf(def)));
}
template <class Store> void writeColour(Store& ini, std::string_view section, ColourRef c) {
    ini.setInt(section, "RVALUE", redOf(c));
    ini.setInt(section, "GVALUE", greenOf(c));
    ini.setInt(section, "BVALUE", blueOf(c));
}
} // namespace detail

// Reads the four colours (background, grid, line, border) from an INI store with
// getInt(section, key, default); a missing key gives the default component, and only the
// low 8 bits of a value count.
template <class Store> PlotColours readPlotColours(const Store& ini) {
    const PlotColours def;
    PlotColours c;
    c.background = detail::readColour(ini, kBackgroundColourSection, def.background);
    c.grid = detail::readColour(ini, kGridColourSection, def.grid);
    c.line = detail::readColour(ini, kLineColourSection, def.line);
    c.border = detail::readColour(ini, kBorderColourSection, def.border);
    return c;
}

// Writes the four colours in the order background, grid, line, border with setInt.
template <class Store> void writePlotColours(const PlotColours& c, Store& ini) {
    detail::writeColour(ini, kBackgroundColourSection, c.background);
    detail::writeColour(ini, kGridColourSection, c.grid);
    detail::writeColour(ini, kLineColourSection, c.line);
    detail::writeColour(ini, kBorderColourSection, c.border);
}

} // namespace quillmark
