#pragma once
// The program-wide logger model code: 86 air speed, 710 voltage, 711 current.
// It starts at 710; only the device scan (710) and reading a recording file change it.
#include <cstdint>

namespace quillmark {

inline constexpr std::int32_t kModelAirSpeed = 86;
inline constexpr std::int32_t kModelVoltage = 710;
inline constexpr std::int32_t kModelCurrent = 711;

std::int32_t loggerModel();
void setLoggerModel(std::int32_t model);

} // namespace quillmark
