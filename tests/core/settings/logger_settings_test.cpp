#include "core/settings/logger_settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/app/logger_model.h"
#include "core/settings/ini_store.h"

namespace quillmark {
namespace {

LoggerSettings loadFrom(const std::string& text, std::int32_t model) {
    IniStore ini;
    ini.loadFromString(text);
    LoggerSettings s;
    s.load(ini, model);
    return s;
}

TEST(LoggerSettingsTables, DerivedValuesFallBackOutsideTheTables) {
    struct Case {
        std::int32_t pointsIndex;
        std::int32_t rateIndex;
        std::uint32_t points;
        std::uint32_t interval;
    };
    const Case cases[] = {
        {0, 0, 50, 2},
        {12, 13, 32000, 86400},
        {3, 14, 1000, 0},
        // Indices outside the tables give the Default button's entries.
        {13, 15, 50, 5},
        {-1, -1, 50, 5},
    };
    for (const Case& c : cases) {
        LoggerSettings s;
        s.pointsIndex = c.pointsIndex;
        s.rateIndex = c.rateIndex;
        EXPECT_EQ(s.samplePoints(), c.points) << c.pointsIndex;
        EXPECT_EQ(s.intervalSeconds(), c.interval) << c.rateIndex;
        EXPECT_EQ(s.fastSampling(), c.interval == 0);
    }
}

TEST(LoggerSettingsTables, AlarmRangeUpperEndsAsPrinted) {
    const char* expected[] = {"30", "5906", "58", "108", "67"};
    for (std::int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(formatFixed(30.0 * unitFactor(i), 0), expected[i]) << i;
    }
    EXPECT_DOUBLE_EQ(unitFactor(5), 1.0);
    EXPECT_DOUBLE_EQ(unitFactor(-1), 1.0);
}

TEST(LoggerSettingsTables, AlarmTextIsTheRoundedConvertedLimit) {
    EXPECT_EQ(alarmText(2.0f, 1), "394");
    EXPECT_EQ(alarmText(20.0f, 3), "72");
    EXPECT_EQ(alarmText(20.0f, 0), "20");
    EXPECT_EQ(alarmText(-3.0f, 0), "-3");
    EXPECT_EQ(alarmText(25.0f / 196.87f, 1), "25");
}

TEST(LoggerSettingsLoad, NoFileGivesTheMissingKeyValues) {
    const LoggerSettings s = loadFrom("", 710);
    EXPECT_EQ(s.startMode, 2);
    EXPECT_EQ(s.loggerName, "loggername");
    EXPECT_EQ(s.pointsIndex, 12);
    EXPECT_EQ(s.samplePoints(), 32000u);
    EXPECT_EQ(s.rateIndex, 1);
    EXPECT_EQ(s.intervalSeconds(), 5u);
    EXPECT_EQ(s.flashCycleIndex, 0);
    EXPECT_FALSE(s.alarmFlash);
    EXPECT_EQ(s.unitIndex, 0);
    EXPECT_EQ(s.alarmLow, 0.0f);
    EXPECT_EQ(s.alarmHigh, 0.0f);
    EXPECT_EQ(alarmText(s.alarmLow, s.unitIndex), "0");
}

TEST(LoggerSettingsLoad, ReadsEveryKey) {
    const LoggerSettings s = loadFrom("[K52R_DATASET]\n"
                                      "MODEL=1\n"
                                      "LOGGERNAME=Cellar\n"
                                      "SAMPLEPOINTS=3\n"
                                      "SAMPLERATE=8\n"
                                      "FLASHCYCLE=2\n"
                                      "ALARMFLASH=1\n"
                                      "LOWALARM=2.000000\n"
                                      "HIGHALARM=20.000000\n"
                                      "UNITSEL=1\n",
                                      86);
    EXPECT_EQ(s.startMode, 1);
    EXPECT_EQ(s.loggerName, "Cellar");
    EXPECT_EQ(s.pointsIndex, 3);
    EXPECT_EQ(s.rateIndex, 8);
    EXPECT_EQ(s.flashCycleIndex, 2);
    EXPECT_TRUE(s.alarmFlash);
    EXPECT_EQ(s.alarmLow, 2.0f);
    EXPECT_EQ(s.alarmHigh, 20.0f);
    EXPECT_EQ(s.unitIndex, 1);
    // LOWALARM=2 shown in ft/min.
    EXPECT_EQ(alarmText(s.alarmLow, s.unitIndex), "394");
}

TEST(LoggerSettingsLoad, AlarmLimitsAreReadAsDecimals) {
    struct Case {
        const char* text;
        float expected;
    };
    const Case cases[] = {
        {"20.000000", 20.0f}, {"-3.5", -3.5f}, {"0.507949", 0.507949f},
        {"7", 7.0f},          {"abc", 0.0f},   {"1e300", 0.0f}, // beyond a 32-bit float
    };
    for (const Case& c : cases) {
        const LoggerSettings s =
            loadFrom(std::string("[K52R_DATASET]\nHIGHALARM=") + c.text + "\n", 86);
        EXPECT_EQ(s.alarmHigh, c.expected) << c.text;
    }
}

TEST(LoggerSettingsLoad, EmptyNameStaysEmptyAndLongNamesAreCut) {
    EXPECT_EQ(loadFrom("[K52R_DATASET]\nLOGGERNAME=\n", 710).loggerName, "");
    EXPECT_EQ(loadFrom("[K52R_DATASET]\nLOGGERNAME=ABCDEFGHIJKLMNOPQRS\n", 710).loggerName,
              "ABCDEFGHIJKLMNO");
    EXPECT_EQ(loadFrom("[K52R_DATASET]\nLOGGERNAME=ABCDEFGHIJKLMNO\n", 710).loggerName,
              "ABCDEFGHIJKLMNO");
    // Counting is by character, never splitting a multi-byte one.
    EXPECT_EQ(loadFrom("[K52R_DATASET]\nLOGGERNAME=\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                       "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                       "\xC3\xA9\xC3\xA9\xC3\xA9\n",
                       710)
                  .loggerName.size(),
              30u);
}

TEST(LoggerSettingsLoad, OutOfTableValuesFallBackToTheDefaultButtonValues) {
    struct Case {
        const char* line;
        std::int32_t model;
        std::int32_t LoggerSettings::*field;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"MODEL=3", 710, &LoggerSettings::startMode, 2},
        {"MODEL=0", 710, &LoggerSettings::startMode, 2},
        {"MODEL=4", 710, &LoggerSettings::startMode, 4},
        {"SAMPLEPOINTS=13", 710, &LoggerSettings::pointsIndex, 0},
        {"SAMPLEPOINTS=-1", 710, &LoggerSettings::pointsIndex, 0},
        {"SAMPLERATE=14", 710, &LoggerSettings::rateIndex, 14},
        {"SAMPLERATE=14", 86, &LoggerSettings::rateIndex, 1},
        {"SAMPLERATE=14", 711, &LoggerSettings::rateIndex, 1},
        {"SAMPLERATE=15", 710, &LoggerSettings::rateIndex, 1},
        {"SAMPLERATE=-2", 710, &LoggerSettings::rateIndex, 1},
        {"SAMPLERATE=13", 86, &LoggerSettings::rateIndex, 13},
        {"FLASHCYCLE=3", 710, &LoggerSettings::flashCycleIndex, 0},
        {"FLASHCYCLE=-1", 710, &LoggerSettings::flashCycleIndex, 0},
        {"UNITSEL=4", 86, &LoggerSettings::unitIndex, 4},
        {"UNITSEL=5", 86, &LoggerSettings::unitIndex, 0},
        {"UNITSEL=1", 710, &LoggerSettings::unitIndex, 0},
        {"UNITSEL=1", 99, &LoggerSettings::unitIndex, 0},
    };
    for (const Case& c : cases) {
        const LoggerSettings s = loadFrom(std::string("[K52R_DATASET]\n") + c.line + "\n", c.model);
        EXPECT_EQ(s.*(c.field), c.expected) << c.line << " model " << c.model;
    }
}

TEST(LoggerSettingsSave, WritesTheKeysInOrderWithTheirFormats) {
    LoggerSettings s = LoggerSettings::defaults();
    s.pointsIndex = 3;
    s.rateIndex = 8;
    s.alarmLow = 100.0f / 196.87f;
    IniStore ini;
    s.save(ini);
    EXPECT_EQ(ini.toString(), "[K52R_DATASET]\n"
                              "MODEL=2\n"
                              "LOGGERNAME=LoggerName\n"
                              "SAMPLEPOINTS=3\n"
                              "SAMPLERATE=8\n"
                              "FLASHCYCLE=0\n"
                              "ALARMFLASH=1\n"
                              "LOWALARM=0.507949\n"
                              "HIGHALARM=20.000000\n"
                              "UNITSEL=0\n");
}

TEST(LoggerSettingsSave, RoundTripKeepsLimitsAndOtherSections) {
    IniStore ini;
    ini.loadFromString("[K52R_BKCOLOR]\nR=1\nG=2\nB=3\n\n[K52R_DATASET]\nMODEL=1\nEXTRA=yes\n");
    LoggerSettings s;
    s.startMode = 2;
    s.loggerName = "Fan 3";
    s.pointsIndex = 5;
    s.rateIndex = 14;
    s.flashCycleIndex = 1;
    s.alarmFlash = true;
    s.unitIndex = 1;
    s.alarmLow = 100.0f / 196.87f; // 100 ft/min typed
    s.alarmHigh = 5000.0f / 196.87f;
    s.save(ini);

    IniStore back;
    back.loadFromString(ini.toString());
    LoggerSettings r;
    r.load(back, 710);
    // 710 has a single unit, so the unit index falls back; everything else survives.
    EXPECT_EQ(r.unitIndex, 0);
    r.unitIndex = 1;
    EXPECT_EQ(r.startMode, s.startMode);
    EXPECT_EQ(r.loggerName, s.loggerName);
    EXPECT_EQ(r.pointsIndex, s.pointsIndex);
    EXPECT_EQ(r.rateIndex, s.rateIndex);
    EXPECT_EQ(r.flashCycleIndex, s.flashCycleIndex);
    EXPECT_EQ(r.alarmFlash, s.alarmFlash);
    EXPECT_NEAR(r.alarmLow, s.alarmLow, 1e-6);
    EXPECT_NEAR(r.alarmHigh, s.alarmHigh, 1e-6);
    EXPECT_EQ(alarmText(r.alarmLow, 1), "100");
    EXPECT_EQ(alarmText(r.alarmHigh, 1), "5000");

    EXPECT_EQ(back.getInt("K52R_BKCOLOR", "B", 0), 3);
    EXPECT_EQ(back.getString("K52R_DATASET", "EXTRA", ""), "yes");
    // Existing keys are updated in place, new ones follow the section's last key.
    EXPECT_EQ(ini.toString(), "[K52R_BKCOLOR]\nR=1\nG=2\nB=3\n\n"
                              "[K52R_DATASET]\n"
                              "MODEL=2\n"
                              "EXTRA=yes\n"
                              "LOGGERNAME=Fan 3\n"
                              "SAMPLEPOINTS=5\n"
                              "SAMPLERATE=14\n"
                              "FLASHCYCLE=1\n"
                              "ALARMFLASH=1\n"
                              "LOWALARM=0.507949\n"
                              "HIGHALARM=25.397470\n"
                              "UNITSEL=1\n");
}

TEST(LoggerSettingsSave, UsesTheSettingsFileAndTheProgramModel) {
    namespace fs = std::filesystem;
    std::string tmpl = (fs::temp_directory_path() / "quillmark_cfg_XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::int32_t oldModel = loggerModel();

    LoggerSettings s = LoggerSettings::defaults();
    s.rateIndex = 14;
    std::string error;
    EXPECT_TRUE(s.save(&error)) << error;
    EXPECT_TRUE(fs::exists(dir / "Quillmark" / "SettingConfig.ini"));

    setLoggerModel(710);
    LoggerSettings r;
    EXPECT_TRUE(r.load());
    EXPECT_EQ(r, s);
    setLoggerModel(86);
    EXPECT_TRUE(r.load());
    EXPECT_EQ(r.rateIndex, 1);

    setLoggerModel(oldModel);
    if (old != nullptr) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::remove_all(dir);
}

TEST(LoggerSettingsText, Utf16Handling) {
    EXPECT_EQ(utf16Length("abc"), 3u);
    EXPECT_EQ(utf16Length("\xC3\xA9"), 1u);         // e acute
    EXPECT_EQ(utf16Length("\xF0\x9F\x98\x80"), 2u); // outside the basic plane
    EXPECT_EQ(utf16Length("\xFF"), 1u);             // invalid byte
    EXPECT_EQ(utf8ToUtf16("A\xC3\xA9\xF0\x9F\x98\x80\xFF"),
              (std::u16string{u'A', 0xE9, 0xD83D, 0xDE00, 0xFF}));
    EXPECT_EQ(truncateUtf16("ab\xF0\x9F\x98\x80", 3), "ab");
    EXPECT_EQ(truncateUtf16("ab\xF0\x9F\x98\x80", 4), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(truncateUtf16("\xE2\x82\xAC\xE2\x82", 2), "\xE2\x82\xAC\xE2");
}

} // namespace
} // namespace quillmark
