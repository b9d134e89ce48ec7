#include "renamer/modes/FormulaNaming.h"

#include <optional>

#include "formula/engine/FileNameStringAnalyse.h"
#include "formula/filemeta/FileMetaCache.h"
#include "formula/functions/FileMetaFunctions.h"
#include "formula/text/TERNString.h"
#include "platform/Clipboard.h"
#include "platform/Crt.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
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
    // One cycle on this thread: the window runs the same plan on several.
    RunPlanInOrder(*PrepareNames(list, keepExtension), list);
}

namespace {

// Whether the formula's text names a function (ASCII case ignored). A text
// that only holds the name in a string is taken as a call too: that costs
// speed, never a wrong name.
bool Mentions(const std::u16string& formula, std::u16string_view name)
{
    return ToAsciiUpper(formula).find(ToAsciiUpper(name)) != std::u16string::npos;
}

class CFormulaPlan : public CNamePlan {
public:
    CFormulaPlan(const CEfFields& fields, const CFileNameList& list, bool keepExtension)
        : CNamePlan(list.GetItemCount()),
          m_strFormula(fields.m_strFormula),
          m_list(list),
          m_bKeepExtension(keepExtension),
          m_folders(NumberFolders(list, [](const std::u16string& folder) { return ToAsciiUpper(folder); }))
    {
        // The random numbers come from one generator per thread: the rows
        // draw them in list order on one thread.
        m_bOrdered = Mentions(m_strFormula, u"rand");
        // The clipboard is read here, on the caller's thread, once for all rows.
        m_bClipRead = Mentions(m_strFormula, u"clip");
        if (m_bClipRead) m_bHasClip = GetClipboardProvider().GetText(m_strClip);
    }

    std::unique_ptr<CRowNamer> MakeNamer() const override { return std::make_unique<CNamer>(*this); }
    void BeforeRows() const override { ReadRowFilesAhead(m_strFormula, m_list); }

private:
    class CNamer : public CRowNamer {
    public:
        explicit CNamer(const CFormulaPlan& plan) : m_plan(plan)
        {
            m_engine.SetShowErrorInfo(0);
            m_engine.SetInputString(plan.m_strFormula);
            m_engine.m_nCount = plan.RowCount();
        }
        void Name(int r, CRowName& out) override
        {
            std::optional<CTERNString::CClipSnapshot> clip;
            if (m_plan.m_bClipRead) clip.emplace(m_plan.m_bHasClip ? &m_plan.m_strClip : nullptr);
            const std::u16string& oldName = m_plan.m_list.GetText(r, kColOldName);
            const size_t i = static_cast<size_t>(r);
            m_engine.m_strFileName = oldName;
            m_engine.m_strFilePath = m_plan.m_list.GetText(r, kColFolder);
            m_engine.m_nIndex = r + 1;
            m_engine.m_nPathIndex = m_plan.m_folders.m_aFolder[i];
            m_engine.m_nIndexOnPath = m_plan.m_folders.m_aInFolder[i];
            const int code = m_engine.DoAnalyse();
            std::u16string& name = out.m_strName;
            if (code != 0) {
                name.clear();
            } else {
                const std::u16string& output = m_engine.GetOutputString();
                // A text result comes in its output form, between double quotes.
                if (m_engine.GetOutputType() == 1)
                    name.assign(output.size() >= 2 ? std::u16string_view(output).substr(1, output.size() - 2)
                                                   : std::u16string_view());
                else
                    name = output;
            }
            if (m_plan.m_bKeepExtension) {
                name += u'.';
                name += naming::ExtensionOf(oldName);
            }
            out.m_bFailed = code != 0;
            if (code != 0) out.m_strFailure = FormulaFailureText(code, m_engine.GetAnalyseErrorInfo());
        }

    private:
        const CFormulaPlan& m_plan;
        CFileNameStringAnalyse m_engine;
    };

    const std::u16string m_strFormula;
    const CFileNameList& m_list;
    const bool m_bKeepExtension;
    const CFolderNumbers m_folders;
    bool m_bClipRead = false;
    bool m_bHasClip = false;
    std::u16string m_strClip;
};

}  // namespace

std::shared_ptr<const CNamePlan> CEfFields::PrepareNames(const CFileNameList& list, bool keepExtension) const
{
    return std::make_shared<CFormulaPlan>(*this, list, keepExtension);
}

}  // namespace kq
