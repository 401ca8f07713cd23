#include "core/analysis/measurement_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/common/byte_order.h"
#include "core/data/test_support.h"

namespace quillmark {
namespace {

class MeasurementText : public ::testing::Test {
protected:
    // Start times are local: keep them in UTC whatever the machine says.
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", savedTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string savedTz_;
    bool hadTz_ = false;
};

Recording fourSamples() {
    Recording rec =
        test_support::makeRecording({1000, 45000, 9000, 3000}, {2026, 5, 4, 10, 0, 0}, 2, false);
    putF32LE(&rec.header[block::kAlarmLow], 2.5f);
    putF32LE(&rec.header[block::kAlarmHigh], 8.0f);
    return rec;
}

TEST_F(MeasurementText, LinesNameSamplesTimesAndUnits) {
    const Recording rec = fourSamples();
    const DisplayUnit unit{"V", 1.0};
    const auto lines = measurementLines(rec, RangeAnalysis(rec).statistics(0, 3, 1.0), unit);
    EXPECT_EQ(measurementText(lines),
              "Range:       0 .. 3 (4 samples)\n"
              "Start:       2026-05-04T10:00:00+00:00\n"
              "End:         2026-05-04T10:00:06+00:00\n"
              "Duration:    6 s\n"
              "Unit:        V\n"
              "Min:         1.0000 V at sample 0, 2026-05-04T10:00:00+00:00\n"
              "Max:         9.0000 V at sample 2, 2026-05-04T10:00:04+00:00\n"
              "Mean:        4.3333 V\n"
              "StdDev:      3.3993 V\n"
              "OverRange:   1 sample\n"
              "AlarmHigh:   above 8 V: 2 samples, 4 s, 1 excursion, longest 2 samples\n"
              "AlarmLow:    below 2.5 V: 1 sample, 2 s, 1 excursion, longest 1 sample\n");
}

TEST_F(MeasurementText, NoValidSampleOrNoDateOrNoSamples) {
    Recording rec = fourSamples();
    rec.header[block::kStartMonth] = 13; // not a date
    const DisplayUnit unit{"V", 1.0};
    const auto lines = measurementLines(rec, RangeAnalysis(rec).statistics(1, 1, 1.0), unit);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[1].value, "invalid");
    EXPECT_EQ(lines[5].value, "--");
    EXPECT_EQ(lines[7].value, "--");
    EXPECT_TRUE(measurementLines(rec, RangeAnalysis(rec).statistics(5, 9, 1.0), unit).empty());
}

} // namespace
} // namespace quillmark
