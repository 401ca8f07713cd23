#include "core/settings/settings_block.h"

#include <algorithm>
#include <string>

#include "core/common/byte_order.h"
#include "core/common/header_layout.h"

namespace quillmark {

std::uint8_t ledControlValue(std::uint32_t intervalSeconds, std::int32_t flashCycleIndex,
                             bool alarmFlash) {
    const std::uint32_t cycle = flashCycleIndex == 0 ? 10 : flashCycleIndex == 1 ? 20 : 30;
    std::uint32_t rateClass = 0;
    if (intervalSeconds >= 30 && cycle == 30) {
        rateClass = 3;
    } else if (intervalSeconds >= 10) {
        rateClass = 2;
    } else if (intervalSeconds >= 5) {
        rateClass = 1;
    }
    return static_cast<std::uint8_t>(cycle | (rateClass << 5) | (alarmFlash ? 0x80u : 0u));
}

HeaderBlock buildSettingsBlock(const LoggerSettings& settings, const std::tm* localOrNull) {
    HeaderBlock b{};
    std::uint8_t* p = b.data();
    const std::uint32_t interval = settings.intervalSeconds();

    putU32LE(p + block::kStartMarker, block::kMarker);
    putU32LE(p + block::kSamplePoints, settings.samplePoints());
    putI32LE(p + block::kRecordedPoints, 0);
    putU32LE(p + block::kIntervalSeconds, interval);

    if (localOrNull != nullptr) {
        const std::tm& t = *localOrNull;
        putI32LE(p + block::kStartYear, t.tm_year + 1900);
        p[block::kStartMonth] = static_cast<std::uint8_t>(t.tm_mon + 1);
        p[block::kStartDay] = static_cast<std::uint8_t>(t.tm_mday);
        p[block::kStartHour] = static_cast<std::uint8_t>(t.tm_hour);
        p[block::kStartMinute] = static_cast<std::uint8_t>(t.tm_min);
        p[block::kStartSecond] = static_cast<std::uint8_t>(t.tm_sec);
    } else {
        putI32LE(p + block::kStartYear, 0);
        p[block::kStartMonth] = 0;
        p[block::kStartDay] = 0;
        p[block::kStartHour] = 255;
        p[block::kStartMinute] = 255;
        p[block::kStartSecond] = 255;
    }

    putF32LE(p + block::kAlarmLow, settings.alarmLow);
    putF32LE(p + block::kAlarmHigh, settings.alarmHigh);
    p[block::kReserved] = 0;
    p[block::kLedControl] =
        ledControlValue(interval, settings.flashCycleIndex, settings.alarmFlash);

    const std::u16string name = utf8ToUtf16(settings.loggerName);
    const std::size_t n = std::min(name.size(), kLoggerNameMax);
    for (std::size_t i = 0; i < n; ++i) {
        p[block::kLoggerName + i] = static_cast<std::uint8_t>(name[i] & 0xFF);
    }
    // The rest of the name field, terminator included, stays 0.

    p[block::kModeFlags] =
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(settings.startMode) |
                                  (interval == 0 ? block::kFastSamplingFlag : 0u));
    putF32LE(p + block::kAlarmLowCopy, settings.alarmLow);
    putF32LE(p + block::kAlarmHighCopy, settings.alarmHigh);
    putU32LE(p + block::kEndMarker, block::kMarker);
    return b;
}

} // namespace quillmark
