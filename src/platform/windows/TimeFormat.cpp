// The Windows C runtime's strftime knows only the C89 conversions; the ones
// C99 and POSIX added (and the E and O modifiers) are made here, in the "C"
// locale's forms, so formats give the same text as on POSIX.
#ifdef _WIN32

#include <cstdio>
#include <ctime>
#include <locale>
#include <sstream>

#include "platform/Clock.h"

namespace kq {

namespace {

std::string Put(const std::tm& tm, std::string_view format)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    const auto& facet = std::use_facet<std::time_put<char>>(std::locale::classic());
    facet.put(std::ostreambuf_iterator<char>(out), out, ' ', &tm, format.data(), format.data() + format.size());
    return out.str();
}

std::string Number(int value, int width, char pad = '0')
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, pad == '0' ? "%0*d" : "%*d", width, value);
    return buffer;
}

int IsoWeeksInYear(int year)
{
    auto p = [](int y) { return (y + y / 4 - y / 100 + y / 400) % 7; };
    return p(year) == 4 || p(year - 1) == 3 ? 53 : 52;
}

// ISO 8601 week-based year and week number.
void IsoWeek(const std::tm& tm, int& year, int& week)
{
    year = tm.tm_year + 1900;
    const int weekday = tm.tm_wday == 0 ? 7 : tm.tm_wday;
    week = (tm.tm_yday - weekday + 10) / 7;
    if (week < 1) {
        --year;
        week = IsoWeeksInYear(year);
    } else if (week > IsoWeeksInYear(year)) {
        ++year;
        week = 1;
    }
}

std::string Conversion(const std::tm& tm, char c)
{
    int isoYear = 0, isoWeek = 0;
    switch (c) {
    case 'C': return Number((tm.tm_year + 1900) / 100, 2);
    case 'D': return Put(tm, "%m/%d/%y");
    case 'e': return Number(tm.tm_mday, 2, ' ');
    case 'F': return Number(tm.tm_year + 1900, 4) + "-" + Put(tm, "%m-%d");
    case 'g': IsoWeek(tm, isoYear, isoWeek); return Number(((isoYear % 100) + 100) % 100, 2);
    case 'G': IsoWeek(tm, isoYear, isoWeek); return std::to_string(isoYear);
    case 'V': IsoWeek(tm, isoYear, isoWeek); return Number(isoWeek, 2);
    case 'h': return Put(tm, "%b");
    case 'n': return "\n";
    case 't': return "\t";
    case 'r': return Put(tm, "%I:%M:%S %p");
    case 'R': return Put(tm, "%H:%M");
    case 'T': return Put(tm, "%H:%M:%S");
    case 'u': return std::to_string(tm.tm_wday == 0 ? 7 : tm.tm_wday);
    case 'c': return Put(tm, "%a %b ") + Number(tm.tm_mday, 2, ' ') + Put(tm, " %H:%M:%S %Y");
    case 'z': {
        // The runtime gives the zone's name here; POSIX gives the offset.
        // (msvcrt.dll has _timezone but no DST bias: its summer time is one hour.)
        _tzset();
        long east = -_timezone + (tm.tm_isdst > 0 ? 3600 : 0);
        char sign = east < 0 ? '-' : '+';
        if (east < 0) east = -east;
        return sign + Number(static_cast<int>(east / 3600), 2) + Number(static_cast<int>(east / 60 % 60), 2);
    }
    default: return Put(tm, std::string("%") + c);
    }
}

}  // namespace

std::string FormatTimeC(const std::tm& tm, std::string_view format)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
            continue;
        }
        char c = format[++i];
        if ((c == 'E' || c == 'O') && i + 1 < format.size()) c = format[++i];  // the "C" locale has no alternatives
        out += Conversion(tm, c);
    }
    return out;
}

}  // namespace kq

#endif  // _WIN32
