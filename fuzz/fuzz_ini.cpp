// Feeds random text to the INI reader and checks what must hold for any file:
//  - no crash, no undefined behaviour (run with the sanitizers);
//  - writing what was read and reading it again gives the same text;
//  - the settings record read from it is always one the dialog can show;
//  - a value that was set reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings/ini_store.h"
#include "core/settings/logger_settings.h"

namespace {

#ifdef QUILLMARK_FUZZ_REPLAY
// The corpus replay test reports a failed check instead of stopping.
void fuzzCheckFailed(int line);
#endif

void check(bool ok, int line = __builtin_LINE()) {
    if (!ok) {
#ifdef QUILLMARK_FUZZ_REPLAY
        fuzzCheckFailed(line);
#else
        (void)line;
        __builtin_trap();
#endif
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                          s.front() == '\v' || s.front() == '\f')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' ||
                          s.back() == '\v' || s.back() == '\f')) {
        s.remove_suffix(1);
    }
    return s;
}

void checkRecord(const quillmark::LoggerSettings& s, std::int32_t model) {
    using namespace quillmark;
    check(s.startMode == 1 || s.startMode == 2 || s.startMode == 4);
    check(utf16Length(s.loggerName) <= kLoggerNameMax);
    check(s.pointsIndex >= 0 && s.pointsIndex < 13);
    check(s.rateIndex >= 0 && s.rateIndex < sampleRateCount(model));
    check(s.flashCycleIndex >= 0 && s.flashCycleIndex < 3);
    const auto units = settingsUnitList(model);
    check(s.unitIndex == 0 || static_cast<std::size_t>(s.unitIndex) < units.size());
    check(std::isfinite(s.alarmLow) && std::isfinite(s.alarmHigh));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    IniStore ini;
    ini.loadFromString(text);
    const std::string once = ini.toString();
    IniStore again;
    again.loadFromString(once);
    check(again.toString() == once);

    static constexpr std::int32_t kModels[] = {86, 710, 711, 0};
    const std::int32_t model = kModels[size % 4];
    LoggerSettings s;
    s.load(ini, model);
    checkRecord(s, model);

    // Saving the record and reading it back gives the same record (names lose outer blanks,
    // limits keep six decimals).
    s.save(ini);
    IniStore saved;
    saved.loadFromString(ini.toString());
    LoggerSettings r;
    r.load(saved, model);
    checkRecord(r, model);
    check(r.startMode == s.startMode && r.pointsIndex == s.pointsIndex &&
          r.rateIndex == s.rateIndex && r.flashCycleIndex == s.flashCycleIndex &&
          r.alarmFlash == s.alarmFlash && r.unitIndex == s.unitIndex);
    check(r.loggerName == trimmed(s.loggerName));
    check(std::fabs(double(r.alarmLow) - s.alarmLow) <=
          1e-6 * std::fmax(1.0, std::fabs(s.alarmLow)));
    check(std::fabs(double(r.alarmHigh) - s.alarmHigh) <=
          1e-6 * std::fmax(1.0, std::fabs(s.alarmHigh)));

    // Any value under a plain key reads back without line feeds and outer blanks.
    const std::string value(text.substr(0, 64));
    ini.setString("Fuzz", "VALUE", value);
    std::string expected;
    for (char c : value) {
        if (c != '\n') {
            expected.push_back(c);
        }
    }
    check(ini.getString("fuzz", "value", "<missing>") == trimmed(expected));
    IniStore reread;
    reread.loadFromString(ini.toString());
    check(reread.getString("FUZZ", "Value", "<missing>") == trimmed(expected));
    return 0;
}
