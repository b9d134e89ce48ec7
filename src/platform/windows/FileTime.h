// FILETIME (100 ns ticks since 1601-01-01 UTC) as Unix time.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <cstdint>

namespace kq {

inline int64_t FileTimeTicks(const FILETIME& ft)
{
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

// Seconds since 1970 UTC.
inline int64_t ToUnixSeconds(const FILETIME& ft) { return FileTimeTicks(ft) / 10000000 - 11644473600LL; }

// Nanoseconds since 1970 UTC.
inline int64_t ToUnixNanoseconds(const FILETIME& ft) { return (FileTimeTicks(ft) - 116444736000000000LL) * 100; }

}  // namespace kq

#endif  // _WIN32
