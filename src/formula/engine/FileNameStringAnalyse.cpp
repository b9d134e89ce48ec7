#include "formula/engine/FileNameStringAnalyse.h"

#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

enum class ERowFunction { None, CurFile, FName, FTitle, FExt, FPath, LPath, FRoot, PName, Index, Count, PathIndex, IndexOnPath };

bool EqualsLower(std::u16string_view text, std::u16string_view lower)
{
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (AsciiLower(text[i]) != lower[i]) return false;
    return true;
}

// Called for every function node of every row: compare without allocating.
ERowFunction FindRowFunction(std::u16string_view name)
{
    static constexpr struct {
        std::u16string_view m_strName;
        ERowFunction m_eFunction;
    } kNames[] = {
        {u"curfile", ERowFunction::CurFile}, {u"fname", ERowFunction::FName},
        {u"ftitle", ERowFunction::FTitle},   {u"fext", ERowFunction::FExt},
        {u"fpath", ERowFunction::FPath},     {u"lpath", ERowFunction::LPath},
        {u"froot", ERowFunction::FRoot},     {u"pname", ERowFunction::PName},
        {u"index", ERowFunction::Index},     {u"count", ERowFunction::Count},
        {u"pathindex", ERowFunction::PathIndex}, {u"indexonpath", ERowFunction::IndexOnPath},
    };
    if (name.size() < 4 || name.size() > 11) return ERowFunction::None;
    for (const auto& entry : kNames)
        if (EqualsLower(name, entry.m_strName)) return entry.m_eFunction;
    return ERowFunction::None;
}

int SetText(CTERNOperateVar& node, std::u16string_view text)
{
    node.m_strValue.assign(text);
    node.m_nType = OVT_STRING;
    return 0;
}

int SetInt(CTERNOperateVar& node, int value)
{
    node.m_nValue = value;
    node.m_nType = OVT_INT;
    return 0;
}

}  // namespace

int CFileNameStringAnalyse::GetExtendFunValue(CTERNOperateVar& node)
{
    ERowFunction function = FindRowFunction(node.m_strOperate);
    if (function == ERowFunction::None) return kAnalyseUnknownFunction;
    if (node.GetParamSize() != 0) {
        CheckParamSize(ToAsciiLower(node.m_strOperate), node.GetParamSize(), 0);
        return kAnalyseArgumentCount;
    }
    const std::u16string_view name = m_strFileName;
    const std::u16string_view folder = m_strFilePath;
    const size_t dot = name.rfind(u'.');
    switch (function) {
    case ERowFunction::CurFile:
    case ERowFunction::PName:
        node.m_strValue.assign(folder);
        node.m_strValue.push_back(kPathSeparator);
        node.m_strValue.append(name);
        node.m_nType = OVT_STRING;
        return 0;
    case ERowFunction::FName: return SetText(node, name);
    case ERowFunction::FTitle: return SetText(node, dot == std::u16string_view::npos ? name : name.substr(0, dot));
    case ERowFunction::FExt: return SetText(node, dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1));
    case ERowFunction::FPath: return SetText(node, folder);
    case ERowFunction::LPath: {
        size_t sep = folder.rfind(kPathSeparator);
        return SetText(node, sep == std::u16string_view::npos ? folder : folder.substr(sep + 1));
    }
    case ERowFunction::FRoot:
        // A drive letter only exists on Windows-style folders ("D:...").
        return SetText(node, folder.size() >= 3 && folder[1] == u':' ? folder.substr(0, 1) : std::u16string_view());
    case ERowFunction::Index: return SetInt(node, m_nIndex);
    case ERowFunction::Count: return SetInt(node, m_nCount);
    case ERowFunction::PathIndex: return SetInt(node, m_nPathIndex);
    case ERowFunction::IndexOnPath: return SetInt(node, m_nIndexOnPath);
    case ERowFunction::None: break;
    }
    return kAnalyseUnknownFunction;
}

std::u16string CFileNameStringAnalyse::GetRowFilePath() const
{
    return m_strFileName.empty() ? std::u16string() : JoinPath(m_strFilePath, m_strFileName);
}

void CFolderCounter::Count(std::u16string_view folder, int& pathIndex, int& indexOnPath)
{
    auto [it, added] = m_mapFolders.try_emplace(ToAsciiUpper(folder), static_cast<int>(m_aCounts.size()));
    if (added) m_aCounts.push_back(0);
    const int number = it->second;
    indexOnPath = ++m_aCounts[static_cast<size_t>(number)];
    pathIndex = number + 1;
}

void CFolderCounter::Clear()
{
    m_mapFolders.clear();
    m_aCounts.clear();
}

}  // namespace kq
