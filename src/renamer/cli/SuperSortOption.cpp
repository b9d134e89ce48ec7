#include "renamer/cli/SuperSortOption.h"

#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/supersort/SortWorkList.h"

namespace kq::cli {

int ApplySuperSortOption(const std::string& spec, const CRuleSource& rules, CFileNameList& list)
{
    std::string name = spec;
    bool ascending = true;
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ":desc") == 0) {
        name.resize(name.size() - 5);
        ascending = false;
    }
    CSortRouteList routes;
    ReadRules(rules, routes);
    const int index = routes.FindRoute(FromUtf8(name));
    if (index < 0) {
        PrintErr("kqtools-cli: 找不到排序规则：" + name);
        return kExitFailed;
    }
    CSortWorkList work;
    const ESuperSortResult status = PrepareSuperSort(work, list, routes[index], ascending);
    if (status == kSuperSortZeroStep || status == kSuperSortFormula) {
        PrintErr("kqtools-cli: 超级排序已中断（代码 " + std::to_string(status) + "），没有改名");
        return kExitFailed;
    }
    if (status == kSuperSortOk) list.ReorderRows(work.Source());
    return kExitOk;
}

}  // namespace kq::cli
