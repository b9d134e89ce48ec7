#include "platform/Crt.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>

#include "platform/Text.h"

namespace kq {

namespace {

// Moves i past leading white space and one sign; true for "-".
template <typename Char>
bool SkipSpaceAndSign(std::basic_string_view<Char> text, size_t& i)
{
    while (i < text.size() && IsAsciiSpace(char16_t(text[i]))) ++i;
    if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) return text[i++] == Char('-');
    return false;
}

template <typename Char>
int ReadInt(std::basic_string_view<Char> text)
{
    size_t i = 0;
    const bool negative = SkipSpaceAndSign(text, i);
    long long value = 0;
    bool overflow = false;
    for (; i < text.size() && IsAsciiDigit(char16_t(text[i])); ++i) {
        if (!overflow) {
            value = value * 10 + (text[i] - Char('0'));
            if (value > static_cast<long long>(INT_MAX) + 1) overflow = true;
        }
    }
    if (negative) {
        return (overflow || value > static_cast<long long>(INT_MAX) + 1) ? INT_MIN : static_cast<int>(-value);
    }
    return (overflow || value > INT_MAX) ? INT_MAX : static_cast<int>(value);
}

template <typename Char>
double ReadReal(std::basic_string_view<Char> text)
{
    size_t i = 0;
    const bool negative = SkipSpaceAndSign(text, i);
    std::string number;
    size_t digits = 0;
    for (; i < text.size() && IsAsciiDigit(char16_t(text[i])); ++i, ++digits) number.push_back(char(text[i]));
    if (i < text.size() && text[i] == Char('.')) {
        std::string fraction = ".";
        size_t j = i + 1;
        for (; j < text.size() && IsAsciiDigit(char16_t(text[j])); ++j, ++digits) fraction.push_back(char(text[j]));
        number += fraction;
        i = j;
    }
    if (digits == 0) return 0.0;
    if (i < text.size() && (text[i] == Char('e') || text[i] == Char('E'))) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == Char('+') || text[j] == Char('-'))) exponent.push_back(char(text[j++]));
        size_t expDigits = 0;
        for (; j < text.size() && IsAsciiDigit(char16_t(text[j])); ++j, ++expDigits) exponent.push_back(char(text[j]));
        if (expDigits > 0) number += exponent;
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow from the decimal exponent.
        long long exp10 = 0;
        size_t pos = 0;
        size_t point = number.find('.');
        size_t e = number.find('e');
        size_t mantissaEnd = e == std::string::npos ? number.size() : e;
        if (point == std::string::npos || point > mantissaEnd) point = mantissaEnd;
        long long firstNonZero = LLONG_MIN;
        for (pos = 0; pos < mantissaEnd; ++pos) {
            if (number[pos] >= '1' && number[pos] <= '9') {
                firstNonZero =
                    pos < point ? static_cast<long long>(point - pos) : -static_cast<long long>(pos - point) + 1;
                break;
            }
        }
        if (e != std::string::npos) exp10 = Atoi(std::string_view(number).substr(e + 1));
        bool huge = firstNonZero != LLONG_MIN && firstNonZero + exp10 > 0;
        value = huge ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

int Wtoi(std::u16string_view text) { return ReadInt(text); }
int Atoi(std::string_view text) { return ReadInt(text); }
double Wtof(std::u16string_view text) { return ReadReal(text); }
double Atof(std::string_view text) { return ReadReal(text); }

int DoubleToInt(double value)
{
    if (std::isnan(value) || value >= 2147483648.0 || value <= -2147483649.0) return INT_MIN;
    return static_cast<int>(value);
}

std::u16string FormatInt(long long value)
{
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    return FromAscii(std::string_view(buffer, size_t(end - buffer)));
}

std::string FormatFixedA(double value, int decimals)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (decimals < 0) decimals = 0;
    if (decimals > 340) decimals = 340;
    // Up to 309 integer digits, a sign, a point and the decimals.
    char buffer[320 + 340];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

std::u16string FormatFixed(double value, int decimals) { return FromAscii(FormatFixedA(value, decimals)); }

}  // namespace kq
