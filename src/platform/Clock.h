// The current time and its local calendar form (TZ honoured).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace kq {

// Seconds since 1970-01-01 00:00:00 UTC.
int64_t CurrentTime();
// Processor time the calling thread has used, in microseconds: a budget in
// it is not used up while a busy machine runs other threads.
int64_t ThreadCpuMicroseconds();
// Breaks t down in the local time zone; false when it cannot.
bool LocalTime(int64_t t, std::tm& out);
// The other way: a local calendar time (tm_isdst -1 lets the zone decide)
// to seconds since 1970; false when it cannot be represented.
bool LocalTimeToSeconds(std::tm tm, int64_t& t);
// strftime in the "C" locale with the C and POSIX conversions (E and O
// modifiers included) on every platform; the format is assumed valid.
std::string FormatTimeC(const std::tm& tm, std::string_view format);

}  // namespace kq
