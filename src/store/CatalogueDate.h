// Catalogue dates: a double counting days since 30 December 1899 in local time, the fraction
// being the time of day (whole seconds). Conversions to and from the system's clock.
#pragma once

#include <ctime>
#include <string>

namespace karvio {

struct LocalDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

// The catalogue date of calendar fields taken as local time. Fields out of range (month 13,
// minute 75) carry over as the calendar does.
double DateFromFields(const LocalDateTime& fields);

// The calendar fields of a catalogue date, rounded to the second.
LocalDateTime FieldsFromDate(double date);

// The catalogue date of an instant, in the local time zone.
double DateFromTimeT(std::time_t t);

// The instant of a catalogue date read as local time.
std::time_t TimeTFromDate(double date);

// The current local date and time, whole seconds.
double DateNow();

// "2024-03-01T14:05:09": the local date and time of a catalogue date, ISO 8601 without zone.
std::string DateToIso(double date);

}  // namespace karvio
