#pragma once
// Local-time text for sample time stamps. Breaking a time into local calendar fields
// costs hundreds of nanoseconds, so LocalTimeCache reuses one broken-down hour while the
// UTC offset cannot change inside it; that keeps million-line exports fast and exact
// across daylight-saving changes.
#include <cstdint>
#include <string>

namespace quillmark {

struct LocalFields {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = -1;
    int minute = -1;
    int second = -1;
    long utcOffset = 0; // seconds east of UTC
    bool valid = false;
};

// Local calendar fields of t (one localtime_r call); invalid when it cannot be broken down,
// also when its year does not fit an int.
LocalFields breakDownLocal(std::int64_t t);

// start + seconds truncated toward zero. Beyond any calendar (or not a number) it saturates
// at the int64 limits, which break down as invalid, instead of overflowing.
std::int64_t offsetTime(std::int64_t start, double seconds);

class LocalTimeCache {
public:
    LocalFields fields(std::int64_t t);

private:
    std::int64_t hourStart_ = 0; // first second of the cached hour
    LocalFields hourFields_;     // fields at hourStart_ (minute and second 0)
    bool cached_ = false;
};

// Appends "%.2d-%.2d-%d,%.2d:%.2d:%.2d" of the fields (day, month, year, hour, minute, second);
// invalid fields print as a 0 date and -1 time, as the C library would.
void appendDayMonthYearTime(std::string& out, const LocalFields& f);
// Appends "%.2d:%.2d:%.2d" (hour, minute, second); invalid fields print as -1 each.
void appendClock(std::string& out, const LocalFields& f);
// Appends "%.2d-%.2d-%d" (day, month, year); invalid fields print as a 0 date.
void appendDate(std::string& out, const LocalFields& f);
// The same two texts of the local time t (the plot's axis labels and readouts).
std::string clockText(std::int64_t t);
std::string dateText(std::int64_t t);
// Appends ".dddd": "%.4f" of the fraction without its leading digit.
void appendFraction4(std::string& out, float fraction);
// Appends "YYYY-MM-DDTHH:MM:SS" (ISO 8601 local time without offset).
void appendIsoLocal(std::string& out, const LocalFields& f);
// Appends "+HH:MM" / "-HH:MM".
void appendIsoOffset(std::string& out, long utcOffset);

// Fixed-notation number text with a full stop whatever the C locale says ("%.Nf").
void appendFixed(std::string& out, double value, int decimals);
std::string formatFixed(double value, int decimals);
void appendInt(std::string& out, std::int64_t value);
// The shortest text that reads back as the same finite value, whatever the locale; a float
// thus shows the figure that was entered.
void appendShortest(std::string& out, double value);
void appendShortest(std::string& out, float value);

} // namespace quillmark
