#pragma once
// Helpers shared by the tests: recordings with a known header, and a scoped time zone.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/common/byte_order.h"
#include "core/data/recording.h"

namespace quillmark::test_support {

struct StartFields {
    int year, month, day, hour, minute, second;
};

inline Recording makeRecording(std::vector<std::uint16_t> samples, StartFields start,
                               std::uint32_t intervalSeconds = 1, bool fast = false) {
    Recording rec;
    putU32LE(&rec.header[block::kIntervalSeconds], fast ? 0 : intervalSeconds);
    putI32LE(&rec.header[block::kStartYear], start.year);
    rec.header[block::kStartMonth] = static_cast<std::uint8_t>(start.month);
    rec.header[block::kStartDay] = static_cast<std::uint8_t>(start.day);
    rec.header[block::kStartHour] = static_cast<std::uint8_t>(start.hour);
    rec.header[block::kStartMinute] = static_cast<std::uint8_t>(start.minute);
    rec.header[block::kStartSecond] = static_cast<std::uint8_t>(start.second);
    rec.header[block::kModeFlags] = fast ? 0x12 : 0x02;
    rec.samples = std::move(samples);
    rec.sampleCount = static_cast<std::int32_t>(rec.samples.size());
    return rec;
}

// A whole-second recording of the given raw samples with its statistics, started at a fixed
// local time (the new document's header).
inline Recording makeRecording(const std::vector<std::uint16_t>& raw) {
    Recording rec = newDocumentRecording(std::time_t{1796620503});
    rec.samples = raw;
    rec.sampleCount = static_cast<std::int32_t>(raw.size());
    computeStatistics(rec);
    return rec;
}

// Sets TZ for the lifetime of the object and restores the previous value.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) {
            had_ = true;
            old_ = old;
        }
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

} // namespace quillmark::test_support
