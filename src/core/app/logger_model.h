#pragma once
// The program-wide logger model code: 86 air speed, 710 voltage, 711 current.
// It starts at 710; only the device scan (710) and reading a recording file change it.
#include <cstdint>

#include "core/common/model_units.h"

namespace quillmark {

std::int32_t loggerModel();
void setLoggerModel(std::int32_t model);

} // namespace quillmark
