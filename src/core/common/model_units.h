#pragma once
// Every logger model code, unit name and display-unit factor, in one place.
#include <array>
#include <cstddef>
#include <cstdint>

namespace quillmark {

// Logger model codes (the program-wide LoggerModel).
inline constexpr std::int32_t kModelAirSpeed = 86;
inline constexpr std::int32_t kModelVoltage = 710;
inline constexpr std::int32_t kModelCurrent = 711;

constexpr bool isKnownModel(std::int32_t model) {
    return model == kModelAirSpeed || model == kModelVoltage || model == kModelCurrent;
}

// Display units: row 0 is the model's base unit, rows 1 to 4 the further air-speed units.
// A converted value is raw x factor / 1000.
inline constexpr int kDisplayUnitCount = 5;
inline constexpr std::array<double, kDisplayUnitCount> kUnitFactors{1.0, 196.87, 1.944, 3.6, 2.24};
// The air-speed model names all five rows; the others differ from it only in row 0.
inline constexpr std::array<const char*, kDisplayUnitCount> kAirSpeedUnitNames{
    "m/s", "ft/min", "knots", "km/h", "MPH"};
inline constexpr const char* kVoltageUnitName = "V";
inline constexpr const char* kCurrentUnitName = "mA";

// The display-unit row of unitIndex: an index outside 0..4 counts as the base unit.
constexpr std::int32_t unitRow(std::int32_t unitIndex) {
    return unitIndex >= 0 && unitIndex < kDisplayUnitCount ? unitIndex : 0;
}

// Factor of unitIndex (1 for an index outside the table).
// Units 1 to 4 convert air speed: they mean nothing for the voltage and current models (any
// other code reads as air speed, as its base unit does).
constexpr bool unitAppliesTo(std::int32_t model, std::int32_t unitIndex) {
    return unitIndex == 0 || (model != kModelVoltage && model != kModelCurrent && unitIndex > 0 &&
                              unitIndex < kDisplayUnitCount);
}

constexpr double unitFactor(std::int32_t unitIndex) {
    return kUnitFactors[static_cast<std::size_t>(unitRow(unitIndex))];
}

// Base unit name: "V" for 710, "mA" for 711, "m/s" otherwise.
constexpr const char* baseUnitName(std::int32_t model) {
    if (model == kModelVoltage)
        return kVoltageUnitName;
    if (model == kModelCurrent)
        return kCurrentUnitName;
    return kAirSpeedUnitNames[0];
}

// Name of the display unit unitIndex for the model (the base unit outside 0..4).
constexpr const char* unitName(std::int32_t model, std::int32_t unitIndex) {
    const std::int32_t row = unitRow(unitIndex);
    return row == 0 ? baseUnitName(model) : kAirSpeedUnitNames[static_cast<std::size_t>(row)];
}

} // namespace quillmark
