#include "renamer/modes/NameParts.h"

#include <cstdint>
#include <cstdlib>

#include "formula/engine/AnalyseCode.h"
#include "platform/Crt.h"
#include "platform/PerThread.h"

namespace kq::naming {

void SplitName(std::u16string_view name, std::u16string& stem, std::u16string& extension)
{
    size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) {
        stem.assign(name);
        extension.clear();
    } else {
        stem.assign(name.substr(0, dot));
        extension.assign(name.substr(dot + 1));
    }
}

std::u16string_view ExtensionOf(std::u16string_view name)
{
    size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
}

void DeleteCharacters(std::u16string& text, int count, bool fromEnd)
{
    if (count <= 0) return;
    size_t n = static_cast<size_t>(count);
    if (n >= text.size()) {
        text.clear();
    } else if (fromEnd) {
        text.resize(text.size() - n);
    } else {
        text.erase(0, n);
    }
}

void ReplaceAll(std::u16string& text, std::u16string_view find, std::u16string_view replace)
{
    if (find.empty()) return;
    size_t pos = text.find(find);
    if (pos == std::u16string::npos) return;
    // The scratch text trades buffers with the result, so a long run of rows
    // allocates nothing here.
    struct ScratchTag;
    std::u16string& out = PerThread<std::u16string, ScratchTag>();
    out.clear();
    size_t from = 0;
    while (pos != std::u16string::npos) {
        out.append(text, from, pos - from);
        out.append(replace);
        from = pos + find.size();
        pos = text.find(find, from);
    }
    out.append(text, from, std::u16string::npos);
    text.swap(out);
}

CPlaceholderText::CPlaceholderText(std::u16string_view text, std::u16string_view placeholder)
{
    size_t from = 0;
    if (!placeholder.empty()) {
        for (size_t pos = text.find(placeholder); pos != std::u16string_view::npos;
             pos = text.find(placeholder, from)) {
            m_aPieces.emplace_back(text.substr(from, pos - from));
            from = pos + placeholder.size();
        }
    }
    m_aPieces.emplace_back(text.substr(from));
}

void CPlaceholderText::Fill(std::u16string& out, std::u16string_view value) const
{
    out = m_aPieces[0];
    for (size_t i = 1; i < m_aPieces.size(); ++i) {
        out += value;
        out += m_aPieces[i];
    }
}

void ApplyDeletion(std::u16string& text, bool enabled, int position, int count, bool onOldName)
{
    if (!enabled || count <= 0) return;
    if (onOldName && (position == kDeleteOldFront || position == kDeleteOldBack))
        DeleteCharacters(text, count, position == kDeleteOldBack);
    else if (!onOldName && (position == kDeleteNewFront || position == kDeleteNewBack))
        DeleteCharacters(text, count, position == kDeleteNewBack);
}

CRepeatCounter::CRepeatCounter(const std::u16string& repeatText)
{
    int value = Wtoi(repeatText);
    m_nRepeat = value == INT32_MIN ? INT32_MAX : std::abs(value);
}

bool CRepeatCounter::Step()
{
    if (m_nCount == m_nRepeat) {
        m_nCount = 0;
        return true;
    }
    ++m_nCount;
    return false;
}

void CReplaceDeleteFields::MakeBase(std::u16string_view name, bool keepExtension, std::u16string& stem,
                                    std::u16string& extension, std::u16string& base) const
{
    SplitName(name, stem, extension);
    base.assign(keepExtension ? std::u16string_view(stem) : name);
    ApplyDeletion(base, m_bDeleteEnabled, m_nDeletePosition, m_nDeleteCount, true);
}

bool CReplaceDeleteFields::FinishName(std::u16string& result, bool keepExtension, std::u16string_view extension,
                                      CFindReplace& replace, int row) const
{
    const bool replaced = replace.Apply(result, row);
    ApplyDeletion(result, m_bDeleteEnabled, m_nDeletePosition, m_nDeleteCount, false);
    if (keepExtension) {
        result += u'.';
        result += extension;
    }
    return replaced;
}

CFindReplace::CFindReplace(const CReplaceDeleteFields& fields) : m_fields(fields)
{
    // An empty pattern would match everywhere; like an empty find text it
    // replaces nothing.
    if (!fields.m_bReplaceEnabled || !fields.m_bRegex || fields.m_strFind.empty()) return;
    if (!m_regex.Compile(fields.m_strFind) || m_regex.CheckReplacement(fields.m_strReplace) != ERegexCode::Ok) {
        m_strError = m_regex.GetErrorInfo();
        return;
    }
    m_bPattern = true;
}

bool CFindReplace::Apply(std::u16string& text, int row)
{
    if (!m_fields.m_bReplaceEnabled) return true;
    if (!m_fields.m_bRegex) {
        ReplaceAll(text, m_fields.m_strFind, m_fields.m_strReplace);
        return true;
    }
    if (!m_bPattern) return true;
    if (m_regex.Replace(text, m_fields.m_strReplace, m_strScratch, kMaxTextLength) == ERegexCode::Ok) {
        text.swap(m_strScratch);
        return true;
    }
    m_strRowError = u"第" + FormatInt(row + 1) + u"行：" + m_regex.GetErrorInfo();
    if (m_strError.empty()) m_strError = m_strRowError;
    return false;
}

}  // namespace kq::naming
