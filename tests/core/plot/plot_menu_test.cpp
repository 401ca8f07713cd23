#include "core/plot/plot_menu.h"

#include <gtest/gtest.h>

#include "core/app/command_ids.h"

namespace quillmark {
namespace {

TEST(PlotMenu, ItemsByModel) {
    const char* texts[] = {"View All",  "Move View",    "Zoom In",     "ColorSetting",
                           "Grid X",    "Grid Y",       "MaskPoints",  "Alarm Line",
                           "Unit(m/s)", "Unit(ft/min)", "Unit(knots)", "Unit(km/h)",
                           "Unit(MPH)"};
    const int ids[] = {ID_VIEW_ALL, ID_MOVE_VIEW,   ID_ZOOM_IN,    ID_COLOR_SETTING, ID_GRID_X,
                       ID_GRID_Y,   ID_MASK_POINTS, ID_ALARM_LINE, ID_UNIT_0,        ID_UNIT_1,
                       ID_UNIT_2,   ID_UNIT_3,      ID_UNIT_4};
    struct Case {
        std::int32_t model;
        std::size_t count;
    };
    for (const Case c : {Case{86, 13}, Case{711, 13}, Case{710, 8}, Case{42, 0}}) {
        const std::vector<PlotMenuItem> items = plotMenuItems(c.model, PlotScene{});
        ASSERT_EQ(items.size(), c.count) << c.model;
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].text, texts[i]) << c.model;
            EXPECT_EQ(items[i].id, ids[i]) << c.model;
            // Items 1-4 never carry a check mark; flags all on; unit 0 checked.
            EXPECT_EQ(items[i].checkable, i >= 4) << c.model << " " << i;
            EXPECT_EQ(items[i].checked, i >= 4 && i <= 8) << c.model << " " << i;
        }
    }
}

TEST(PlotMenu, CheckMarksFollowTheFlagsAndTheUnit) {
    PlotScene s;
    s.showGridX = false;
    s.showAlarmLines = false;
    s.unitIndex = 3;
    const std::vector<PlotMenuItem> items = plotMenuItems(86, s);
    ASSERT_EQ(items.size(), 13u);
    const bool expected[] = {false, false, false, false, false, true, true,
                             false, false, false, false, true,  false};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].checked, expected[i]) << i;
    }
}

} // namespace
} // namespace quillmark
