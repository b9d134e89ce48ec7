#include "renamer/modes/EnhancedNaming.h"

#include <cstdlib>

#include "formula/text/PRKGetIndexString.h"
#include "platform/Crt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/modes/NameParts.h"
#include "renamer/modes/SimpleNaming.h"

namespace kq {

const char16_t* const kEnPageNote = u"新文件名称中的序号用字符*代替，例如“*-<原文件名>”。";
const char16_t* const kIndexKindItems[8] = {u"A,B,C,D……", u"a,b,c,d……", u"1,2,3,4……", u"一,二,三,四……",
                                            u"壹,贰,叁,肆……", u"Ⅰ,Ⅱ,Ⅲ,Ⅳ……", u"ⅰ,ⅱ,ⅲ,ⅳ……", u"枚举序列"};
const char16_t* const kEnumerationLists[6] = {
    u"㈠,㈡,㈢,㈣,㈤,㈥,㈦,㈧,㈨,㈩",
    u"①,②,③,④,⑤,⑥,⑦,⑧,⑨,⑩",
    u"⑴,⑵,⑶,⑷,⑸,⑹,⑺,⑻,⑼,⑽,⑾,⑿,⒀,⒁,⒂,⒃,⒄,⒅,⒆,⒇",
    u"⒈,⒉,⒊,⒋,⒌,⒍,⒎,⒏,⒐,⒑,⒒,⒓,⒔,⒕,⒖,⒗,⒘,⒙,⒚,⒛",
    u"甲,乙,丙,丁,戊,己,庚,辛,壬,癸",
    u"子,丑,寅,卯,辰,巳,午,未,申,酉,戌,亥"};

namespace {

const std::u16string kIndexedPlaceholder = u"<原文件名*";

// The index texts of one kind. The enumeration list is cut once, so a long
// list costs no more per row than a short one.
class CIndexSequence {
public:
    explicit CIndexSequence(const CEnFields& fields) : m_nKind(fields.m_nKind), m_nDigits(fields.m_nDigits)
    {
        if (m_nKind != 7) return;
        size_t start = 0;
        for (;;) {
            size_t comma = fields.m_strEnumList.find(u',', start);
            m_aItems.push_back(
                fields.m_strEnumList.substr(start, comma == std::u16string::npos ? comma : comma - start));
            if (comma == std::u16string::npos) break;
            start = comma + 1;
        }
        m_bEmptyList = fields.m_strEnumList.empty();
    }

    std::u16string Text(int k) const
    {
        switch (m_nKind) {
        case 0: return CPRKGetIndexString::GetUpperAlpha(k);
        case 1: return CPRKGetIndexString::GetLowerAlpha(k);
        case 2: return CPRKGetIndexString::GetNumber(k, m_nDigits);
        case 3: return CPRKGetIndexString::GetChineseNumber(k, 0);
        case 4: return CPRKGetIndexString::GetChineseNumber(k, 1);
        case 5: return CPRKGetIndexString::GetRomanNum(k, 1);
        case 6: return CPRKGetIndexString::GetRomanNum(k, 0);
        case 7:
            return k >= 0 && static_cast<size_t>(k) < m_aItems.size() ? m_aItems[static_cast<size_t>(k)]
                                                                      : std::u16string();
        default: return {};
        }
    }

    bool EmptyList() const { return m_nKind == 7 && m_bEmptyList; }

private:
    int m_nKind;
    int m_nDigits;
    std::vector<std::u16string> m_aItems;
    bool m_bEmptyList = false;
};

std::u16string Trimmed(const std::u16string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsAsciiSpace(text[begin])) ++begin;
    while (end > begin && IsAsciiSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

int FindOrdinal(const CIndexSequence& sequence, const std::u16string& start)
{
    std::u16string wanted = Trimmed(start);
    if (wanted.empty()) return 0;
    if (sequence.EmptyList()) return -1;
    // Every sequence ends (the longest, letters, after 18278 members).
    for (int k = 0; k >= 0; ++k) {
        std::u16string text = sequence.Text(k);
        if (text.empty()) return -1;
        if (text == wanted) return k;
    }
    return -1;
}

// The base with the index text put at character position n.
std::u16string InsertIndex(const std::u16string& base, const std::u16string& index, int n)
{
    long long pos = n < 0 ? static_cast<long long>(n) + static_cast<long long>(base.size()) : n;
    if (pos <= 0) return index + base;
    if (pos >= static_cast<long long>(base.size())) return base + index;
    std::u16string out = base;
    out.insert(static_cast<size_t>(pos), index);
    return out;
}

// Expands every "<原文件名*N>". The search goes on after the text just put
// in, so a name that itself holds the placeholder cannot expand forever.
void ExpandIndexedPlaceholders(std::u16string& result, const std::u16string& base, const std::u16string& index)
{
    size_t from = 0;
    for (;;) {
        size_t p = result.find(kIndexedPlaceholder, from);
        if (p == std::u16string::npos) return;
        size_t close = result.find(u'>', p);
        std::u16string inserted;
        if (close != std::u16string::npos) {
            size_t numberAt = p + kIndexedPlaceholder.size();
            int n = close >= numberAt ? Wtoi(std::u16string_view(result).substr(numberAt, close - numberAt)) : 0;
            inserted = InsertIndex(base, index, n);
            result.replace(p, close + 1 - p, inserted);
        } else {
            inserted = index + base;
            result.replace(p, kIndexedPlaceholder.size(), inserted);
        }
        from = p + inserted.size();
    }
}

}  // namespace

std::u16string CEnFields::IndexText(int k) const { return CIndexSequence(*this).Text(k); }

std::vector<std::u16string> CEnFields::StartItems() const
{
    CIndexSequence sequence(*this);
    std::vector<std::u16string> items;
    for (int k = 0; k < 20; ++k) {
        std::u16string text = sequence.Text(k);
        if (text.empty()) break;
        items.push_back(std::move(text));
    }
    return items;
}

std::vector<std::u16string> CEnFields::RefillStartList()
{
    std::vector<std::u16string> items = StartItems();
    if (!items.empty()) m_strStart = items.front();
    return items;
}

int CEnFields::StartOrdinal() const { return FindOrdinal(CIndexSequence(*this), m_strStart); }

void CEnFields::FillNewNames(CFileNameList& list, bool keepExtension, std::u16string* pReplaceError) const
{
    // One cycle on this thread: the window runs the same plan on several.
    const std::u16string note = RunPlanInOrder(*PrepareNames(list, keepExtension), list);
    if (pReplaceError) *pReplaceError = note;
}

namespace {

class CEnhancedPlan : public CNamePlan {
public:
    CEnhancedPlan(const CEnFields& fields, const CFileNameList& list, bool keepExtension)
        : CNamePlan(list.GetItemCount()),
          m_fields(fields),
          m_list(list),
          m_bKeepExtension(keepExtension),
          m_sequence(m_fields),
          m_pattern(fields.m_strTemplate, kOldNamePlaceholder),
          m_counter(fields.m_strRepeat),
          m_nFirst(FindOrdinal(m_sequence, fields.m_strStart)),
          m_nStep(Wtoi(fields.m_strStep))
    {
        m_strNote = naming::CFindReplace(m_fields).GetErrorInfo();
    }

    std::unique_ptr<CRowNamer> MakeNamer() const override { return std::make_unique<CNamer>(*this); }

private:
    class CNamer : public CRowNamer {
    public:
        explicit CNamer(const CEnhancedPlan& plan) : m_plan(plan), m_replace(plan.m_fields) {}
        void Name(int r, CRowName& out) override
        {
            const CEnFields& f = m_plan.m_fields;
            f.MakeBase(m_plan.m_list.GetText(r, kColOldName), m_plan.m_bKeepExtension, m_strStem, m_strExtension,
                       m_strBase);
            m_strIndex = m_plan.m_sequence.Text(m_plan.m_counter.ValueOf(r, m_plan.m_nFirst, m_plan.m_nStep));
            std::u16string& result = out.m_strName;
            m_plan.m_pattern.Fill(result, m_strBase);
            ExpandIndexedPlaceholders(result, m_strBase, m_strIndex);
            naming::ReplaceAll(result, u"*", m_strIndex);
            if (!f.FinishName(result, m_plan.m_bKeepExtension, m_strExtension, m_replace, r))
                Note(r, m_replace.GetRowErrorInfo());
            out.m_bFailed = false;
        }

    private:
        const CEnhancedPlan& m_plan;
        naming::CFindReplace m_replace;
        std::u16string m_strStem, m_strExtension, m_strBase, m_strIndex;
    };

    const CEnFields m_fields;
    const CFileNameList& m_list;
    const bool m_bKeepExtension;
    const CIndexSequence m_sequence;
    const naming::CPlaceholderText m_pattern;
    const naming::CRepeatCounter m_counter;
    const int m_nFirst;
    const int m_nStep;
};

}  // namespace

std::shared_ptr<const CNamePlan> CEnFields::PrepareNames(const CFileNameList& list, bool keepExtension) const
{
    return std::make_shared<CEnhancedPlan>(*this, list, keepExtension);
}

}  // namespace kq
