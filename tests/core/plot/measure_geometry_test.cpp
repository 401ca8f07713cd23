#include <gtest/gtest.h>

#include "core/plot/plot_geometry.h"

namespace quillmark {
namespace {

// Plot area 900 wide showing samples 100..550 (half a sample per pixel).
PlotGeometry zoomed() {
    PlotGeometry g;
    g.resize(1000, 520);
    g.resetView(1000);
    g.setWindow({100.0, 450.0, 0.0, 35.0});
    return g;
}

TEST(MeasureGeometry, BandColumnsAreCutToThePlotArea) {
    struct Case {
        SampleSelection s;
        std::optional<std::pair<std::int32_t, std::int32_t>> cols;
    };
    const Case cases[] = {
        {{150, 200}, std::pair{150, 250}}, // 50 + (150 - 100) x 2
        {{0, 2000}, std::pair{50, 950}},   // wider than the window on both sides
        {{90, 120}, std::pair{50, 90}},    // starts left of the window
        {{0, 99}, std::nullopt},           // wholly left
        {{600, 700}, std::nullopt},        // wholly right
        {{300, 300}, std::pair{450, 450}}, // one sample
    };
    const PlotGeometry g = zoomed();
    for (const Case& c : cases) {
        EXPECT_EQ(g.selectionColumns(c.s), c.cols) << c.s.first << ".." << c.s.last;
    }
}

TEST(MeasureGeometry, DragEndsBecomeSamplesInsideTheRecording) {
    const PlotGeometry g = zoomed();
    // x 250 is sample 100 + 200 / 2 = 200; x 51 rounds 100.5 up to 101.
    EXPECT_EQ(g.measureSelection(250, 51, 1000), (SampleSelection{101, 200}));
    EXPECT_EQ(g.measureSelection(250, 251, 1000), std::nullopt); // a click
    EXPECT_EQ(g.measureSelection(51, 250, 0), std::nullopt);
    EXPECT_EQ(g.measureSelection(51, 950, 120), (SampleSelection{101, 119}));
}

TEST(MeasureGeometry, MeasureDragSurvivesLeavingThePlotArea) {
    PlotGeometry g = zoomed();
    g.setMode(Measure);
    EXPECT_EQ(g.press(200, 100), PlotCursor::Measure);
    const MoveOutcome m = g.move(5, 500); // far outside: the drag goes on, clamped
    EXPECT_TRUE(g.dragging);
    EXPECT_TRUE(m.moveMeasure);
    EXPECT_EQ(m.newBandEnd, (PlotPoint{50, 480}));
    g.finishMove(5, 500);
    const ReleaseOutcome r = g.release(2000, 10);
    EXPECT_TRUE(r.endMeasure);
    EXPECT_EQ(r.bandStart, (PlotPoint{200, 100}));
    EXPECT_EQ(r.bandEnd, (PlotPoint{950, 40}));
    EXPECT_FALSE(g.dragging);
    EXPECT_EQ(g.window(), (DataWindow{100.0, 450.0, 0.0, 35.0})); // measuring never zooms
}

} // namespace
} // namespace quillmark
