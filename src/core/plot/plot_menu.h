#pragma once
// The plot's right-click menu: which items a logger model gets, in order, with their texts,
// command ids and check marks. The window only turns these into menu actions.
#include <cstdint>
#include <string>
#include <vector>

#include "core/plot/plot_scene.h"

namespace quillmark {

struct PlotMenuItem {
    std::string text;
    int id = 0;
    bool checkable = false;
    bool checked = false;
};

// 86 and 711 get all thirteen items, 710 the first eight (no units), any other code none.
// Check marks show the scene's display flags and unit; the mouse mode is never marked.
std::vector<PlotMenuItem> plotMenuItems(std::int32_t model, const PlotScene& scene);

} // namespace quillmark
