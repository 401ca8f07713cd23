#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

// A plot window whose plot area is width x height, at View All over `samples` samples.
PlotGeometry viewAll(int samples, int width = 900, int height = 440) {
    PlotGeometry g;
    g.resize(width + 100, height + 80);
    g.resetView(samples);
    return g;
}

TEST(PlotGeometry, StartValues) {
    PlotGeometry g;
    EXPECT_EQ(g.xMax, 20.0);
    EXPECT_EQ(g.yMax, 35.0);
    EXPECT_EQ(g.xMin, 0.0);
    EXPECT_EQ(g.yMin, 0.0);
    EXPECT_EQ(g.xOffset, 0.0);
    EXPECT_EQ(g.yOffset, 0.0);
    EXPECT_EQ(g.mode, ZoomIn);
    EXPECT_FALSE(g.dragging);
    EXPECT_EQ(g.mouseX, -1);
    EXPECT_EQ(g.mouseY, -1);
}

TEST(PlotGeometry, ResetViewSpansSamplesAndFixedValueRange) {
    struct Case {
        int samples;
        double xMax;
    };
    for (const Case c : {Case{1000, 1000.0}, Case{2, 2.0}, Case{1, 20.0}, Case{0, 20.0}}) {
        PlotGeometry g = viewAll(c.samples);
        g.xOffset = 7;
        g.yOffset = 3;
        g.yMax = 99;
        g.resetView(c.samples);
        EXPECT_EQ(g.xMax, c.xMax) << c.samples;
        EXPECT_EQ(g.yMax, 35.0);
        EXPECT_EQ(g.xOffset, 0.0);
        EXPECT_EQ(g.yOffset, 0.0);
        EXPECT_DOUBLE_EQ(g.xScale, c.xMax / 900);
        EXPECT_DOUBLE_EQ(g.yScale, 35.0 / 440);
    }
}

TEST(PlotGeometry, ResizeKeepsTheDataWindow) {
    PlotGeometry g = viewAll(1000);
    g.xOffset = 100;
    g.xScale = 0.5; // samples 100..550 visible
    g.yOffset = 5;
    g.yScale = 0.01; // values 5..9.4 visible
    g.resize(700, 300);
    EXPECT_EQ(g.plotWidth, 600);
    EXPECT_EQ(g.plotHeight, 220);
    EXPECT_DOUBLE_EQ(g.xOffset + g.plotWidth * g.xScale, 550.0);
    EXPECT_DOUBLE_EQ(g.yOffset + g.plotHeight * g.yScale, 9.4);
    EXPECT_EQ(g.xOffset, 100.0);
    EXPECT_EQ(g.yOffset, 5.0);
}

TEST(PlotGeometry, DataToPixelTruncatesSeparately) {
    // x = left + trunc(i / xScale) - trunc(xOffset / xScale): with xScale 0.3 and offset 0.5,
    // sample 1 is at trunc(3.33) - trunc(1.67) = 3 - 1 = 2, not trunc(1.67) = 1.
    struct Case {
        double index, scale, offset;
        std::int64_t x;
    };
    for (const Case c : {Case{1, 0.3, 0.5, 52}, Case{0, 0.3, 0.5, 49}, Case{10, 1.0, 0.0, 60},
                         Case{1000, 1000.0 / 900, 0.0, 950}, Case{999, 1000.0 / 900, 0, 949}}) {
        EXPECT_EQ(sampleToPixelX(c.index, c.scale, c.offset, 0.0, 50), c.x)
            << c.index << " " << c.scale;
    }
}

TEST(PlotGeometry, SampleRowIsRawTimesFactorOverAThousand) {
    // y = top + trunc(H + (yOffset' - yMin') / ys' - (raw x f / 1000 - yMin') / ys'), with
    // ys' = yScale x f: the row the curve and the dots are drawn at.
    struct Case {
        std::uint16_t raw;
        double factor, yScale, yOffset;
        std::int64_t y;
    };
    const double ys = 35.0 / 440; // View All over a 440-pixel plot area
    for (const Case c :
         {Case{0, 1.0, ys, 0.0, 480}, Case{35000, 1.0, ys, 0.0, 40}, Case{17500, 1.0, ys, 0.0, 260},
          // 1 V is 12.57 pixels above the axis: trunc(440 - 12.57) = 427.
          Case{1000, 1.0, ys, 0.0, 467},
          // A unit factor scales value and window alike: same pixel.
          Case{1000, 196.87, ys, 0.0, 467},
          // An offset window: values below the offset map below the plot area.
          Case{0, 1.0, 0.01, 1.0, 580},
          // 22.75 V is exactly 286 pixels above the axis. Converting to the base
          // unit first (22.75 x 196.87) lands a hair lower, on row 193.
          Case{22750, 196.87, ys, 0.0, 194}}) {
        CurveMapping m;
        m.yScale = c.yScale;
        m.yOffset = c.yOffset;
        m.factor = c.factor;
        m.top = 40;
        m.height = 440;
        EXPECT_EQ(m.y(c.raw), c.y) << c.raw << " x " << c.factor;
    }
}

TEST(PlotGeometry, ZoomSelectionFromTheExample) {
    PlotGeometry g = viewAll(1000);
    const double xs = g.xScale;
    const double ys = g.yScale;
    EXPECT_EQ(g.press(100, 100), PlotCursor::Zoom);
    g.move(300, 200);
    g.finishMove(300, 200);
    const ReleaseOutcome r = g.release(300, 200);
    EXPECT_TRUE(r.handled);
    EXPECT_TRUE(r.repaintAll);
    EXPECT_FALSE(g.dragging);
    EXPECT_DOUBLE_EQ(g.xOffset, 50 * xs);
    EXPECT_DOUBLE_EQ(g.xScale, 200 * xs / 900);
    EXPECT_DOUBLE_EQ(g.yOffset, 280 * ys);
    EXPECT_DOUBLE_EQ(g.yScale, 100 * ys / 440);
}

TEST(PlotGeometry, SmallSelectionsChangeNothingButRepaint) {
    struct Case {
        int x2, y2;
    };
    for (const Case c : {Case{104, 300}, Case{300, 104}, Case{96, 96}, Case{100, 100}}) {
        PlotGeometry g = viewAll(1000);
        const PlotGeometry before = g;
        g.press(100, 100);
        const ReleaseOutcome r = g.release(c.x2, c.y2);
        EXPECT_TRUE(r.repaintAll);
        EXPECT_EQ(g.xScale, before.xScale);
        EXPECT_EQ(g.yScale, before.yScale);
        EXPECT_EQ(g.xOffset, 0.0);
        EXPECT_EQ(g.yOffset, 0.0);
    }
    // Exactly five pixels is a zoom.
    PlotGeometry g = viewAll(1000);
    g.press(100, 100);
    g.release(105, 105);
    EXPECT_DOUBLE_EQ(g.xScale, 5 * (1000.0 / 900) / 900);
}

TEST(PlotGeometry, ScaleFloorStopsOneAxisOnly) {
    PlotGeometry g = viewAll(1000);
    g.xScale = 0.005; // at the floor: the sample axis no longer zooms
    g.press(100, 100);
    g.release(300, 200);
    EXPECT_EQ(g.xScale, 0.005);
    EXPECT_EQ(g.xOffset, 0.0);
    EXPECT_DOUBLE_EQ(g.yScale, 100 * (35.0 / 440) / 440);

    PlotGeometry h = viewAll(1000);
    h.yScale = 0.004;
    h.press(100, 100);
    h.release(300, 200);
    EXPECT_EQ(h.yScale, 0.004);
    EXPECT_EQ(h.yOffset, 0.0);
    EXPECT_DOUBLE_EQ(h.xScale, 200 * (1000.0 / 900) / 900);
}

TEST(PlotGeometry, ZoomReleaseOutsideIsClampedToThePlotArea) {
    PlotGeometry g = viewAll(900, 900, 440); // one sample per pixel
    g.press(500, 300);
    const ReleaseOutcome r = g.release(2000, 2000); // handled anywhere in Zoom In
    EXPECT_TRUE(r.handled);
    EXPECT_DOUBLE_EQ(g.xOffset, 450.0);
    EXPECT_DOUBLE_EQ(g.xScale, 450.0 / 900);
    EXPECT_DOUBLE_EQ(g.yOffset, 0.0);
    EXPECT_DOUBLE_EQ(g.yScale, 180 * (35.0 / 440) / 440);
}

TEST(PlotGeometry, PressOnlyInsideThePlotArea) {
    struct Case {
        int x, y;
        bool starts;
    };
    for (const Case c : {Case{50, 100, false}, Case{51, 100, true}, Case{949, 479, true},
                         Case{950, 100, false}, Case{100, 40, false}, Case{100, 480, false}}) {
        PlotGeometry g = viewAll(1000);
        const PlotCursor cur = g.press(c.x, c.y);
        EXPECT_EQ(g.dragging, c.starts) << c.x << "," << c.y;
        EXPECT_EQ(cur, c.starts ? PlotCursor::Zoom : PlotCursor::Unchanged);
    }
    PlotGeometry g = viewAll(1000);
    g.setMode(MoveView);
    EXPECT_EQ(g.press(100, 100), PlotCursor::Hand);
    EXPECT_EQ(g.dragStart, (PlotPoint{100, 100}));
    EXPECT_EQ(g.dragLast, (PlotPoint{100, 100}));
}

TEST(PlotGeometry, ZoomDragAbandonedNearTheWindowEdge) {
    struct Case {
        int x, y;
        bool abandons;
    };
    // Client is 1000 x 520: edges at x <= 3, x >= 997, y <= 3, y >= 517.
    for (const Case c :
         {Case{3, 200, true}, Case{4, 200, false}, Case{997, 200, true}, Case{996, 200, false},
          Case{200, 3, true}, Case{200, 517, true}, Case{200, 516, false}}) {
        PlotGeometry g = viewAll(1000);
        g.press(100, 100);
        const MoveOutcome m = g.move(c.x, c.y);
        EXPECT_EQ(g.dragging, !c.abandons) << c.x << "," << c.y;
        EXPECT_EQ(m.repaintAll, c.abandons);
        EXPECT_EQ(m.moveRubberBand, !c.abandons);
    }
    // Near the edge without a drag still repaints.
    PlotGeometry g = viewAll(1000);
    EXPECT_TRUE(g.move(2, 2).repaintAll);
}

TEST(PlotGeometry, RubberBandIsClampedToThePlotArea) {
    PlotGeometry g = viewAll(1000);
    g.press(100, 100);
    g.finishMove(100, 100);
    MoveOutcome m = g.move(20, 500);
    EXPECT_TRUE(m.moveRubberBand);
    EXPECT_EQ(m.bandStart, (PlotPoint{100, 100}));
    EXPECT_EQ(m.oldBandEnd, (PlotPoint{100, 100}));
    EXPECT_EQ(m.newBandEnd, (PlotPoint{50, 480}));
    EXPECT_FALSE(m.drawCursorLine);
    g.finishMove(20, 500);
    m = g.move(200, 200);
    EXPECT_EQ(m.oldBandEnd, (PlotPoint{50, 480}));
    EXPECT_EQ(m.newBandEnd, (PlotPoint{200, 200}));
    g.finishMove(200, 200);
    // No movement: nothing to redraw.
    EXPECT_FALSE(g.move(200, 200).moveRubberBand);
}

TEST(PlotGeometry, MoveViewDragEndsWhenLeavingThePlotArea) {
    PlotGeometry g = viewAll(1000);
    g.xScale = 0.5;
    g.xOffset = 200;
    g.setMode(MoveView);
    g.press(500, 200);
    MoveOutcome m = g.move(480, 200);
    EXPECT_TRUE(m.repaintAll);
    EXPECT_EQ(m.cursor, PlotCursor::Hand);
    g.finishMove(480, 200);
    m = g.move(50, 200); // on the closed edge: still inside
    EXPECT_TRUE(g.dragging);
    m = g.move(49, 200);
    EXPECT_FALSE(g.dragging);
    EXPECT_FALSE(m.repaintAll);
    g.finishMove(49, 200);
    // Coming back with the button held does not resume.
    m = g.move(300, 200);
    EXPECT_FALSE(g.dragging);
    EXPECT_FALSE(m.repaintAll);
    EXPECT_TRUE(m.drawCursorLine);
}

TEST(PlotGeometry, PanStepFollowsThePointer) {
    PlotGeometry g = viewAll(1000); // xScale 1000/900, yScale 35/440
    g.xScale = 0.5;                 // 450 samples visible
    g.yScale = 0.02;                // 8.8 units visible
    g.xOffset = 200;
    g.yOffset = 10;
    g.setMode(MoveView);
    g.press(500, 200);
    g.move(480, 190); // left and up: later samples, lower values
    g.finishMove(480, 190);
    g.panStep();
    EXPECT_DOUBLE_EQ(g.xOffset, 210.0);
    EXPECT_DOUBLE_EQ(g.yOffset, 9.8);
    EXPECT_EQ(g.dragStart, (PlotPoint{480, 190}));
    g.move(880, 590 - 150); // right and down
    g.finishMove(880, 440);
    g.panStep();
    EXPECT_DOUBLE_EQ(g.xOffset, 10.0);
    EXPECT_DOUBLE_EQ(g.yOffset, 9.8 + 250 * 0.02);
}

TEST(PlotGeometry, PanStepClampsToTheRange) {
    PlotGeometry g = viewAll(1000);
    g.xScale = 0.5;
    g.yScale = 0.02;
    g.xOffset = 5;
    g.yOffset = 1;
    g.dragging = true;
    g.dragStart = {500, 300};
    g.dragLast = {600, 200}; // right (earlier samples) and up (lower values)
    g.panStep();
    EXPECT_EQ(g.xOffset, 0.0);
    EXPECT_EQ(g.yOffset, 0.0);
    g.dragStart = {500, 200};
    g.dragLast = {-5000, 5000};
    g.panStep();
    EXPECT_DOUBLE_EQ(g.xOffset, 1000 - 450.0);
    EXPECT_DOUBLE_EQ(g.yOffset, 35 - 8.8);
    // At the end of the range a further step stays at the end.
    g.dragStart = {500, 200};
    g.dragLast = {400, 300};
    g.panStep();
    EXPECT_DOUBLE_EQ(g.xOffset, 1000 - 450.0);
    EXPECT_DOUBLE_EQ(g.yOffset, 35 - 8.8);
}

TEST(PlotGeometry, PanAtViewAllLeavesOffsetsAtZero) {
    struct Case {
        int dx, dy;
    };
    for (const Case c : {Case{50, 0}, Case{-50, 0}, Case{0, 50}, Case{0, -50}, Case{30, -30}}) {
        PlotGeometry g = viewAll(1000);
        g.dragging = true;
        g.dragStart = {500, 300};
        g.dragLast = {500 + c.dx, 300 + c.dy};
        g.panStep();
        EXPECT_NEAR(g.xOffset, 0.0, 1e-9) << c.dx << "," << c.dy;
        EXPECT_NEAR(g.yOffset, 0.0, 1e-9) << c.dx << "," << c.dy;
    }
}

TEST(PlotGeometry, MoveViewReleaseEndsTheDrag) {
    PlotGeometry g = viewAll(1000);
    g.setMode(MoveView);
    g.press(500, 200);
    EXPECT_FALSE(g.release(20, 20).handled); // outside the plot area: ignored in Move View
    EXPECT_TRUE(g.dragging);
    const ReleaseOutcome r = g.release(400, 250);
    EXPECT_TRUE(r.handled);
    EXPECT_FALSE(r.repaintAll);
    EXPECT_FALSE(g.dragging);
    EXPECT_EQ(g.dragStart, (PlotPoint{400, 250}));
}

TEST(PlotGeometry, OtherModesRestoreTheSavedCursor) {
    PlotGeometry g = viewAll(1000);
    g.setMode(static_cast<PlotMode>(2));
    EXPECT_EQ(g.move(300, 300).cursor, PlotCursor::Saved);
    EXPECT_EQ(g.mouseX, 300);
    EXPECT_EQ(g.mouseY, 300);
}

TEST(PlotGeometry, ReadoutIndex) {
    struct Case {
        int samples, x;
        std::int64_t index;
    };
    for (const Case c : {Case{1000, 50, 0}, Case{1000, 500, 500}, Case{1000, 950, 1000},
                         Case{1000, 49, 0}, Case{1000, 40, -10}, Case{900, 51, 1}}) {
        const PlotGeometry g = viewAll(c.samples);
        EXPECT_EQ(g.readoutIndex(c.x), c.index) << c.samples << " " << c.x;
    }
}

} // namespace
} // namespace quillmark

namespace quillmark {
namespace {

TEST(PlotGeometryExtras, WheelZoomKeepsTheSampleUnderThePointer) {
    PlotGeometry g;
    g.resize(1000, 520);
    g.resetView(9000); // 10 samples per pixel
    ASSERT_TRUE(g.wheelZoom(500, 0.5));
    EXPECT_DOUBLE_EQ(g.xScale, 5.0);
    EXPECT_DOUBLE_EQ(g.xOffset + 450 * g.xScale, 4500.0); // sample 4500 stays at x = 500
    // Zooming out past the whole range stops at View All, offset clamped to the start.
    ASSERT_TRUE(g.wheelZoom(900, 4.0));
    EXPECT_DOUBLE_EQ(g.xScale, 10.0);
    EXPECT_DOUBLE_EQ(g.xOffset, 0.0);
    EXPECT_FALSE(g.wheelZoom(300, 2.0));
    // Zooming in stops at the floor.
    g.xScale = 0.006;
    ASSERT_TRUE(g.wheelZoom(500, 0.5));
    EXPECT_DOUBLE_EQ(g.xScale, 0.005);
    EXPECT_FALSE(g.wheelZoom(500, 0.5));
}

TEST(PlotGeometryExtras, DataWindowSurvivesAResize) {
    PlotGeometry g;
    g.resize(1000, 520);
    g.resetView(1000);
    g.press(100, 100);
    g.release(300, 200);
    const DataWindow w = g.window();
    g.resize(700, 400);
    g.resetView(1000);
    g.setWindow(w);
    EXPECT_DOUBLE_EQ(g.window().xSpan, w.xSpan);
    EXPECT_DOUBLE_EQ(g.window().ySpan, w.ySpan);
    EXPECT_EQ(g.xOffset, w.xOffset);
    EXPECT_EQ(g.yOffset, w.yOffset);
}

} // namespace
} // namespace quillmark
