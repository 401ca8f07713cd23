#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

#include "core/data/recording_file.h"
#include "core/data/save_paths.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"
#include "temp_dir.h"
#include "test_support.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

std::string render(bool (*fn)(const Recording&, std::int32_t, std::int32_t, const TextSink&,
                              std::string*),
                   const Recording& rec, int unit, int model, bool* ok = nullptr) {
    std::string out;
    const TextSink sink = [&out](std::string_view chunk) {
        out.append(chunk);
        return true;
    };
    const bool result = fn(rec, unit, model, sink, nullptr);
    if (ok)
        *ok = result;
    return out;
}

Recording voltageRun() {
    // 07-12-2026 05:15:02, 1 s; the maximum is over range.
    auto rec = makeRecording({12340, 45000, 5000}, {2026, 12, 7, 5, 15, 2});
    computeStatistics(rec);
    return rec;
}

class TextFiles : public ::testing::Test {
protected:
    ScopedTimeZone tz_{"UTC"};
};

TEST_F(TextFiles, TextDataFileLinesAreExact) {
    const std::string text = render(renderTextDataFile, voltageRun(), 0, 710);
    const std::vector<std::string> want = {
        "TXT Data File",
        "StartTime: 07-12-2026,05:15:02",
        "Max: OL @ 07-12-2026,05:15:03  V",
        "Min: 5.00 @ 07-12-2026,05:15:04  V",
        "Average: 20.78",
        "SampleRate: 1 second",
        "",
        "1, 12.34, V, 07-12-2026,05:15:02",
        "2, OL, V, 07-12-2026,05:15:03",
        "3, 5.00, V, 07-12-2026,05:15:04",
    };
    EXPECT_EQ(splitCrLf(text), want);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "every line ends with CR LF";
}

TEST_F(TextFiles, TextDataFileFastSamplingAndAverageOverRange) {
    auto rec = makeRecording({40000, 40000}, {2026, 12, 7, 5, 15, 2}, 0, true);
    computeStatistics(rec);
    const auto lines = splitCrLf(render(renderTextDataFile, rec, 0, 711));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], "Max: OL @ 07-12-2026,05:15:02  mA");
    EXPECT_EQ(lines[4], "Average: OL");
    EXPECT_EQ(lines[5], "SampleRate: 0.0025 second");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "1, OL, mA, 07-12-2026,05:15:02.0000");
    EXPECT_EQ(lines[8], "2, OL, mA, 07-12-2026,05:15:02.0025");
}

TEST_F(TextFiles, SpreadsheetExportLinesAreExact) {
    const std::string text = render(renderSpreadsheetExport, voltageRun(), 0, 710);
    const std::vector<std::string> want = {
        "StartTime\t07-12-2026,05:15:02\t",
        "Max\tOL @ 07-12-2026,05:15:03  V\t",
        "Min\t5.00 @ 07-12-2026,05:15:04  V\t",
        "Average\t20.78\t",
        "SampleRate\t1 second\t",
        "ID\tValue\tUnit\tDateTime\t",
        "0\t12.34\tV\t07-12-2026,05:15:02\t",
        "1\tOL\tV\t07-12-2026,05:15:03\t",
        "2\t5.00\tV\t07-12-2026,05:15:04\t",
    };
    EXPECT_EQ(splitCrLf(text), want);
}

TEST_F(TextFiles, SpreadsheetExportOfTwoSamplesIsEightLinesInKnots) {
    auto rec = makeRecording({5000, 1000}, {2026, 12, 7, 5, 15, 2}, 2);
    computeStatistics(rec);
    const auto lines = splitCrLf(render(renderSpreadsheetExport, rec, 2, 86));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "Max\t9.72 @ 07-12-2026,05:15:02  knots\t");
    EXPECT_EQ(lines[3], "Average\t3.00\t") << "the average stays in the base unit";
    EXPECT_EQ(lines[4], "SampleRate\t2 second\t");
    EXPECT_EQ(lines[6], "0\t9.72\tknots\t07-12-2026,05:15:02\t");
    EXPECT_EQ(lines[7], "1\t1.94\tknots\t07-12-2026,05:15:04\t");
}

TEST_F(TextFiles, CsvExportHasIsoTimesWithOffsetAndOverRangeMark) {
    ScopedTimeZone berlin("Europe/Berlin");
    auto rec = makeRecording({1500, 40000}, {2026, 3, 29, 1, 59, 59});
    computeStatistics(rec);
    EXPECT_EQ(render(renderCsvExport, rec, 0, 710), "Index,Time,Value,Unit\r\n"
                                                    "0,2026-03-29T01:59:59+01:00,1.50,V\r\n"
                                                    "1,2026-03-29T03:00:00+02:00,OL,V\r\n");
    auto fast = makeRecording({1500, 1500}, {2026, 12, 7, 5, 15, 2}, 0, true);
    EXPECT_EQ(render(renderCsvExport, fast, 0, 86),
              "Index,Time,Value,Unit\r\n"
              "0,2026-12-07T05:15:02.0000+01:00,1.50,m/s\r\n"
              "1,2026-12-07T05:15:02.0025+01:00,1.50,m/s\r\n");
}

TEST_F(TextFiles, OverRangeFollowsTheRawSampleInEveryUnitAndFormat) {
    // Air speed in ft/min: ordinary samples convert to large numbers and stay numbers; only
    // the over-range sample is "OL", in the statistics lines as well.
    auto rec = makeRecording({10000, 40000, 2000}, {2026, 12, 7, 5, 15, 2});
    computeStatistics(rec);
    const auto txt = splitCrLf(render(renderTextDataFile, rec, 1, 86));
    ASSERT_EQ(txt.size(), 10u);
    EXPECT_EQ(txt[2], "Max: OL @ 07-12-2026,05:15:03  ft/min");
    EXPECT_EQ(txt[3], "Min: 393.74 @ 07-12-2026,05:15:04  ft/min");
    EXPECT_EQ(txt[4], "Average: 19.00") << "the average stays in the base unit";
    EXPECT_EQ(txt[7], "1, 1968.70, ft/min, 07-12-2026,05:15:02");
    EXPECT_EQ(txt[8], "2, OL, ft/min, 07-12-2026,05:15:03");
    const auto xls = splitCrLf(render(renderSpreadsheetExport, rec, 3, 86));
    EXPECT_EQ(xls[2], "Min\t7.20 @ 07-12-2026,05:15:04  km/h\t");
    EXPECT_EQ(xls[6], "0\t36.00\tkm/h\t07-12-2026,05:15:02\t");
    EXPECT_EQ(xls[7], "1\tOL\tkm/h\t07-12-2026,05:15:03\t");
    EXPECT_EQ(render(renderCsvExport, rec, 1, 86), "Index,Time,Value,Unit\r\n"
                                                   "0,2026-12-07T05:15:02+00:00,1968.70,ft/min\r\n"
                                                   "1,2026-12-07T05:15:03+00:00,OL,ft/min\r\n"
                                                   "2,2026-12-07T05:15:04+00:00,393.74,ft/min\r\n");
    // ISO 8601 years have four digits; the day-month-year texts print the year as it is.
    const auto early = makeRecording({1000}, {12, 3, 4, 5, 6, 7});
    EXPECT_EQ(render(renderCsvExport, early, 0, 710),
              "Index,Time,Value,Unit\r\n0,0012-03-04T05:06:07+00:00,1.00,V\r\n");
    EXPECT_EQ(splitCrLf(render(renderTextDataFile, early, 0, 710))[1],
              "StartTime: 04-03-12,05:06:07");
}

TEST_F(TextFiles, LargeRecordingsUseTheValueTableWithTheSameText) {
    // Over 20000 samples the values come from a precomputed table; it must match the
    // direct formatting for every raw value in every unit.
    std::vector<std::uint16_t> all(65536);
    for (std::uint32_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint16_t>(i);
    for (int unit = 0; unit < kDisplayUnitCount; ++unit) {
        const auto u = displayUnit(86, unit);
        const ValueTexts table(u.factor, true), direct(u.factor, false);
        std::string a, b;
        for (auto raw : all) {
            table.append(a, raw);
            a.push_back('|');
            direct.append(b, raw);
            b.push_back('|');
        }
        EXPECT_EQ(a, b) << u.name;
    }
}

TEST_F(TextFiles, InvalidStartTimeFailsAndKeepsTheEarlierFile) {
    TempDir dir;
    auto rec = makeRecording({1, 2}, {0, 0, 0, 255, 255, 255});
    const std::string path = dir.file("run.txt");
    writeAll(path, "earlier");
    std::string error;
    EXPECT_FALSE(writeTextDataFile(path, rec, 0, 710, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeSpreadsheetExport(path, rec, 0, 710, &error));
    EXPECT_FALSE(writeCsvExport(path, rec, 0, 710, &error));
    EXPECT_EQ(readAll(path), "earlier");
}

TEST_F(TextFiles, WritersProduceExactlyTheRenderedBytes) {
    TempDir dir;
    const auto rec = voltageRun();
    ASSERT_TRUE(writeTextDataFile(dir.file("a.txt"), rec, 0, 710));
    ASSERT_TRUE(writeSpreadsheetExport(dir.file("a.xls"), rec, 0, 710));
    ASSERT_TRUE(writeCsvExport(dir.file("a.csv"), rec, 0, 710));
    EXPECT_EQ(readAll(dir.file("a.txt")), render(renderTextDataFile, rec, 0, 710));
    EXPECT_EQ(readAll(dir.file("a.xls")), render(renderSpreadsheetExport, rec, 0, 710));
    EXPECT_EQ(readAll(dir.file("a.csv")), render(renderCsvExport, rec, 0, 710));
}

TEST_F(TextFiles, NumbersKeepAFullStopUnderACommaLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not generated (scripts/install-deps.sh makes it)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    const std::string text = render(renderTextDataFile, voltageRun(), 0, 710);
    const std::string xls = render(renderSpreadsheetExport, voltageRun(), 0, 710);
    const std::string csv = render(renderCsvExport, voltageRun(), 0, 710);
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_STREQ(probe, "1,50") << "the locale must really use a decimal comma";
    EXPECT_NE(text.find("Average: 20.78\r\n"), std::string::npos);
    EXPECT_NE(text.find("1, 12.34, V"), std::string::npos);
    EXPECT_NE(xls.find("0\t12.34\tV"), std::string::npos);
    EXPECT_NE(csv.find(",12.34,V"), std::string::npos);
}

TEST(SavePaths, RecordingAndTextNamesFromTheChosenName) {
    const struct {
        const char* chosen;
        const char* recording;
        const char* text;
    } cases[] = {
        {"/data/run.txt", "/data/run.smpq", "/data/run.txt"},
        {"/data/run.smpq", "/data/run.smpq", "/data/run.txt"},
        {"/data/run.SMPQ", "/data/run.smpq", "/data/run.txt"},
        {"/data/run", "/data/run.smpq", "/data/run.txt"},
        {"/data/a.b/run", "/data/a.b/run.smpq", "/data/a.b/run.txt"},
        {"/data/2026-12-7 5-15.txt", "/data/2026-12-7 5-15.smpq", "/data/2026-12-7 5-15.txt"},
        {"/data/run.dat", "/data/run.smpq", "/data/run.dat"},
        {"/data/.hidden", "/data/.hidden.smpq", "/data/.hidden.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const auto p = documentSavePaths(c.chosen);
        EXPECT_EQ(p.recordingPath, c.recording);
        EXPECT_EQ(p.textPath, c.text);
        EXPECT_NE(p.recordingPath, p.textPath);
    }
}

TEST(SavePaths, SuggestedNameHasNoLeadingZeros) {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 0;
    tm.tm_mday = 5;
    tm.tm_hour = 7;
    tm.tm_min = 3;
    EXPECT_EQ(suggestedFileName(tm), "2026-1-5 7-3");
}

} // namespace
