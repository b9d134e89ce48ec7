#include "renamer/cli/RuleOptions.h"

#include "platform/Text.h"
#include "renamer/supersort/RouteFile.h"

namespace kq::cli {

CRuleSource RuleSource(CArgReader& reader)
{
    CRuleSource source;
    std::string path;
    source.m_bGiven = reader.Value("--rules", path);
    source.m_strPath = source.m_bGiven ? FromNativeName(path) : RouteStorePath();
    return source;
}

bool ReadRules(const CRuleSource& source, CSortRouteList& list)
{
    ERouteFileState state = ERouteFileState::Missing;
    LoadRouteFile(source.m_strPath, list, &state);
    switch (state) {
    case ERouteFileState::Complete: return true;
    case ERouteFileState::Missing:
        if (!source.m_bGiven) return true;
        PrintErr("kqtools-cli: 找不到规则文件：" + ToUtf8(source.m_strPath));
        return false;
    case ERouteFileState::Damaged: PrintErr(ToUtf8(StoreDamagedText(source.m_strPath, list.GetCount()))); return false;
    case ERouteFileState::Newer: return false;
    default: PrintErr("kqtools-cli: 无法读取规则文件：" + ToUtf8(source.m_strPath)); return false;
    }
}

}  // namespace kq::cli
