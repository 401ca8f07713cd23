#include "core/plot/plot_colours.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quillmark {
namespace {

// A store with the INI getInt/setInt shape that records the order of writes.
struct FakeStore {
    std::map<std::string, std::int32_t> values;
    std::vector<std::string> writes;
    std::int32_t getInt(std::string_view section, std::string_view key, std::int32_t def) const {
        const auto it = values.find(std::string(section) + "/" + std::string(key));
        return it == values.end() ? def : it->second;
    }
    void setInt(std::string_view section, std::string_view key, std::int32_t v) {
        const std::string k = std::string(section) + "/" + std::string(key);
        values[k] = v;
        writes.push_back(k + "=" + std::to_string(v));
    }
};

TEST(PlotColours, LayoutIsRedLowThenGreenThenBlue) {
    EXPECT_EQ(rgbColour(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(redOf(0x563412u), 0x12);
    EXPECT_EQ(greenOf(0x563412u), 0x34);
    EXPECT_EQ(blueOf(0x563412u), 0x56);
    const PlotColours d;
    EXPECT_EQ(d.background, rgbColour(208, 207, 204));
    EXPECT_EQ(d.line, rgbColour(0, 0, 255));
    EXPECT_EQ(d.grid, rgbColour(0, 0, 0));
    EXPECT_EQ(d.border, rgbColour(208, 207, 199));
}

TEST(PlotColours, ReadUsesDefaultsAndTheLowEightBits) {
    struct Case {
        const char* key;
        std::int32_t value;
        ColourRef background;
    };
    for (const Case c : {Case{"K52R_BKCOLOR/RVALUE", 300, rgbColour(44, 207, 204)},
                         Case{"K52R_BKCOLOR/GVALUE", -1, rgbColour(208, 255, 204)},
                         Case{"K52R_BKCOLOR/BVALUE", 256, rgbColour(208, 207, 0)},
                         Case{"K52R_BKCOLOR/RVALUE", 17, rgbColour(17, 207, 204)}}) {
        FakeStore s;
        s.values[c.key] = c.value;
        const PlotColours got = readPlotColours(s);
        EXPECT_EQ(got.background, c.background) << c.key << "=" << c.value;
        EXPECT_EQ(got.line, PlotColours{}.line);
        EXPECT_EQ(got.border, PlotColours{}.border);
    }
    FakeStore empty;
    EXPECT_EQ(readPlotColours(empty), PlotColours{});
    EXPECT_TRUE(empty.writes.empty());
}

TEST(PlotColours, WriteOrderAndRoundTrip) {
    FakeStore s;
    PlotColours c;
    c.background = rgbColour(1, 2, 3);
    c.grid = rgbColour(4, 5, 6);
    c.line = rgbColour(7, 8, 9);
    c.border = rgbColour(208, 207, 199);
    writePlotColours(c, s);
    const std::vector<std::string> want = {
        "K52R_BKCOLOR/RVALUE=1",        "K52R_BKCOLOR/GVALUE=2",
        "K52R_BKCOLOR/BVALUE=3",        "K52R_GRIDCOLOR/RVALUE=4",
        "K52R_GRIDCOLOR/GVALUE=5",      "K52R_GRIDCOLOR/BVALUE=6",
        "K52R_LINECOLOR/RVALUE=7",      "K52R_LINECOLOR/GVALUE=8",
        "K52R_LINECOLOR/BVALUE=9",      "K52R_BOARDERCOLOR/RVALUE=208",
        "K52R_BOARDERCOLOR/GVALUE=207", "K52R_BOARDERCOLOR/BVALUE=199",
    };
    EXPECT_EQ(s.writes, want);
    EXPECT_EQ(readPlotColours(s), c);
}

TEST(PlotColours, TextIsBlackOnLightColoursAndWhiteOnDarkOnesReadably) {
    struct Case {
        ColourRef under;
        ColourRef text;
    };
    const PlotColours defaults;
    const Case cases[] = {
        {defaults.border, 0},               // the default margins keep black text
        {defaults.background, 0},           //
        {rgbColour(255, 255, 255), 0},      // paper
        {rgbColour(255, 255, 0), 0},        // yellow
        {rgbColour(0, 0, 0), 0xFFFFFF},     // black
        {rgbColour(0, 0, 128), 0xFFFFFF},   // navy
        {rgbColour(64, 64, 64), 0xFFFFFF},  // dark grey
        {rgbColour(0, 0, 255), 0xFFFFFF},   // pure blue
        {rgbColour(128, 0, 128), 0xFFFFFF}, // purple
        {rgbColour(118, 118, 118), 0},      // mid grey: black is the stronger
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readableTextColour(c.under), c.text) << std::hex << c.under;
        EXPECT_GE(contrastRatio(readableTextColour(c.under), c.under), 4.5) << std::hex << c.under;
    }
    // Every grey and every primary mix: the chosen text always reads.
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const ColourRef c = rgbColour(r, g, b);
                EXPECT_GE(contrastRatio(readableTextColour(c), c), 4.5)
                    << r << ' ' << g << ' ' << b;
            }
    EXPECT_NEAR(contrastRatio(0, 0xFFFFFF), 21.0, 1e-9);
}

} // namespace
} // namespace quillmark
