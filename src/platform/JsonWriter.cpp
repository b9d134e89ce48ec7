#include "platform/JsonWriter.h"

#include <charconv>
#include <cmath>

#include "platform/Text.h"

namespace kq {

void CJsonWriter::Separate()
{
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (!m_aHasItems.empty()) {
        if (m_aHasItems.back()) m_strOut += ',';
        m_aHasItems.back() = true;
    }
}

CJsonWriter& CJsonWriter::BeginObject()
{
    Separate();
    m_strOut += '{';
    m_aHasItems.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::EndObject()
{
    m_strOut += '}';
    if (!m_aHasItems.empty()) m_aHasItems.pop_back();
    return *this;
}

CJsonWriter& CJsonWriter::BeginArray()
{
    Separate();
    m_strOut += '[';
    m_aHasItems.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::EndArray()
{
    m_strOut += ']';
    if (!m_aHasItems.empty()) m_aHasItems.pop_back();
    return *this;
}

CJsonWriter& CJsonWriter::Key(std::string_view name)
{
    Separate();
    m_strOut += JsonString(name);
    m_strOut += ':';
    m_bAfterKey = true;
    return *this;
}

CJsonWriter& CJsonWriter::String(std::string_view utf8)
{
    Separate();
    m_strOut += JsonString(utf8);
    return *this;
}

CJsonWriter& CJsonWriter::String(std::u16string_view text) { return String(std::string_view(ToUtf8(text))); }

CJsonWriter& CJsonWriter::Int(int64_t value) { return Raw(std::to_string(value)); }

CJsonWriter& CJsonWriter::Real(double value)
{
    if (!std::isfinite(value)) return Null();
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return Raw(text);
}

CJsonWriter& CJsonWriter::Bool(bool value) { return Raw(value ? "true" : "false"); }

CJsonWriter& CJsonWriter::Null() { return Raw("null"); }

CJsonWriter& CJsonWriter::Raw(std::string_view json)
{
    Separate();
    m_strOut += json;
    return *this;
}

}  // namespace kq
