#include "renamer/modes/FormulaNaming.h"

#include "formula/engine/FileNameStringAnalyse.h"
#include "formula/filemeta/FileMetaCache.h"
#include "formula/functions/FileMetaFunctions.h"
#include "platform/Crt.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameParts.h"

namespace kq {

const char16_t* const kEfPageNote = u"通过“常用公式”可以选择常用的公式表达式，公式函数说明可以查阅“公式帮助”。";

void ReadRowFilesAhead(const std::u16string& formula, const CFileNameList& list)
{
    // A formula that reads nothing inside the files costs nothing here.
    const CFileMetaRequest need = FileMetaRequestOf(formula);
    if (need.IsEmpty()) return;
    std::vector<std::u16string> paths;
    paths.reserve(size_t(list.GetItemCount()));
    for (int r = 0; r < list.GetItemCount(); ++r)
        paths.push_back(JoinPath(list.GetText(r, kColFolder), list.GetText(r, kColOldName)));
    ReadFileMetaAhead(std::move(paths), need);
}

std::u16string FormulaFailureText(int code, std::u16string_view message)
{
    // Operators and calls already reduced show in the engine's messages under
    // their node names ("SFV12"); the user never wrote those.
    std::u16string clean;
    clean.reserve(message.size());
    for (size_t i = 0; i < message.size();) {
        if (message.substr(i, 3) == u"SFV" && i + 3 < message.size() && IsAsciiDigit(message[i + 3])) {
            i += 3;
            while (i < message.size() && IsAsciiDigit(message[i])) ++i;
            clean += u"…";
            continue;
        }
        clean += message[i++];
    }
    std::u16string text = u"错误" + FormatInt(code);
    if (!clean.empty()) text += u"：" + clean;
    return text;
}

void CEfFields::FillNewNames(CFileNameList& list, bool keepExtension) const
{
    const int count = list.GetItemCount();
    CFileNameStringAnalyse engine;
    engine.SetShowErrorInfo(0);
    engine.SetInputString(m_strFormula);
    engine.m_nCount = count;
    CFolderCounter folders;
    std::u16string name;
    ReadRowFilesAhead(m_strFormula, list);
    for (int r = 0; r < count; ++r) {
        const std::u16string& oldName = list.GetText(r, kColOldName);
        const std::u16string& folder = list.GetText(r, kColFolder);
        engine.m_strFileName = oldName;
        engine.m_strFilePath = folder;
        engine.m_nIndex = r + 1;
        folders.Count(folder, engine.m_nPathIndex, engine.m_nIndexOnPath);
        const int code = engine.DoAnalyse();
        if (code != 0) {
            name.clear();
        } else {
            name = engine.GetOutputString();
            // A text result comes in its output form, between double quotes.
            if (engine.GetOutputType() == 1)
                name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::u16string();
        }
        if (keepExtension) {
            name += u'.';
            name += naming::ExtensionOf(oldName);
        }
        list.SetText(r, kColNewName, name);
        if (code != 0) list.SetNameFailed(r, FormulaFailureText(code, engine.GetAnalyseErrorInfo()));
    }
}

}  // namespace kq
