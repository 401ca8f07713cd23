#pragma once
// The logger settings record: what the user chooses in the settings dialog, what the Setup
// button writes to the logger, and what is remembered in section "K52R_DATASET" of the INI file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/model_units.h"
#include "core/data/time_stamp.h"

namespace quillmark {

class IniStore;

inline constexpr char kSettingsSection[] = "K52R_DATASET";

// Sample-points table: pointsIndex -> number of points (the list text is the number).
inline constexpr std::array<std::uint32_t, 13> kSamplePointsTable{
    50, 100, 500, 1000, 2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000, 32000};

struct SampleRate {
    const char* text;
    std::uint32_t intervalSeconds; // 0 stands for 400 Hz (fast sampling)
};
// Sample-rate table: rateIndex -> list text and interval. The last row exists only for the
// voltage model (710).
inline constexpr std::array<SampleRate, 15> kSampleRateTable{{
    {"2s", 2},
    {"5s", 5},
    {"10s", 10},
    {"30s", 30},
    {"1m", 60},
    {"5m", 300},
    {"10m", 600},
    {"30m", 1800},
    {"1hr", 3600},
    {"2hr", 7200},
    {"3hr", 10800},
    {"6hr", 21600},
    {"12hr", 43200},
    {"24hr", 86400},
    {"2.5ms(400Hz)", 0},
}};
inline constexpr std::int32_t kFastRateIndex = 14;

// LED flash cycle radios "10s", "20s", "30s".
inline constexpr std::array<std::int32_t, 3> kFlashCycleSeconds{10, 20, 30};

// Start mode radios.
inline constexpr std::int32_t kStartManual = 1;
inline constexpr std::int32_t kStartInstant = 2;
inline constexpr std::int32_t kStartCalibration = 4;

// The logger name holds at most this many characters (UTF-16 code units).
inline constexpr std::size_t kLoggerNameMax = 15;

// Number of sample-rate choices: 15 for the voltage model (adds 400 Hz), else 14.
std::int32_t sampleRateCount(std::int32_t model);
// The list texts in table order: the sample-points list ("50" ... "32000") and the model's
// sample-rate list ("2s" ... "24hr", then "2.5ms(400Hz)" for the voltage model).
std::vector<std::string> samplePointsList();
std::vector<std::string> sampleRateList(std::int32_t model);
// The dialog's unit list: five air-speed units for 86, "V" for 710, "mA" for 711, else empty.
std::vector<std::string> settingsUnitList(std::int32_t model);
// The unit the alarm range message names: the list entry at unitIndex, or the base unit of
// the model ("m/s" for anything but 710 and 711) when the list has no such entry.
std::string alarmUnitName(std::int32_t model, std::int32_t unitIndex);
// Text of a base-unit limit as the alarm edit shows it: "%.0f" of limit x factor.
std::string alarmText(float limit, std::int32_t unitIndex);

// UTF-8 to UTF-16. A byte that does not start a valid sequence becomes one code unit of the
// same value, so Latin-1 text keeps its bytes.
std::u16string utf8ToUtf16(std::string_view utf8);
// Number of UTF-16 code units of a UTF-8 text.
std::size_t utf16Length(std::string_view utf8);
// The longest prefix of at most maxUnits UTF-16 code units, never splitting a character.
std::string truncateUtf16(std::string_view utf8, std::size_t maxUnits);

struct LoggerSettings {
    // Field values are those used when the INI file has no such key.
    std::int32_t startMode = kStartInstant; // 1 Manual, 2 Instant, 4 Calibration
    std::string loggerName = "loggername";  // UTF-8, at most 15 characters once loaded
    std::int32_t pointsIndex = 12;          // into kSamplePointsTable
    std::int32_t rateIndex = 1;             // into kSampleRateTable
    std::int32_t flashCycleIndex = 0;       // 0 = 10 s, 1 = 20 s, 2 = 30 s
    bool alarmFlash = false;
    float alarmLow = 0.0f;  // base unit
    float alarmHigh = 0.0f; // base unit
    std::int32_t unitIndex = 0;

    // The values the dialog's Default button sets.
    static LoggerSettings defaults();

    // Derived values. An index outside its table gives the Default button's entry
    // (50 points, 5 s).
    std::uint32_t samplePoints() const;
    std::uint32_t intervalSeconds() const; // 0 = 400 Hz
    bool fastSampling() const { return intervalSeconds() == 0; }

    // Reads the section. Values the dialog cannot show fall back to the Default button's
    // value of that field: a start mode other than 1, 2, 4; indices outside their tables;
    // the 400 Hz rate for a model other than 710; a unit index not in the model's list.
    // A longer name is cut to 15 characters. Limits are read as decimals.
    void load(const IniStore& ini, std::int32_t model);
    // Writes the nine keys in their fixed order and formats.
    void save(IniStore& ini) const;

    // Convenience on settingsIniPath() and the program-wide model code. load() fills the
    // record even when the file cannot be read (then with the missing-key values) and
    // returns false with the reason in that case. save() keeps everything else in the file;
    // it refuses to write over a file it could not read.
    bool load(std::string* error = nullptr);
    bool save(std::string* error = nullptr) const;

    bool operator==(const LoggerSettings&) const = default;
};

} // namespace quillmark
