// Our own versions of the runtime library's number readers and printf-style
// number formats. They never depend on the user's locale and have no
// undefined behaviour on any input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// _wtoi / atoi: leading white space, optional sign, decimal digits up to the
// first other character; no digits gives 0; out-of-range values saturate.
int Wtoi(std::u16string_view text);
int Atoi(std::string_view text);

// _wtof / atof: leading white space, then the longest prefix of the form
// [sign] digits [. digits] [e|E [sign] digits] (at least one digit before the
// exponent); none gives 0. Overflow gives +/-HUGE_VAL, underflow 0.
double Wtof(std::u16string_view text);
double Atof(std::string_view text);

// Real to 32-bit integer as the x86 conversion does: truncation toward zero,
// and INT_MIN for NaN and for values outside the int range.
int DoubleToInt(double value);

// "%d".
std::u16string FormatInt(long long value);
// "%.<decimals>f" in the "C" locale (decimals clamped to 0..340). NaN and
// infinities read "nan", "inf", "-inf" ("-nan" for a negative NaN).
std::string FormatFixedA(double value, int decimals);
std::u16string FormatFixed(double value, int decimals);

}  // namespace kq
