#include "renamer/templates/StringOperatorMacro.h"

#include "platform/Prompt.h"
#include "renamer/templates/MacroTemplate.h"

namespace kq {

namespace {

constexpr char16_t kSyntaxErrorTitle[] = u"语法错误";
constexpr char16_t kUnmatchedBraceText[] = u"'{'找不到匹配的'}'，请检查后重试！";
constexpr char16_t kBadItemText[] = u"以下语句中存在语法错误，请检查后重试！\n{";

}  // namespace

CStringOperatorMacro::CStringOperatorMacro() : m_eFolderPolicy(DefaultNamePolicy()) {}

void CStringOperatorMacro::BeginRun(std::u16string templateText, int fileCount)
{
    m_strTemplate = std::move(templateText);
    m_nFileCount = fileCount;
    ResetFolders();
}

void CStringOperatorMacro::ResetFolders()
{
    m_aPathList.clear();
    m_aPathCount.clear();
    m_mapPathIndex.clear();
    m_nLastPath = 0;
}

bool CStringOperatorMacro::ExpandRow(std::u16string_view fileName, std::u16string_view folder, int index,
                                     std::u16string& text)
{
    if (AnalyseRow(fileName, folder, index) == 0) {
        text.clear();
        return false;
    }
    text = m_strResult;
    return true;
}

int CStringOperatorMacro::AnalyseRow(std::u16string_view fileName, std::u16string_view folder, int index)
{
    const size_t position = FolderPosition(folder);
    SetRowItems(fileName, folder, index, static_cast<int>(position) + 1, m_aPathCount[position]);
    return AnalyseMacro();
}

bool CStringOperatorMacro::ExpandRowAt(std::u16string_view fileName, std::u16string_view folder, int index,
                                       int folderNumber, int numberInFolder, std::u16string& text)
{
    SetRowItems(fileName, folder, index, folderNumber, numberInFolder);
    if (AnalyseMacro() == 0) {
        text.clear();
        return false;
    }
    text = m_strResult;
    return true;
}

void CStringOperatorMacro::SetRowItems(std::u16string_view fileName, std::u16string_view folder, int index,
                                      int folderNumber, int numberInFolder)
{
    // The eight items are rewritten in place: their texts keep their
    // buffers from row to row.
    static constexpr char16_t kNames[] = u"HEFPCILN";
    if (m_aItems.size() != 8) m_aItems.assign(8, MarcoItem());
    for (size_t i = 0; i < 8; ++i) {
        MarcoItem& item = m_aItems[i];
        item.strItemName.assign(1, kNames[i]);
        item.bIsString = i < 4 ? 1 : 0;
        item.strItemValue.clear();
        item.dItemValue = 0.0;
    }

    if (folder.size() >= 3 && folder[1] == u':') m_aItems[0].strItemValue.assign(folder.substr(0, 1));
    size_t dot = fileName.rfind(u'.');
    if (dot != std::u16string_view::npos) m_aItems[1].strItemValue.assign(fileName.substr(dot + 1));
    m_aItems[2].strItemValue.assign(fileName.substr(0, dot));
    size_t separator = folder.rfind(kPathSeparator);
    for (char16_t c : separator == std::u16string_view::npos ? folder : folder.substr(separator + 1))
        if (c != u':') m_aItems[3].strItemValue.push_back(c);

    m_aItems[4].dItemValue = m_nFileCount;
    m_aItems[5].dItemValue = index;
    m_aItems[6].dItemValue = folderNumber;
    m_aItems[7].dItemValue = numberInFolder;
}

size_t CStringOperatorMacro::FolderPosition(std::u16string_view folder)
{
    // The lists are public; rebuild the index if someone changed them.
    if (m_mapPathIndex.size() != m_aPathList.size() || m_aPathCount.size() != m_aPathList.size()) {
        m_aPathCount.resize(m_aPathList.size(), 0);
        m_mapPathIndex.clear();
        for (size_t i = 0; i < m_aPathList.size(); ++i) m_mapPathIndex.emplace(m_aPathList[i], i);
        m_nLastPath = m_aPathList.size();
    }
    // Rows of one folder usually come together.
    if (m_nLastPath < m_aPathList.size() && NamesEqual(folder, m_aPathList[m_nLastPath], m_eFolderPolicy)) {
        ++m_aPathCount[m_nLastPath];
        return m_nLastPath;
    }
    std::u16string key = NameKey(folder, m_eFolderPolicy);
    auto found = m_mapPathIndex.find(key);
    if (found != m_mapPathIndex.end()) {
        m_nLastPath = found->second;
        ++m_aPathCount[m_nLastPath];
        return m_nLastPath;
    }
    m_nLastPath = m_aPathList.size();
    m_mapPathIndex.emplace(key, m_nLastPath);
    m_aPathList.push_back(std::move(key));
    m_aPathCount.push_back(1);
    return m_nLastPath;
}

const CMacroTemplate& CStringOperatorMacro::Parsed()
{
    if (!m_pParsed || m_strParsedTemplate != m_strTemplate) {
        m_pParsed = std::make_shared<const CMacroTemplate>(ParseMacroTemplate(m_strTemplate));
        m_strParsedTemplate = m_strTemplate;
    }
    return *m_pParsed;
}

int CStringOperatorMacro::AnalyseMacro()
{
    const CMacroTemplate& parsed = Parsed();
    if (parsed.m_bBraceCheckFailed) return 0;

    bool variablesSet = false;
    std::u16string& output = m_strBuffer;
    output.clear();
    std::u16string& text = m_strItemText;
    for (const auto& segment : parsed.m_aSegments) {
        output += segment.m_strLiteral;
        if (!segment.m_bHasItem) continue;
        const MarcoItem* stringItem = nullptr;
        for (const auto& item : m_aItems) {
            if (item.bIsString && item.strItemName == segment.m_item.m_strControl) {
                stringItem = &item;
                break;
            }
        }
        bool expanded = false;
        if (stringItem) {
            expanded = ExpandStringItem(segment.m_item, stringItem->strItemValue, text);
        } else {
            if (!variablesSet) {
                m_evaluator.m_aVarList.clear();
                for (const auto& item : m_aItems)
                    if (!item.bIsString) m_evaluator.m_aVarList.push_back({item.strItemName, item.dItemValue});
                variablesSet = true;
            }
            expanded = ExpandNumericItem(segment.m_item, m_evaluator, text);
        }
        if (!expanded) {
            ShowSyntaxError(kBadItemText + segment.m_item.m_strText + u"}");
            return 0;
        }
        output += text;
    }
    if (parsed.m_bUnmatchedBrace) {
        ShowSyntaxError(kUnmatchedBraceText);
        return 0;
    }
    // The old result's buffer serves the next row.
    m_strResult.swap(output);
    return 1;
}

void CStringOperatorMacro::ShowSyntaxError(const std::u16string& text)
{
    m_strLastError = text;
    if (m_bShowMessage) GetPromptProvider().Inform(text, kSyntaxErrorTitle);
}

}  // namespace kq
