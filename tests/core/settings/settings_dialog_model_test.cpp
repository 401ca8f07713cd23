#include "core/settings/settings_dialog_model.h"

#include <string>

#include <gtest/gtest.h>

#include "core/settings/ini_store.h"
#include "core/settings/settings_block.h"

namespace quillmark {
namespace {

LoggerSettings loadedFrom(const std::string& text, std::int32_t model) {
    IniStore ini;
    ini.loadFromString(text);
    LoggerSettings s;
    s.load(ini, model);
    return s;
}

// A dialog opened on a missing INI file.
SettingsDialogModel openedDialog(std::int32_t model) {
    SettingsDialogModel dlg(model);
    EXPECT_FALSE(dlg.open(loadedFrom("", model)).has_value());
    return dlg;
}

DialogMessage rangeMessage(const std::string& upper, const std::string& unit) {
    return DialogMessage{"Please input between 0 and " + upper + " " + unit, "Quillmark",
                         MessageIcon::Exclamation};
}

SetupTexts textsOf(const SettingsDialogModel& dlg) {
    return SetupTexts{dlg.lowAlarmText(), dlg.highAlarmText(), dlg.loggerNameText()};
}

TEST(RecordingTimeText, ExampleTable) {
    struct Case {
        std::uint32_t points;
        const char* rate;
        const char* text;
    };
    const Case cases[] = {
        {50, "5s", " 4_Minutes, 10_Seconds"},
        {32000, "24hr", "32000_Days"},
        {32000, "12hr", "16000_Days"},
        {32000, "5s", "1_Day, 20_Hours, 26_Minutes, 40_Seconds"},
        {1000, "1m", " 16_Hours, 40_Minutes"},
        {1000, "1hr", "41_Days, 16_Hours"},
        {100, "24hr", "100_Days"},
        {4000, "2s", " 2_Hours, 13_Minutes, 20_Seconds"},
        {1000, "2.5ms(400Hz)", " 0_Minute, 2_Seconds"},
        {32000, "2.5ms(400Hz)", " 1_Minute, 20_Seconds"},
        // Singular words and whole units.
        {500, "2.5ms(400Hz)", " 0_Minute, 1_Seconds"},
        {1000, "2s", " 33_Minutes, 20_Seconds"},
        {50, "2s", " 1_Minute, 40_Seconds"},
        {60, "1m", " 1_Hour"},
        {24, "1hr", "1_Day"},
        {25, "1hr", "1_Day, 1_Hour"},
        {2000, "30s", " 16_Hours, 40_Minutes"},
    };
    for (const Case& c : cases) {
        std::uint32_t interval = 99;
        for (const SampleRate& r : kSampleRateTable) {
            if (std::string(r.text) == c.rate) {
                interval = r.intervalSeconds;
            }
        }
        ASSERT_NE(interval, 99u) << c.rate;
        EXPECT_EQ(recordingTimeText(c.points, interval), c.text) << c.points << " at " << c.rate;
    }
}

TEST(RecordingTimeText, EveryTablePairIsWellFormed) {
    for (std::uint32_t points : kSamplePointsTable) {
        for (const SampleRate& r : kSampleRateTable) {
            const std::string text = recordingTimeText(points, r.intervalSeconds);
            if (r.intervalSeconds == 0 && points < 400) {
                // Under one second at 400 Hz (never offered): everything is trimmed away.
                EXPECT_EQ(text, "") << points;
                continue;
            }
            ASSERT_FALSE(text.empty()) << points << " " << r.text;
            // Either a leading day count or exactly one leading space before a number.
            if (text[0] == ' ') {
                EXPECT_TRUE(text.size() > 1 && text[1] >= '0' && text[1] <= '9') << text;
            } else {
                EXPECT_TRUE(text[0] >= '1' && text[0] <= '9') << text;
            }
        }
    }
}

TEST(CurrentTimeText, TwoDigitFields) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 5;
    t.tm_min = 15;
    t.tm_sec = 3;
    EXPECT_EQ(currentTimeText(&t), "07-12-26 05:15:03");
    EXPECT_EQ(currentTimeText(nullptr), "");
}

TEST(SettingsDialogOpen, ListsFollowTheModel) {
    struct Case {
        std::int32_t model;
        std::size_t rates;
        std::vector<std::string> units;
        std::int32_t unitSelection;
    };
    const Case cases[] = {
        {86, 14, {"m/s", "ft/min", "knots", "km/h", "MPH"}, 0},
        {710, 15, {"V"}, 0},
        {711, 14, {"mA"}, 0},
        {42, 14, {}, -1},
    };
    for (const Case& c : cases) {
        const SettingsDialogModel dlg = openedDialog(c.model);
        EXPECT_EQ(dlg.pointsList().size(), 13u);
        EXPECT_EQ(dlg.pointsList().front(), "50");
        EXPECT_EQ(dlg.pointsList().back(), "32000");
        EXPECT_EQ(dlg.rateList().size(), c.rates);
        EXPECT_EQ(dlg.rateList().back(), c.rates == 15 ? "2.5ms(400Hz)" : "24hr");
        EXPECT_EQ(dlg.unitList(), c.units);
        EXPECT_EQ(dlg.unitSelection(), c.unitSelection);
    }
}

TEST(SettingsDialogOpen, MissingFileShowsTheMissingKeyValues) {
    const SettingsDialogModel dlg = openedDialog(710);
    EXPECT_EQ(dlg.checkedStartMode(), 2);
    EXPECT_EQ(dlg.loggerNameText(), "loggername");
    EXPECT_EQ(dlg.pointsSelection(), 12);
    EXPECT_EQ(dlg.rateSelection(), 1);
    EXPECT_EQ(dlg.checkedFlashCycle(), 0);
    EXPECT_FALSE(dlg.alarmFlashChecked());
    EXPECT_EQ(dlg.lowAlarmText(), "0");
    EXPECT_EQ(dlg.highAlarmText(), "0");
    EXPECT_EQ(dlg.recordingTime(), "1_Day, 20_Hours, 26_Minutes, 40_Seconds");
    EXPECT_EQ(dlg.statusText(), "");
    EXPECT_TRUE(dlg.setupEnabled());
}

TEST(SettingsDialogOpen, LowAlarmShownInTheStoredUnit) {
    SettingsDialogModel dlg(86);
    EXPECT_FALSE(dlg.open(loadedFrom("[K52R_DATASET]\nLOWALARM=2\nUNITSEL=1\n", 86)));
    EXPECT_EQ(dlg.lowAlarmText(), "394");
    EXPECT_EQ(dlg.unitSelection(), 1);
    EXPECT_EQ(dlg.alarmUnit(), "ft/min");
}

TEST(SettingsDialogOpen, StoredFastRateWithFewPointsIsCorrected) {
    SettingsDialogModel dlg(710);
    const auto message =
        dlg.open(loadedFrom("[K52R_DATASET]\nSAMPLEPOINTS=1\nSAMPLERATE=14\n", 710));
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, "Please select other points!");
    EXPECT_EQ(dlg.pointsSelection(), 2);
    EXPECT_EQ(dlg.settings().samplePoints(), 500u);
}

TEST(SettingsDialogOpen, RecordOutsideTheListsTakesTheDefaultEntries) {
    LoggerSettings s;
    s.pointsIndex = 13;
    s.rateIndex = 14; // not offered to 711
    s.unitIndex = 2;  // 711 lists one unit
    SettingsDialogModel dlg(711);
    EXPECT_FALSE(dlg.open(s));
    EXPECT_EQ(dlg.pointsSelection(), 0);
    EXPECT_EQ(dlg.rateSelection(), 1);
    EXPECT_EQ(dlg.unitSelection(), 0);
}

TEST(SettingsDialogRates, FastRateMovesFewPointsTo500) {
    SettingsDialogModel dlg = openedDialog(710);
    EXPECT_FALSE(dlg.onPointsChanged(0));
    const auto message = dlg.onRateChanged(14);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(*message, (DialogMessage{"Please select other points!", "Quillmark",
                                       MessageIcon::Exclamation}));
    EXPECT_EQ(dlg.pointsSelection(), 2);
    EXPECT_EQ(dlg.rateSelection(), 14);
    EXPECT_EQ(dlg.recordingTime(), " 0_Minute, 1_Seconds");

    // Choosing 100 points while at 400 Hz is corrected the same way.
    EXPECT_TRUE(dlg.onPointsChanged(1).has_value());
    EXPECT_EQ(dlg.pointsSelection(), 2);
    // 1000 points at 400 Hz pass.
    EXPECT_FALSE(dlg.onPointsChanged(3));
    EXPECT_EQ(dlg.recordingTime(), " 0_Minute, 2_Seconds");
}

TEST(SettingsDialogRates, FastRateIsOnlyOfferedTo710) {
    SettingsDialogModel dlg = openedDialog(86);
    EXPECT_FALSE(dlg.onRateChanged(14));
    EXPECT_EQ(dlg.rateSelection(), 1);
    EXPECT_FALSE(dlg.onRateChanged(13));
    EXPECT_EQ(dlg.rateSelection(), 13);
    EXPECT_EQ(dlg.settings().intervalSeconds(), 86400u);
}

TEST(SettingsDialogAlarm, OutOfRangeValuesDrawTheRangeMessage) {
    struct Case {
        std::int32_t model;
        std::int32_t unit;
        AlarmField field;
        const char* typed;
        std::optional<DialogMessage> message;
        const char* textAfter;
        float limitAfter;
    };
    const Case cases[] = {
        {86, 0, AlarmField::Low, "31", rangeMessage("30", "m/s"), "0", 0.0f},
        {86, 1, AlarmField::High, "5907", rangeMessage("5906", "ft/min"), "25",
         static_cast<float>(25.0 / 196.87)},
        {86, 1, AlarmField::High, "5906", std::nullopt, "5906",
         static_cast<float>(5906.0 / 196.87)},
        {86, 2, AlarmField::High, "59", rangeMessage("58", "knots"), "25",
         static_cast<float>(25.0 / 1.944)},
        {86, 3, AlarmField::Low, "109", rangeMessage("108", "km/h"), "0", 0.0f},
        {86, 4, AlarmField::Low, "68", rangeMessage("67", "MPH"), "0", 0.0f},
        {710, 0, AlarmField::High, "30", std::nullopt, "30", 30.0f},
        {710, 0, AlarmField::High, "31", rangeMessage("30", "V"), "25", 25.0f},
        {711, 0, AlarmField::High, "31", rangeMessage("30", "mA"), "25", 25.0f},
        {710, 0, AlarmField::Low, "-1", rangeMessage("30", "V"), "0", 0.0f},
        // A digit string too long for 32 bits is out of range, not wrapped around.
        {710, 0, AlarmField::Low, "4294967296", rangeMessage("30", "V"), "0", 0.0f},
        {710, 0, AlarmField::High, "99999999999999999999", rangeMessage("30", "V"), "25", 25.0f},
        {710, 0, AlarmField::Low, "-99999999999999999999", rangeMessage("30", "V"), "0", 0.0f},
        // No unit list: base unit with factor 1.
        {99, 0, AlarmField::High, "31", rangeMessage("30", "m/s"), "25", 25.0f},
        {99, 0, AlarmField::High, "7", std::nullopt, "7", 7.0f},
    };
    for (const Case& c : cases) {
        SettingsDialogModel dlg = openedDialog(c.model);
        dlg.onUnitChanged(c.unit);
        const auto message = dlg.onAlarmEdited(c.field, c.typed);
        EXPECT_EQ(message, c.message) << c.model << " " << c.typed;
        const std::string& text =
            c.field == AlarmField::Low ? dlg.lowAlarmText() : dlg.highAlarmText();
        const float limit =
            c.field == AlarmField::Low ? dlg.settings().alarmLow : dlg.settings().alarmHigh;
        EXPECT_EQ(text, c.textAfter) << c.model << " " << c.typed;
        EXPECT_EQ(limit, c.limitAfter) << c.model << " " << c.typed;
    }
}

TEST(SettingsDialogAlarm, FilterRevertsOrKeepsTheText) {
    struct Case {
        const char* typed;
        const char* textAfter;
        float limitAfter;
    };
    const Case cases[] = {
        {"12.5", "7", 7.0f}, // decimal point: previous text back
        {"1a", "7", 7.0f},   // letter
        {"5-", "7", 7.0f},   // minus not in front
        {" 5", "7", 7.0f},   // blank
        {"-", "-", 0.0f},    // lone minus stays and counts as 0
        {"", "", 0.0f},      // empty stays and counts as 0
        {"-0", "-0", 0.0f},  {"007", "007", 7.0f}, {"12", "12", 12.0f},
    };
    for (const Case& c : cases) {
        SettingsDialogModel dlg = openedDialog(710);
        ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::High, "7"));
        EXPECT_FALSE(dlg.onAlarmEdited(AlarmField::High, c.typed)) << c.typed;
        EXPECT_EQ(dlg.highAlarmText(), c.textAfter) << c.typed;
        EXPECT_EQ(dlg.settings().alarmHigh, c.limitAfter) << c.typed;
        // A reverted text says why beside the edit; a taken one leaves nothing to say.
        const bool reverted = std::string(c.textAfter) != c.typed;
        const std::string& note = dlg.alarmRevertNote(AlarmField::High);
        EXPECT_EQ(note.empty(), !reverted) << c.typed;
        if (reverted) {
            EXPECT_NE(note.find(std::string("\"") + c.typed + "\""), std::string::npos) << note;
            EXPECT_NE(note.find("whole numbers"), std::string::npos) << note;
            EXPECT_TRUE(dlg.alarmRevertNote(AlarmField::Low).empty());
            ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::High, "9"));
            EXPECT_TRUE(dlg.alarmRevertNote(AlarmField::High).empty());
        }
    }
}

TEST(SettingsDialogAlarm, RevertedTextIsRangeCheckedAgain) {
    // A stored limit outside the range shows as it is; a rejected edit brings it back, and
    // then the range rule applies to it.
    SettingsDialogModel dlg(710);
    ASSERT_FALSE(dlg.open(loadedFrom("[K52R_DATASET]\nHIGHALARM=50\n", 710)));
    EXPECT_EQ(dlg.highAlarmText(), "50");
    EXPECT_EQ(dlg.onAlarmEdited(AlarmField::High, "x"), rangeMessage("30", "V"));
    EXPECT_EQ(dlg.highAlarmText(), "25");
    EXPECT_EQ(dlg.settings().alarmHigh, 25.0f);
}

TEST(SettingsDialogAlarm, EditClearsTheStatusLine) {
    SettingsDialogModel dlg = openedDialog(710);
    dlg.onUploadStarted();
    dlg.onUploadFinished(UploadOutcome{UploadResult::ConnectionFault, false, {}});
    EXPECT_EQ(dlg.statusText(), "Connecting fault. Ensure logger inserted and try again.");
    dlg.onAlarmEdited(AlarmField::Low, "1");
    EXPECT_EQ(dlg.statusText(), "");
}

TEST(SettingsDialogUnit, SwitchingUnitRewritesBothTexts) {
    SettingsDialogModel dlg = openedDialog(86);
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::High, "20"));
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::Low, "5"));
    dlg.onUnitChanged(3);
    EXPECT_EQ(dlg.highAlarmText(), "72");
    EXPECT_EQ(dlg.lowAlarmText(), "18");
    EXPECT_EQ(dlg.unitSelection(), 3);
    // The limits themselves stay in the base unit.
    EXPECT_EQ(dlg.settings().alarmHigh, 20.0f);
    EXPECT_EQ(dlg.settings().alarmLow, 5.0f);
    dlg.onUnitChanged(1);
    EXPECT_EQ(dlg.highAlarmText(), "3937");
    dlg.onUnitChanged(0);
    EXPECT_EQ(dlg.highAlarmText(), "20");
    // Indices outside the list are ignored.
    dlg.onUnitChanged(5);
    EXPECT_EQ(dlg.unitSelection(), 0);
}

TEST(SettingsDialogUnit, LimitTypedInAnotherUnitSurvivesSaveAndLoad) {
    SettingsDialogModel dlg = openedDialog(86);
    dlg.onUnitChanged(1);
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::Low, "100"));
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::High, "5000"));
    const auto result = dlg.onSetup(textsOf(dlg));
    ASSERT_TRUE(std::holds_alternative<LoggerSettings>(result));
    IniStore ini;
    std::get<LoggerSettings>(result).save(ini);

    SettingsDialogModel again(86);
    LoggerSettings loaded;
    loaded.load(ini, 86);
    ASSERT_FALSE(again.open(loaded));
    EXPECT_EQ(again.lowAlarmText(), "100");
    EXPECT_EQ(again.highAlarmText(), "5000");
    EXPECT_GT(again.settings().alarmLow, 0.5f);
}

TEST(SettingsDialogControls, RadiosCheckBoxAndName) {
    SettingsDialogModel dlg = openedDialog(710);
    dlg.onStartModeClicked(kStartManual);
    EXPECT_EQ(dlg.checkedStartMode(), 1);
    dlg.onStartModeClicked(kStartCalibration);
    EXPECT_EQ(dlg.checkedStartMode(), 4);
    dlg.onStartModeClicked(3); // no such radio
    EXPECT_EQ(dlg.checkedStartMode(), 4);
    dlg.onFlashCycleClicked(2);
    EXPECT_EQ(dlg.checkedFlashCycle(), 2);
    dlg.onFlashCycleClicked(3);
    EXPECT_EQ(dlg.checkedFlashCycle(), 2);
    dlg.onAlarmFlashToggled(true);
    EXPECT_TRUE(dlg.alarmFlashChecked());

    NameEditResult r = dlg.onLoggerNameEdited("Greenhouse 2");
    EXPECT_FALSE(r.message.has_value());
    EXPECT_FALSE(r.keepFocus);
    EXPECT_EQ(dlg.loggerNameText(), "Greenhouse 2");

    r = dlg.onLoggerNameEdited("ABCDEFGHIJKLMNOP");
    ASSERT_TRUE(r.message.has_value());
    EXPECT_EQ(*r.message, (DialogMessage{"Please enter no more than 15 characters.", "Quillmark",
                                         MessageIcon::Exclamation}));
    EXPECT_TRUE(r.keepFocus);
    EXPECT_EQ(dlg.loggerNameText(), "Greenhouse 2");
    EXPECT_FALSE(dlg.onLoggerNameEdited("ABCDEFGHIJKLMNO").message.has_value());
}

TEST(SettingsDialogDefault, SetsTheDefaultValues) {
    SettingsDialogModel dlg(86);
    ASSERT_FALSE(dlg.open(loadedFrom("[K52R_DATASET]\nMODEL=1\nSAMPLEPOINTS=7\nSAMPLERATE=9\n"
                                     "FLASHCYCLE=2\nALARMFLASH=0\nUNITSEL=3\n"
                                     "LOWALARM=1\nHIGHALARM=2\nLOGGERNAME=X\n",
                                     86)));
    dlg.onDefault();
    EXPECT_EQ(dlg.rateSelection(), 1);
    EXPECT_EQ(dlg.pointsSelection(), 0);
    EXPECT_EQ(dlg.checkedFlashCycle(), 0);
    EXPECT_EQ(dlg.loggerNameText(), "LoggerName");
    EXPECT_EQ(dlg.checkedStartMode(), 2);
    EXPECT_TRUE(dlg.alarmFlashChecked());
    EXPECT_EQ(dlg.unitSelection(), 0);
    EXPECT_EQ(dlg.lowAlarmText(), "0");
    EXPECT_EQ(dlg.highAlarmText(), "20");
    EXPECT_EQ(dlg.recordingTime(), " 4_Minutes, 10_Seconds");
    EXPECT_EQ(dlg.settings(), LoggerSettings::defaults());
}

TEST(SettingsDialogSetup, DefaultThenSetupStoresTheListedKeys) {
    SettingsDialogModel dlg(710);
    ASSERT_FALSE(dlg.open(loadedFrom("[K52R_DATASET]\nSAMPLEPOINTS=5\nHIGHALARM=3\n", 710)));
    dlg.onDefault();
    const auto result = dlg.onSetup(textsOf(dlg));
    ASSERT_TRUE(std::holds_alternative<LoggerSettings>(result));
    dlg.onUploadStarted();
    EXPECT_FALSE(dlg.setupEnabled());
    const auto message = dlg.onUploadFinished(UploadOutcome{});
    EXPECT_EQ(message,
              (DialogMessage{"Datalogger is running...", "Status Information", MessageIcon::None}));
    IniStore ini;
    std::get<LoggerSettings>(result).save(ini);
    EXPECT_EQ(ini.toString(), "[K52R_DATASET]\n"
                              "MODEL=2\n"
                              "LOGGERNAME=LoggerName\n"
                              "SAMPLEPOINTS=0\n"
                              "SAMPLERATE=1\n"
                              "FLASHCYCLE=0\n"
                              "ALARMFLASH=1\n"
                              "LOWALARM=0.000000\n"
                              "HIGHALARM=20.000000\n"
                              "UNITSEL=0\n");
}

TEST(SettingsDialogSetup, ChecksInOrder) {
    struct Case {
        const char* low;
        const char* high;
        const char* name;
        const char* refusal; // nullptr: accepted
    };
    const Case cases[] = {
        {"20", "20", "LoggerName", nullptr},
        {"21", "20", "LoggerName", "High Alarm must be larger than Low Alarm!\nPlease retry!"},
        {"", "20", "LoggerName", "Any settings can't be empty!\nPlease retry!"},
        {"0", "", "LoggerName", "Any settings can't be empty!\nPlease retry!"},
        {"0", "20", "", "Any settings can't be empty!\nPlease retry!"},
        // Empty text comes before the order of the limits, which comes before the name.
        {"", "", "", "Any settings can't be empty!\nPlease retry!"},
        {"21", "20", "", "High Alarm must be larger than Low Alarm!\nPlease retry!"},
        {"-", "20", "N", nullptr},
        // Uncommitted text goes through the edit rules first.
        {"31", "20", "N", "Please input between 0 and 30 V"},
        {"0", "20", "ABCDEFGHIJKLMNOP", "Please enter no more than 15 characters."},
    };
    for (const Case& c : cases) {
        SettingsDialogModel dlg = openedDialog(710);
        const auto result = dlg.onSetup(SetupTexts{c.low, c.high, c.name});
        if (c.refusal == nullptr) {
            ASSERT_TRUE(std::holds_alternative<LoggerSettings>(result)) << c.low << "/" << c.high;
            EXPECT_EQ(std::get<LoggerSettings>(result).loggerName, c.name);
        } else {
            ASSERT_TRUE(std::holds_alternative<DialogMessage>(result)) << c.low << "/" << c.high;
            const DialogMessage& m = std::get<DialogMessage>(result);
            EXPECT_EQ(m.text, c.refusal);
            EXPECT_EQ(m.caption, "Quillmark");
            EXPECT_EQ(m.icon, MessageIcon::Exclamation);
        }
    }
}

TEST(SettingsDialogSetup, RefusalLeavesTheRecord) {
    SettingsDialogModel dlg = openedDialog(710);
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::Low, "21"));
    ASSERT_FALSE(dlg.onAlarmEdited(AlarmField::High, "20"));
    const LoggerSettings before = dlg.settings();
    EXPECT_TRUE(std::holds_alternative<DialogMessage>(dlg.onSetup(textsOf(dlg))));
    EXPECT_EQ(dlg.settings(), before);
    EXPECT_TRUE(dlg.setupEnabled());
}

TEST(SettingsDialogUpload, OutcomesSetStatusAndMessages) {
    struct Case {
        UploadOutcome outcome;
        std::int32_t startMode;
        const char* status;
        std::optional<DialogMessage> message;
        bool setupEnabled;
    };
    const DialogMessage writeFault{"Failed writing data to the datalogger.", "Quillmark",
                                   MessageIcon::None};
    const Case cases[] = {
        {{UploadResult::ConnectionFault, false, {}},
         2,
         "Connecting fault. Ensure logger inserted and try again.",
         std::nullopt,
         true},
        // The second open failing: the write fault's status line without its message box.
        {{UploadResult::WriteFault, false, {}},
         2,
         "Failed writing data to the datalogger.",
         std::nullopt,
         true},
        {{UploadResult::WriteFault, true, {}},
         2,
         "Failed writing data to the datalogger.",
         writeFault,
         true},
        {{},
         1,
         "",
         DialogMessage{"To start logging, you must press the button once in housing of "
                       "datalogger.",
                       "Status Information", MessageIcon::None},
         false},
        {{},
         2,
         "",
         DialogMessage{"Datalogger is running...", "Status Information", MessageIcon::None},
         false},
        {{}, 4, "", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SettingsDialogModel dlg = openedDialog(710);
        dlg.onStartModeClicked(c.startMode);
        dlg.onUploadStarted();
        EXPECT_FALSE(dlg.setupEnabled());
        EXPECT_EQ(dlg.onUploadFinished(c.outcome), c.message) << c.status;
        EXPECT_EQ(dlg.statusText(), c.status);
        EXPECT_EQ(dlg.setupEnabled(), c.setupEnabled);
    }
}

TEST(SettingsDialogSetup, AcceptedRecordBuildsTheBlock) {
    SettingsDialogModel dlg = openedDialog(710);
    dlg.onDefault();
    dlg.onPointsChanged(3);
    dlg.onRateChanged(8);
    const auto result = dlg.onSetup(textsOf(dlg));
    ASSERT_TRUE(std::holds_alternative<LoggerSettings>(result));
    const HeaderBlock b = buildSettingsBlock(std::get<LoggerSettings>(result), nullptr);
    EXPECT_EQ(b[block::kLedControl], 0xCA);
    EXPECT_EQ(b[block::kModeFlags], 2);
    EXPECT_EQ(b[block::kSamplePoints], 0xE8);
    EXPECT_EQ(b[block::kSamplePoints + 1], 0x03);
}

} // namespace
} // namespace quillmark
