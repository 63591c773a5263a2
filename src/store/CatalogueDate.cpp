#include "CatalogueDate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace karvio {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The same in 32-bit unsigned steps where they cannot go below zero, which is the cheaper
// arithmetic; `z` is within the clamped dates' range, far inside 32 bits.
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    const auto days = static_cast<int32_t>(z + 719468);
    const int32_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<uint32_t>(days - era * 146097);
    const uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const uint32_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe) + era * 400 + (m <= 2);
}

const int64_t kEpochOffsetDays = DaysFromCivil(1899, 12, 30);

// A catalogue date that the arithmetic below can take: finite, and within about +/- 100,000
// years (a damaged record may hold anything).
double ClampedDate(double date) {
    if (!std::isfinite(date)) return 0;
    return std::clamp(date, -4.0e7, 4.0e7);
}

// std::llround of `x` >= 0 (halves away from zero), without the library call: `x` minus its
// integer part is exact.
int64_t RoundNonNegative(double x) {
    const auto whole = static_cast<int64_t>(x);
    return x - static_cast<double>(whole) >= 0.5 ? whole + 1 : whole;
}

// Seconds since 1899-12-30 00:00 of a clamped catalogue date. Before the epoch the integer part
// counts days backwards while the fraction still counts the time of day forwards (-1.25 is
// 1899-12-29 06:00).
int64_t SecondsFromClampedDate(double date, int64_t whole) {
    const double fraction = std::fabs(date - static_cast<double>(whole));
    return whole * 86400 + RoundNonNegative(fraction * kSecondsPerDay);
}

}  // namespace

double DateFromFields(const LocalDateTime& f) {
    // Normalise months first so that DaysFromCivil sees 1..12.
    int64_t year = f.year;
    int64_t month = f.month - 1;
    year += month >= 0 ? month / 12 : (month - 11) / 12;
    month = ((month % 12) + 12) % 12 + 1;
    const int64_t days = DaysFromCivil(year, month, 1) + (f.day - 1) - kEpochOffsetDays;
    const int64_t seconds =
        static_cast<int64_t>(f.hour) * 3600 + static_cast<int64_t>(f.minute) * 60 + f.second;
    const int64_t total = days * 86400 + seconds;
    // Back to the day/fraction form, with the fraction always the time of day.
    int64_t day = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    const int64_t secOfDay = total - day * 86400;
    if (day < 0 && secOfDay > 0) {
        // -1 day + 6 h is written -1.25 (the integer part is the day, the fraction the time).
        return static_cast<double>(day) - static_cast<double>(secOfDay) / kSecondsPerDay;
    }
    return static_cast<double>(day) + static_cast<double>(secOfDay) / kSecondsPerDay;
}

LocalDateTime FieldsFromDate(double date) {
    date = ClampedDate(date);
    const auto whole = static_cast<int64_t>(date);  // toward zero, as the day is counted
    const int64_t seconds = SecondsFromClampedDate(date, whole);
    // The day is the integer part; the time of day is what is left over.
    int64_t day = whole;
    int64_t secOfDay = std::llabs(seconds - whole * 86400);
    if (secOfDay >= 86400) {
        day += 1;
        secOfDay -= 86400;
    }
    LocalDateTime f;
    CivilFromDays(day + kEpochOffsetDays, f.year, f.month, f.day);
    const auto second = static_cast<uint32_t>(secOfDay);
    f.hour = static_cast<int>(second / 3600);
    f.minute = static_cast<int>(second / 60 % 60);
    f.second = static_cast<int>(second % 60);
    return f;
}

double DateFromTimeT(std::time_t t) {
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0.0;
    return DateFromFields({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                           tm.tm_sec});
}

std::time_t TimeTFromDate(double date) {
    const LocalDateTime f = FieldsFromDate(date);
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

double DateNow() { return DateFromTimeT(std::time(nullptr)); }

std::string DateToIso(double date) {
    const LocalDateTime f = FieldsFromDate(date);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return text;
}

}  // namespace karvio
