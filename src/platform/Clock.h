// The current time and its local calendar form (TZ honoured).
#pragma once

#include <cstdint>
#include <ctime>

namespace kq {

// Seconds since 1970-01-01 00:00:00 UTC.
int64_t CurrentTime();
// Breaks t down in the local time zone; false when it cannot.
bool LocalTime(int64_t t, std::tm& out);

}  // namespace kq
