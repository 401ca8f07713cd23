#include "core/settings/logger_settings.h"

#include <cmath>
#include <limits>

#include "core/app/logger_model.h"
#include "core/settings/ini_store.h"

namespace quillmark {

namespace {

constexpr char kKeyModel[] = "MODEL";
constexpr char kKeyName[] = "LOGGERNAME";
constexpr char kKeyPoints[] = "SAMPLEPOINTS";
constexpr char kKeyRate[] = "SAMPLERATE";
constexpr char kKeyFlashCycle[] = "FLASHCYCLE";
constexpr char kKeyAlarmFlash[] = "ALARMFLASH";
constexpr char kKeyLowAlarm[] = "LOWALARM";
constexpr char kKeyHighAlarm[] = "HIGHALARM";
constexpr char kKeyUnit[] = "UNITSEL";

// One decoded UTF-8 sequence: its length in bytes and its code point (or the lone byte).
struct Decoded {
    std::size_t bytes;
    char32_t value;
};

Decoded decodeOne(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const Decoded lone{1, b0};
    if (b0 < 0x80) {
        return lone;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return lone;
    }
    if (i + len > s.size()) {
        return lone;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return lone;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return lone;
    }
    return {len, cp};
}

std::size_t unitsOf(char32_t cp) {
    return cp >= 0x10000 ? 2 : 1;
}

bool validStartMode(std::int32_t mode) {
    return mode == kStartManual || mode == kStartInstant || mode == kStartCalibration;
}

float toLimit(double value) {
    // A value a 32-bit float cannot hold is no usable limit.
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return 0.0f;
    }
    return static_cast<float>(value);
}

} // namespace

std::int32_t sampleRateCount(std::int32_t model) {
    return model == kModelVoltage ? 15 : 14;
}

std::vector<std::string> samplePointsList() {
    std::vector<std::string> list;
    for (std::uint32_t points : kSamplePointsTable) {
        list.push_back(std::to_string(points));
    }
    return list;
}

std::vector<std::string> sampleRateList(std::int32_t model) {
    std::vector<std::string> list;
    for (std::int32_t i = 0; i < sampleRateCount(model); ++i) {
        list.emplace_back(kSampleRateTable[static_cast<std::size_t>(i)].text);
    }
    return list;
}

std::vector<std::string> settingsUnitList(std::int32_t model) {
    switch (model) {
    case kModelAirSpeed:
        return {kAirSpeedUnitNames.begin(), kAirSpeedUnitNames.end()};
    case kModelVoltage:
    case kModelCurrent:
        return {baseUnitName(model)};
    default:
        return {};
    }
}

std::string alarmUnitName(std::int32_t model, std::int32_t unitIndex) {
    const std::vector<std::string> units = settingsUnitList(model);
    if (unitIndex >= 0 && static_cast<std::size_t>(unitIndex) < units.size()) {
        return units[static_cast<std::size_t>(unitIndex)];
    }
    return baseUnitName(model);
}

std::string alarmText(float limit, std::int32_t unitIndex) {
    return formatFixed(static_cast<double>(limit) * unitFactor(unitIndex), 0);
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeOne(utf8, i);
        if (d.value >= 0x10000) {
            const char32_t v = d.value - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(d.value));
        }
        i += d.bytes;
    }
    return out;
}

std::size_t utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeOne(utf8, i);
        units += unitsOf(d.value);
        i += d.bytes;
    }
    return units;
}

std::string truncateUtf16(std::string_view utf8, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const Decoded d = decodeOne(utf8, i);
        if (units + unitsOf(d.value) > maxUnits) {
            break;
        }
        units += unitsOf(d.value);
        i += d.bytes;
    }
    return std::string(utf8.substr(0, i));
}

LoggerSettings LoggerSettings::defaults() {
    LoggerSettings s;
    s.startMode = kStartInstant;
    s.loggerName = "LoggerName";
    s.pointsIndex = 0;
    s.rateIndex = 1;
    s.flashCycleIndex = 0;
    s.alarmFlash = true;
    s.alarmLow = 0.0f;
    s.alarmHigh = 20.0f;
    s.unitIndex = 0;
    return s;
}

std::uint32_t LoggerSettings::samplePoints() const {
    if (pointsIndex < 0 || static_cast<std::size_t>(pointsIndex) >= kSamplePointsTable.size()) {
        return kSamplePointsTable[static_cast<std::size_t>(defaults().pointsIndex)];
    }
    return kSamplePointsTable[static_cast<std::size_t>(pointsIndex)];
}

std::uint32_t LoggerSettings::intervalSeconds() const {
    if (rateIndex < 0 || static_cast<std::size_t>(rateIndex) >= kSampleRateTable.size()) {
        return kSampleRateTable[static_cast<std::size_t>(defaults().rateIndex)].intervalSeconds;
    }
    return kSampleRateTable[static_cast<std::size_t>(rateIndex)].intervalSeconds;
}

void LoggerSettings::load(const IniStore& ini, std::int32_t model) {
    const LoggerSettings missing;
    const LoggerSettings fallback = defaults();

    startMode = ini.getInt(kSettingsSection, kKeyModel, missing.startMode);
    if (!validStartMode(startMode)) {
        startMode = fallback.startMode;
    }
    loggerName = truncateUtf16(ini.getString(kSettingsSection, kKeyName, missing.loggerName),
                               kLoggerNameMax);

    pointsIndex = ini.getInt(kSettingsSection, kKeyPoints, missing.pointsIndex);
    if (pointsIndex < 0 || static_cast<std::size_t>(pointsIndex) >= kSamplePointsTable.size()) {
        pointsIndex = fallback.pointsIndex;
    }
    rateIndex = ini.getInt(kSettingsSection, kKeyRate, missing.rateIndex);
    if (rateIndex < 0 || rateIndex >= sampleRateCount(model)) {
        rateIndex = fallback.rateIndex;
    }
    flashCycleIndex = ini.getInt(kSettingsSection, kKeyFlashCycle, missing.flashCycleIndex);
    if (flashCycleIndex < 0 ||
        static_cast<std::size_t>(flashCycleIndex) >= kFlashCycleSeconds.size()) {
        flashCycleIndex = fallback.flashCycleIndex;
    }
    alarmFlash = ini.getInt(kSettingsSection, kKeyAlarmFlash, missing.alarmFlash ? 1 : 0) != 0;

    unitIndex = ini.getInt(kSettingsSection, kKeyUnit, missing.unitIndex);
    if (unitIndex < 0 || static_cast<std::size_t>(unitIndex) >= settingsUnitList(model).size()) {
        unitIndex = fallback.unitIndex;
    }
    // Limits are written with six decimals; read them back as decimals so a limit typed in
    // another unit survives the next opening.
    alarmLow = toLimit(ini.getDouble(kSettingsSection, kKeyLowAlarm, missing.alarmLow));
    alarmHigh = toLimit(ini.getDouble(kSettingsSection, kKeyHighAlarm, missing.alarmHigh));
}

void LoggerSettings::save(IniStore& ini) const {
    ini.setInt(kSettingsSection, kKeyModel, startMode);
    ini.setString(kSettingsSection, kKeyName, loggerName);
    ini.setInt(kSettingsSection, kKeyPoints, pointsIndex);
    ini.setInt(kSettingsSection, kKeyRate, rateIndex);
    ini.setInt(kSettingsSection, kKeyFlashCycle, flashCycleIndex);
    ini.setInt(kSettingsSection, kKeyAlarmFlash, alarmFlash ? 1 : 0);
    ini.setString(kSettingsSection, kKeyLowAlarm, formatFixed(alarmLow, 6));
    ini.setString(kSettingsSection, kKeyHighAlarm, formatFixed(alarmHigh, 6));
    ini.setInt(kSettingsSection, kKeyUnit, unitIndex);
}

bool LoggerSettings::load(std::string* error) {
    IniStore ini;
    const bool ok = ini.load(settingsIniPath(), error);
    load(ini, loggerModel());
    return ok;
}

bool LoggerSettings::save(std::string* error) const {
    const std::string path = settingsIniPath();
    IniStore ini;
    if (!ini.load(path, error)) {
        return false;
    }
    save(ini);
    return ini.save(path, error);
}

} // namespace quillmark
