// One JSON text built in order: objects, arrays, keys and values, with the
// commas put in between. Strings are escaped by JsonString; nothing is
// indented, so the text is one line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kq {

class CJsonWriter {
public:
    CJsonWriter& BeginObject();
    CJsonWriter& EndObject();
    CJsonWriter& BeginArray();
    CJsonWriter& EndArray();
    // The key of the next value of an object.
    CJsonWriter& Key(std::string_view name);

    CJsonWriter& String(std::string_view utf8);
    CJsonWriter& String(std::u16string_view text);
    CJsonWriter& String(const char* utf8) { return String(std::string_view(utf8)); }
    CJsonWriter& Int(int64_t value);
    // The shortest text that reads back to the value, always with a "." or
    // an exponent so that it reads as a real; null for infinities and NaN.
    CJsonWriter& Real(double value);
    CJsonWriter& Bool(bool value);
    CJsonWriter& Null();
    // A value written elsewhere (a number in a fixed format, say), as it is.
    CJsonWriter& Raw(std::string_view json);

    // A key and its value in one call.
    template <class T>
    CJsonWriter& Field(std::string_view name, const T& value)
    {
        Key(name);
        return Value(value);
    }

    const std::string& Text() const { return m_strOut; }

private:
    CJsonWriter& Value(std::string_view v) { return String(v); }
    CJsonWriter& Value(const std::string& v) { return String(std::string_view(v)); }
    CJsonWriter& Value(std::u16string_view v) { return String(v); }
    CJsonWriter& Value(const std::u16string& v) { return String(std::u16string_view(v)); }
    CJsonWriter& Value(const char* v) { return String(std::string_view(v)); }
    CJsonWriter& Value(bool v) { return Bool(v); }
    CJsonWriter& Value(double v) { return Real(v); }
    template <class N>
    CJsonWriter& Value(N v) requires std::is_integral_v<N> || std::is_enum_v<N>
    {
        return Int(static_cast<int64_t>(v));
    }
    // A comma unless the value opens its container or follows its key.
    void Separate();

    std::string m_strOut;
    std::vector<bool> m_aHasItems;  // per open container
    bool m_bAfterKey = false;
};

}  // namespace kq
