#include "core/plot/plot_summary.h"

#include <gtest/gtest.h>

#include "core/data/time_stamp.h"

namespace quillmark {
namespace {

TEST(PlotSummary, FiguresInTheDisplayUnit) {
    const std::uint16_t samples[] = {12000, 45000, 31000};
    PlotScene s;
    s.samples = samples;
    s.sampleCount = 3;
    s.model = 86;
    s.sampleInterval = 2.0f;
    s.startTime = 1700000000;
    struct Case {
        std::int32_t unit;
        const char* name;
        const char* low;
        const char* high;
        std::optional<std::int64_t> under;
        const char* value; // nullptr: no readout
    };
    const Case cases[] = {
        {0, "m/s", "1.00", "11.00", 0, "12.00"},
        {2, "knots", "1.94", "21.38", 1, "OL"}, // the over-range code in any unit
        {4, "MPH", "2.24", "24.64", 2, "69.44"},
        {0, "m/s", "1.00", "11.00", 3, nullptr}, // right of the last sample
        {0, "m/s", "1.00", "11.00", -1, nullptr},
        {0, "m/s", "1.00", "11.00", std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        s.unitIndex = c.unit;
        const PlotSummary sum = plotSummary(s, 1.0, 10.0, c.under);
        EXPECT_EQ(sum.model, 86);
        EXPECT_EQ(sum.samples, 3);
        EXPECT_EQ(sum.unit, c.name);
        EXPECT_EQ(sum.lowValue, c.low) << c.name;
        EXPECT_EQ(sum.highValue, c.high) << c.name;
        ASSERT_EQ(sum.readout.has_value(), c.value != nullptr) << c.name;
        if (c.value) {
            EXPECT_EQ(sum.readout->index, *c.under);
            EXPECT_EQ(sum.readout->value, c.value);
            EXPECT_EQ(sum.readout->time, clockText(s.startTime + 2 * *c.under));
        }
    }
}

} // namespace
} // namespace quillmark
