#include "formula/functions/FunctionTable.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace kq {

namespace {

const std::vector<CFunctionInfo>& AllFunctions()
{
    static const std::vector<CFunctionInfo> all = [] {
        std::vector<CFunctionInfo> list;
        for (auto family : {LogicMathFunctions(), TextFunctions(), FileTimeFunctions(), SteelFunctions(),
                             FileMetaFunctions(),
                             RegexFunctions()})
            list.insert(list.end(), family.begin(), family.end());
        return list;
    }();
    return all;
}

}  // namespace

std::span<const CFunctionInfo> FunctionTable() { return AllFunctions(); }

const CFunctionInfo* FindFunction(std::u16string_view lowerName)
{
    static const std::unordered_map<std::u16string_view, const CFunctionInfo*> index = [] {
        std::unordered_map<std::u16string_view, const CFunctionInfo*> map;
        for (const CFunctionInfo& info : AllFunctions()) map.try_emplace(info.m_strName, &info);
        return map;
    }();
    auto found = index.find(lowerName);
    return found == index.end() ? nullptr : found->second;
}

}  // namespace kq
