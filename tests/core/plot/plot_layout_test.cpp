#include "core/plot/plot_layout.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

TEST(PlotLayout, PrintedPageShowsTheScreensDataWindow) {
    PlotGeometry g;
    g.resize(1000, 520);
    g.resetView(1000);
    const int horz = 1600;
    const int vert = 2000;
    const PlotFrame l = printLayout(horz, vert, g);
    EXPECT_EQ(l.leftMargin, 160);
    EXPECT_EQ(l.topMargin, 100);
    EXPECT_EQ(l.fontHeight, 25);
    EXPECT_EQ(l.right, horz);
    EXPECT_EQ(l.bottom, 1000);
    EXPECT_TRUE(l.printing);
    // Same data window: 1000 samples over the page's plot width, 35 V over its height.
    EXPECT_NEAR(l.xScale * l.plotWidth(), 1000.0, 1e-9);
    EXPECT_NEAR(l.yScale * l.plotHeight(), 35.0, 1e-9);
}

TEST(PlotLayout, TimeTicksFallOnFifthsOfTheVisibleSpan) {
    // 1000 samples over 900 pixels: tick k at sample k * 200.
    for (int k = 0; k <= kTimeTickIntervals; ++k) {
        EXPECT_EQ(timeTickSample(k, 900, 1000.0 / 900, 0.0), k * 200) << k;
    }
    EXPECT_EQ(timeTickSample(1, 900, 1.0, 10.5), 190);
    // The tick's distance from the left edge rounds to whole samples: 3 / 5 = 0.6 gives 1.
    EXPECT_EQ(timeTickSample(1, 3, 1.0, 0.0), 1);
}

} // namespace
} // namespace quillmark
