#include "core/plot/plot_text.h"

#include <gtest/gtest.h>

#include "core/data/sample_text.h"
#include "core/data/test_support.h"
#include "core/data/time_stamp.h"

namespace quillmark {
namespace {

TEST(PlotText, AverageCarriesTheOverRangeMarkForTheVoltageModelOnly) {
    struct Case {
        std::int32_t model;
        double average;
        const char* text;
    };
    for (const Case c : {Case{710, 31.5, "OL"}, Case{86, 31.5, "31.50"}, Case{711, 31.5, "31.50"},
                         Case{710, 31.0, "31.00"}, Case{710, 12.345, "12.35"}}) {
        EXPECT_EQ(averageText(c.model, c.average), c.text) << c.model << " " << c.average;
    }
}

TEST(PlotText, ReadoutValueInTheDisplayUnit) {
    struct Case {
        std::uint16_t raw;
        double factor;
        bool markOverRange;
        const char* text;
    };
    for (const Case c : {Case{2000, 196.87, false, "393.74"}, Case{2000, 196.87, true, "393.74"},
                         Case{31000, 1.0, true, "31.00"}, Case{31001, 1.0, true, "OL"},
                         Case{45000, 1.0, true, "OL"}, Case{45000, 1.0, false, "45.00"},
                         Case{45000, 196.87, true, "OL"}}) {
        EXPECT_EQ(sampleValueText(c.raw, c.factor, c.markOverRange), c.text) << c.raw;
    }
}

TEST(PlotText, UnitLabelNamesTheModelsUnit) {
    struct Case {
        std::int32_t model, unit;
        const char* text;
    };
    for (const Case c :
         {Case{86, 0, "Unit(m/s)"}, Case{710, 0, "Unit(V)"}, Case{711, 0, "Unit(mA)"},
          Case{711, 1, "Unit(ft/min)"}, Case{86, 4, "Unit(MPH)"}, Case{710, 2, "Unit(knots)"},
          Case{710, 7, "Unit(V)"}}) {
        EXPECT_EQ(unitLabel(c.model, c.unit), c.text) << c.model << " " << c.unit;
    }
}

TEST(PlotText, MidnightTickShowsTheNextDate) {
    const test_support::ScopedTimeZone utc("UTC");
    // Start 2023-11-14 23:59:50 UTC; ten seconds later is the 15th.
    const std::int64_t start = 1700006390;
    EXPECT_EQ(clockText(start), "23:59:50");
    EXPECT_EQ(dateText(start), "14-11-2023");
    EXPECT_EQ(clockText(start + 10), "00:00:00");
    EXPECT_EQ(dateText(start + 10), "15-11-2023");
}

} // namespace
} // namespace quillmark
