#include "core/settings/settings_block.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/common/byte_order.h"

namespace quillmark {
namespace {

std::string hex(const HeaderBlock& b) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", b[i]);
        out += buf;
    }
    return out;
}

std::tm localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(SettingsBlock, MatchesTheKnownBytes) {
    LoggerSettings s = LoggerSettings::defaults();
    s.pointsIndex = 3; // 1000
    s.rateIndex = 8;   // 1hr
    s.flashCycleIndex = 0;
    s.alarmFlash = true;
    s.alarmLow = 0.0f;
    s.alarmHigh = 20.0f;
    s.startMode = kStartInstant;
    s.loggerName = "LoggerName";
    const std::tm t = localTime(2026, 12, 7, 5, 15, 3);
    EXPECT_EQ(hex(buildSettingsBlock(s, &t)),
              "CE 00 00 00 E8 03 00 00 00 00 00 00 10 0E 00 00 EA 07 00 00 00 00 00 00 "
              "00 00 A0 41 0C 07 05 0F 03 00 CA 4C 6F 67 67 65 72 4E 61 6D 65 00 00 00 "
              "00 00 00 02 00 00 00 00 00 00 A0 41 CE 00 00 00");
}

TEST(SettingsBlock, FastSamplingManualThirtySecondCycle) {
    LoggerSettings s = LoggerSettings::defaults();
    s.pointsIndex = 12;
    s.rateIndex = 14;
    s.startMode = kStartManual;
    s.flashCycleIndex = 2;
    s.alarmFlash = false;
    const std::tm t = localTime(2026, 1, 2, 3, 4, 5);
    const HeaderBlock b = buildSettingsBlock(s, &t);
    EXPECT_EQ(getU32LE(b.data() + block::kSamplePoints), 32000u);
    EXPECT_EQ(getU32LE(b.data() + block::kIntervalSeconds), 0u);
    EXPECT_EQ(b[block::kModeFlags], 0x11);
    EXPECT_EQ(b[block::kLedControl], 0x1E);
}

TEST(SettingsBlock, WithoutLocalTimeDateIsZeroAndTimeIs255) {
    LoggerSettings s = LoggerSettings::defaults();
    const HeaderBlock b = buildSettingsBlock(s, nullptr);
    EXPECT_EQ(getI32LE(b.data() + block::kStartYear), 0);
    EXPECT_EQ(b[block::kStartMonth], 0);
    EXPECT_EQ(b[block::kStartDay], 0);
    EXPECT_EQ(b[block::kStartHour], 255);
    EXPECT_EQ(b[block::kStartMinute], 255);
    EXPECT_EQ(b[block::kStartSecond], 255);
}

TEST(SettingsBlock, NameBytesAreLowBytesCutAtFifteen) {
    LoggerSettings s = LoggerSettings::defaults();
    s.loggerName = "ABCDEFGHIJKLMNOPQ";
    HeaderBlock b = buildSettingsBlock(s, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + block::kLoggerName), 16),
              std::string("ABCDEFGHIJKLMNO\0", 16));
    EXPECT_EQ(b[block::kModeFlags], 2);

    // e acute is U+00E9 (one byte E9); the euro sign U+20AC gives its low byte AC.
    s.loggerName = "\xC3\xA9\xE2\x82\xAC!";
    b = buildSettingsBlock(s, nullptr);
    EXPECT_EQ(b[block::kLoggerName + 0], 0xE9);
    EXPECT_EQ(b[block::kLoggerName + 1], 0xAC);
    EXPECT_EQ(b[block::kLoggerName + 2], '!');
    EXPECT_EQ(b[block::kLoggerName + 3], 0);
}

TEST(SettingsBlock, AlarmCopiesMatchTheLimits) {
    LoggerSettings s = LoggerSettings::defaults();
    s.alarmLow = 0.507949f;
    s.alarmHigh = 25.0f / 196.87f;
    const HeaderBlock b = buildSettingsBlock(s, nullptr);
    EXPECT_EQ(getF32LE(b.data() + block::kAlarmLow), s.alarmLow);
    EXPECT_EQ(getF32LE(b.data() + block::kAlarmHigh), s.alarmHigh);
    EXPECT_EQ(getF32LE(b.data() + block::kAlarmLowCopy), s.alarmLow);
    EXPECT_EQ(getF32LE(b.data() + block::kAlarmHighCopy), s.alarmHigh);
}

TEST(LedControl, TableByIntervalAndCycle) {
    struct Case {
        std::int32_t rateIndex;
        std::uint8_t cycle10, cycle20, cycle30;
    };
    // Every row of the sample-rate table.
    const Case cases[] = {
        {0, 0x0A, 0x14, 0x1E},  {14, 0x0A, 0x14, 0x1E}, {1, 0x2A, 0x34, 0x3E},
        {2, 0x4A, 0x54, 0x5E},  {3, 0x4A, 0x54, 0x7E},  {4, 0x4A, 0x54, 0x7E},
        {5, 0x4A, 0x54, 0x7E},  {6, 0x4A, 0x54, 0x7E},  {7, 0x4A, 0x54, 0x7E},
        {8, 0x4A, 0x54, 0x7E},  {9, 0x4A, 0x54, 0x7E},  {10, 0x4A, 0x54, 0x7E},
        {11, 0x4A, 0x54, 0x7E}, {12, 0x4A, 0x54, 0x7E}, {13, 0x4A, 0x54, 0x7E},
    };
    for (const Case& c : cases) {
        LoggerSettings s = LoggerSettings::defaults();
        s.rateIndex = c.rateIndex;
        const std::uint8_t expected[] = {c.cycle10, c.cycle20, c.cycle30};
        for (std::int32_t cycle = 0; cycle < 3; ++cycle) {
            s.flashCycleIndex = cycle;
            for (bool flash : {false, true}) {
                s.alarmFlash = flash;
                const HeaderBlock b = buildSettingsBlock(s, nullptr);
                const int want = expected[cycle] | (flash ? 0x80 : 0);
                EXPECT_EQ(b[block::kLedControl], want)
                    << "rate " << c.rateIndex << " cycle " << cycle << " flash " << flash;
            }
        }
    }
}

TEST(LedControl, ThirtySecondCycleWithAlarmFlash) {
    EXPECT_EQ(ledControlValue(30, 2, true), 0xFE);
    EXPECT_EQ(ledControlValue(86400, 2, true), 0xFE);
    EXPECT_EQ(ledControlValue(10, 2, true), 0xDE);
    EXPECT_EQ(ledControlValue(5, 2, true), 0xBE);
    EXPECT_EQ(ledControlValue(2, 2, true), 0x9E);
    // Any index other than 0 or 1 counts as the 30 s cycle.
    EXPECT_EQ(ledControlValue(10, 7, false), 0x5E);
    EXPECT_EQ(ledControlValue(10, -1, false), 0x5E);
}

} // namespace
} // namespace quillmark
