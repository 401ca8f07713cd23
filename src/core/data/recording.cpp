#include "core/data/recording.h"

#include <algorithm>

#include "core/common/byte_order.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"

namespace quillmark {

std::int32_t Recording::recordedPoints() const {
    return getI32LE(&header[block::kRecordedPoints]);
}
std::uint32_t Recording::intervalSeconds() const {
    return getU32LE(&header[block::kIntervalSeconds]);
}
std::int32_t Recording::startYear() const {
    return getI32LE(&header[block::kStartYear]);
}
float Recording::alarmLow() const {
    return getF32LE(&header[block::kAlarmLow]);
}
float Recording::alarmHigh() const {
    return getF32LE(&header[block::kAlarmHigh]);
}
std::uint8_t Recording::startMonth() const {
    return header[block::kStartMonth];
}
std::uint8_t Recording::startDay() const {
    return header[block::kStartDay];
}
std::uint8_t Recording::startHour() const {
    return header[block::kStartHour];
}
std::uint8_t Recording::startMinute() const {
    return header[block::kStartMinute];
}
std::uint8_t Recording::startSecond() const {
    return header[block::kStartSecond];
}
std::uint8_t Recording::modeFlags() const {
    return header[block::kModeFlags];
}
bool Recording::fastSampling() const {
    return (modeFlags() & 0xF0) == block::kFastSamplingFlag;
}

float Recording::effectiveInterval() const {
    return fastSampling() ? kFastInterval : static_cast<float>(intervalSeconds());
}

std::string Recording::intervalText() const {
    std::string s;
    if (fastSampling())
        appendFixed(s, static_cast<double>(kFastInterval), 4);
    else // "%d": an interval above the signed range reads negative, as the format prints it
        appendInt(s, static_cast<std::int32_t>(intervalSeconds()));
    return s;
}

Recording newDocumentRecording(std::time_t now) {
    Recording rec;
    putU32LE(&rec.header[block::kIntervalSeconds], 2);
    std::tm tm{};
    if (localtime_r(&now, &tm) != nullptr) {
        putI32LE(&rec.header[block::kStartYear], tm.tm_year + 1900);
        rec.header[block::kStartMonth] = static_cast<std::uint8_t>(tm.tm_mon + 1);
        rec.header[block::kStartDay] = static_cast<std::uint8_t>(tm.tm_mday);
        rec.header[block::kStartHour] = static_cast<std::uint8_t>(tm.tm_hour);
        rec.header[block::kStartMinute] = static_cast<std::uint8_t>(tm.tm_min);
        rec.header[block::kStartSecond] = static_cast<std::uint8_t>(tm.tm_sec);
    } else {
        rec.header[block::kStartHour] = 255;
        rec.header[block::kStartMinute] = 255;
        rec.header[block::kStartSecond] = 255;
    }
    return rec;
}

void computeStatistics(Recording& rec) {
    std::int32_t runningMax = 0;
    std::int32_t runningMin = 10000000;
    const auto n = static_cast<std::int32_t>(presentSampleCount(rec));
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t v = rec.samples[i];
        if (v >= runningMax) {
            runningMax = v;
            rec.maxIndex = i;
        }
        if (v <= runningMin) {
            runningMin = v;
            rec.minIndex = i;
        }
        if (v > kOverRangeThresholdRaw)
            rec.samples[i] = kOverRangeRaw;
    }
    if (n < 1) {
        rec.average = 0.0;
        return;
    }
    double sum = 0.0;
    for (std::int32_t i = 0; i < n; ++i)
        sum += rec.samples[i] / 1000.0;
    rec.average = sum / rec.sampleCount;
}

std::int64_t presentSampleCount(const Recording& rec) {
    return std::clamp<std::int64_t>(rec.sampleCount, 0,
                                    static_cast<std::int64_t>(rec.samples.size()));
}

std::array<DisplayUnit, kDisplayUnitCount> displayUnits(std::int32_t model) {
    std::array<DisplayUnit, kDisplayUnitCount> table{};
    for (int row = 0; row < kDisplayUnitCount; ++row)
        table[static_cast<std::size_t>(row)] = displayUnit(model, row);
    return table;
}

DisplayUnit displayUnit(std::int32_t model, std::int32_t unitIndex) {
    return {unitName(model, unitIndex), unitFactor(unitIndex)};
}

void appendConvertedValueText(std::string& out, double converted) {
    if (isOverRange(converted))
        out += "OL";
    else
        appendFixed(out, converted, 2);
}

std::string convertedValueText(double converted) {
    std::string s;
    appendConvertedValueText(s, converted);
    return s;
}

void appendSampleValueText(std::string& out, std::uint16_t raw, double factor) {
    if (isOverRangeSample(raw))
        out += "OL";
    else
        appendFixed(out, convertedValue(raw, factor), 2);
}

namespace {
constexpr int kLastYear = 9999;
} // namespace

std::optional<std::int64_t> startTime(const Recording& rec) {
    const std::int32_t year = rec.startYear();
    const int month = rec.startMonth(), day = rec.startDay(), hour = rec.startHour(),
              minute = rec.startMinute(), second = rec.startSecond();
    // Years of four digits at most, so that every time written is one an ISO 8601 reader takes.
    if (year < 1 || year > kLastYear || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1; // the platform decides daylight saving
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) {
        // -1 is also one valid second; tell the two apart by breaking it down again.
        std::tm back{};
        const std::time_t minusOne = -1;
        if (localtime_r(&minusOne, &back) == nullptr || back.tm_year != year - 1900 ||
            back.tm_mon != month - 1 || back.tm_mday != day)
            return std::nullopt;
    }
    // A start whose samples run past those years cannot be built either: every time of the
    // recording, up to its last sample's, must break down into such a year.
    const auto inCalendar = [](std::int64_t time) {
        const LocalFields f = breakDownLocal(time);
        return f.valid && f.year >= 1 && f.year <= kLastYear;
    };
    if (!inCalendar(t))
        return std::nullopt;
    const std::int64_t n = presentSampleCount(rec);
    if (n > 0) {
        const double lastIndex = static_cast<double>(rec.fastSampling() ? n : n - 1);
        const double span = static_cast<double>(rec.effectiveInterval()) * lastIndex;
        if (!inCalendar(offsetTime(t, span)))
            return std::nullopt;
    }
    return static_cast<std::int64_t>(t);
}

std::string formatLocalTime(std::int64_t t) {
    std::string s;
    appendDayMonthYearTime(s, breakDownLocal(t));
    return s;
}

std::string sampleTime(const Recording& rec, std::int64_t start, std::int64_t i) {
    std::string s;
    SampleClock(rec, start).appendSampleTime(s, i);
    return s;
}

std::string extremeTime(const Recording& rec, std::int64_t start, std::int64_t index) {
    const double delta = rec.effectiveInterval();
    return formatLocalTime(offsetTime(start, delta * static_cast<double>(index)));
}

} // namespace quillmark
