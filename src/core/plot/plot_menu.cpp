#include "core/plot/plot_menu.h"

#include "core/app/command_ids.h"
#include "core/plot/plot_text.h"

namespace quillmark {

std::vector<PlotMenuItem> plotMenuItems(std::int32_t model, const PlotScene& scene) {
    std::vector<PlotMenuItem> items;
    if (!isKnownModel(model)) {
        return items;
    }
    const auto plain = [&](const char* text, int id) { items.push_back({text, id, false, false}); };
    const auto check = [&](const char* text, int id, bool on) {
        items.push_back({text, id, true, on});
    };
    plain("View All", ID_VIEW_ALL);
    plain("Move View", ID_MOVE_VIEW);
    plain("Zoom In", ID_ZOOM_IN);
    plain("ColorSetting", ID_COLOR_SETTING);
    check("Grid X", ID_GRID_X, scene.showGridX);
    check("Grid Y", ID_GRID_Y, scene.showGridY);
    check("MaskPoints", ID_MASK_POINTS, scene.showMaskPoints);
    check("Alarm Line", ID_ALARM_LINE, scene.showAlarmLines);
    if (model == kModelVoltage) {
        return items;
    }
    // The unit items read the air-speed unit names in every model that has them.
    for (int unit = 0; unit < kDisplayUnitCount; ++unit) {
        items.push_back(
            {unitLabel(kModelAirSpeed, unit), ID_UNIT_0 + unit, true, scene.unitIndex == unit});
    }
    return items;
}

} // namespace quillmark
