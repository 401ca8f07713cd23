#include "core/data/time_stamp.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>

namespace quillmark {

LocalFields breakDownLocal(std::int64_t t) {
    LocalFields f;
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (static_cast<std::int64_t>(tt) != t || localtime_r(&tt, &tm) == nullptr)
        return f;
    const long long year = static_cast<long long>(tm.tm_year) + 1900;
    if (year > std::numeric_limits<int>::max())
        return f;
    f.year = static_cast<int>(year);
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    f.utcOffset = tm.tm_gmtoff;
    f.valid = true;
    return f;
}

std::int64_t offsetTime(std::int64_t start, double seconds) {
    // Far beyond any year an int can hold, and well inside the int64 range.
    constexpr double kLimit = 4.0e18;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (std::isnan(seconds) || seconds >= kLimit)
        return kMax;
    if (seconds <= -kLimit)
        return kMin;
    const auto whole = static_cast<std::int64_t>(seconds);
    std::int64_t out = 0;
    if (__builtin_add_overflow(start, whole, &out))
        return whole > 0 ? kMax : kMin;
    return out;
}

LocalFields LocalTimeCache::fields(std::int64_t t) {
    if (cached_ && t >= hourStart_ && t < hourStart_ + 3600) {
        LocalFields f = hourFields_;
        const auto into = static_cast<int>(t - hourStart_);
        f.minute = into / 60;
        f.second = into % 60;
        return f;
    }
    LocalFields f = breakDownLocal(t);
    cached_ = false;
    // Cache the hour only when it starts on a whole local hour and its first and last
    // second share one UTC offset: then no offset change (and no leap second) lies inside.
    if (f.valid && f.second < 60) {
        const std::int64_t start = t - f.minute * 60 - f.second;
        const LocalFields first = breakDownLocal(start);
        const LocalFields last = breakDownLocal(start + 3599);
        if (first.valid && last.valid && first.utcOffset == f.utcOffset &&
            last.utcOffset == f.utcOffset && first.minute == 0 && first.second == 0 &&
            last.minute == 59 && last.second == 59 && first.hour == f.hour) {
            hourStart_ = start;
            hourFields_ = first;
            cached_ = true;
        }
    }
    return f;
}

namespace {
void append2(std::string& out, int v) {
    // "%.2d": at least two digits, a minus sign before them.
    if (v < 0) {
        out.push_back('-');
        v = -v;
    }
    if (v < 100) {
        out.push_back(static_cast<char>('0' + v / 10));
        out.push_back(static_cast<char>('0' + v % 10));
    } else {
        appendInt(out, v);
    }
}

void append2After(std::string& out, char separator, int v) {
    out.push_back(separator);
    append2(out, v);
}

void appendTimeOfDay(std::string& out, const LocalFields& f) {
    append2(out, f.hour);
    append2After(out, ':', f.minute);
    append2After(out, ':', f.second);
}
} // namespace

void appendInt(std::string& out, std::int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

template <typename T> static void appendShortestOf(std::string& out, T value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void appendShortest(std::string& out, double value) {
    appendShortestOf(out, value);
}

void appendShortest(std::string& out, float value) {
    appendShortestOf(out, value);
}

void appendFixed(std::string& out, double value, int decimals) {
    char buf[400]; // enough for any finite double with a few decimals
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) {
        out.push_back('0');
        return;
    }
    out.append(buf, res.ptr);
}

std::string formatFixed(double value, int decimals) {
    std::string s;
    appendFixed(s, value, decimals);
    return s;
}

void appendClock(std::string& out, const LocalFields& f) {
    if (!f.valid) {
        out += "-01:-01:-01";
        return;
    }
    appendTimeOfDay(out, f);
}

void appendDate(std::string& out, const LocalFields& f) {
    if (!f.valid) {
        out += "00-00-0";
        return;
    }
    append2(out, f.day);
    append2After(out, '-', f.month);
    out.push_back('-');
    appendInt(out, f.year);
}

std::string clockText(std::int64_t t) {
    std::string s;
    appendClock(s, breakDownLocal(t));
    return s;
}

std::string dateText(std::int64_t t) {
    std::string s;
    appendDate(s, breakDownLocal(t));
    return s;
}

void appendDayMonthYearTime(std::string& out, const LocalFields& f) {
    appendDate(out, f);
    out.push_back(',');
    appendClock(out, f);
}

void appendFraction4(std::string& out, float fraction) {
    // "%.4f" of the fraction without its first character: "0.9975" -> ".9975",
    // "1.0000" -> ".0000". A float times 10000 is exact in double (24 + 14 bits), and
    // rounding to nearest-even matches the C library on the exact ties (e.g. 1/32).
    const double scaled = static_cast<double>(fraction) * 10000.0;
    if (!(scaled >= 0.0 && scaled < 100000.0)) {
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(fraction),
                                 std::chars_format::fixed, 4);
        out.append(buf + 1, res.ptr);
        return;
    }
    auto n = static_cast<long>(std::nearbyint(scaled));
    const long whole = n / 10000;
    n %= 10000;
    if (whole >= 10)
        out.push_back(static_cast<char>('0' + whole % 10)); // "%.4f" of 10 or more keeps digits
    char digits[5] = {'.', static_cast<char>('0' + n / 1000), static_cast<char>('0' + n / 100 % 10),
                      static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
    out.append(digits, 5);
}

void appendIsoLocal(std::string& out, const LocalFields& f) {
    for (int digits = 1000; digits > 1 && f.year >= 0 && f.year < digits; digits /= 10)
        out.push_back('0'); // ISO 8601 years have four digits
    appendInt(out, f.year);
    append2After(out, '-', f.month);
    append2After(out, '-', f.day);
    out.push_back('T');
    appendTimeOfDay(out, f);
}

void appendIsoOffset(std::string& out, long utcOffset) {
    out.push_back(utcOffset < 0 ? '-' : '+');
    const long a = utcOffset < 0 ? -utcOffset : utcOffset;
    append2(out, static_cast<int>(a / 3600));
    append2After(out, ':', static_cast<int>((a / 60) % 60));
}

} // namespace quillmark
