#include "FileDrop.h"

#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Path.h"
#include "renamer/list/FileNameList.h"

namespace kq {

void CollectFiles(const std::vector<std::u16string>& paths, bool includeSubfolders, CCollectedFiles& collected,
                  CDropSummary& summary, IFolderReadWatcher* watcher)
{
    auto add = [&](std::u16string_view folder, std::u16string_view name) {
        if (collected.m_aFolders.empty() || collected.m_aFolders.back() != folder) collected.m_aFolders.emplace_back(folder);
        collected.m_strNames.append(name);
        collected.m_aFiles.emplace_back(collected.m_aFolders.size() - 1, collected.m_strNames.size());
    };
    for (const std::u16string& path : paths) {
        if (path.empty()) continue;
        if (IsFolder(path)) {
            CFileNameList::CollectFolderFiles(path, includeSubfolders, add, &summary.m_aUnreadable, watcher);
        } else if (PathExists(path)) {
            const size_t pos = path.rfind(kPathSeparator);
            if (pos == std::u16string::npos) {
                ++summary.m_nSkipped;
                continue;
            }
            add(std::u16string_view(path).substr(0, pos), std::u16string_view(path).substr(pos + 1));
        } else {
            ++summary.m_nSkipped;
        }
    }
}

size_t AddCollectedFiles(CFileNameList& list, const CCollectedFiles& collected)
{
    list.Reserve(static_cast<size_t>(list.GetItemCount()) + collected.Count());
    size_t added = 0;
    size_t begin = 0;
    for (const auto& [folder, end] : collected.m_aFiles) {
        if (list.AddRow(collected.m_aFolders[folder], std::u16string_view(collected.m_strNames).substr(begin, end - begin)))
            ++added;
        begin = end;
    }
    return added;
}

EDropResult CollectDroppedPaths(const std::vector<std::u16string>& paths, CCollectedFiles& collected,
                                CDropSummary& summary)
{
    // The sub-folder question is asked once, when a folder is among the paths.
    bool includeSubfolders = false;
    for (const std::u16string& path : paths) {
        if (path.empty() || !IsFolder(path)) continue;
        const EPromptAnswer answer =
            GetPromptProvider().AskYesNoCancel(u"是否需要将子文件夹中文件加入到当前列表？", u"是否需要包含子文件夹");
        if (answer == EPromptAnswer::Cancel) return EDropResult::Cancelled;
        includeSubfolders = answer == EPromptAnswer::Yes;
        break;
    }
    // An unreadable folder contributes nothing; it is never listed as if it
    // were a file.
    CollectFiles(paths, includeSubfolders, collected, summary);
    return EDropResult::Done;
}

EDropResult DropPaths(CFileNameList& list, const std::vector<std::u16string>& paths, CDropSummary* summary)
{
    CDropSummary local;
    CDropSummary& result = summary ? *summary : local;
    result = {};
    CCollectedFiles collected;
    if (CollectDroppedPaths(paths, collected, result) == EDropResult::Cancelled) return EDropResult::Cancelled;
    result.m_nAdded = AddCollectedFiles(list, collected);
    return EDropResult::Done;
}

}  // namespace kq
