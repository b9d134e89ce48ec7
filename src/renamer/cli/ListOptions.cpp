#include "renamer/cli/ListOptions.h"

#include <filesystem>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/list/FileDrop.h"
#include "renamer/list/FileNameList.h"

namespace kq::cli {

bool BuildFileList(const std::vector<std::string>& paths, bool recursive, CFileNameList& list, std::string& error,
                   size_t* unreadable, IFolderReadWatcher* watcher)
{
    std::vector<std::u16string> absolute;
    for (const auto& p : paths) {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(std::filesystem::u8path(p), ec).lexically_normal();
#ifdef _WIN32
        std::u16string path = full.u16string();
#else
        std::u16string path = FromNativeName(full.string());  // any bytes, as the folder holds them
#endif
        if (ec || !PathExists(path)) {
            error = "找不到文件或文件夹：" + p;
            return false;
        }
        absolute.push_back(std::move(path));
    }
    CCollectedFiles files;
    CDropSummary summary;
    CollectFiles(absolute, recursive, files, summary, watcher);
    AddCollectedFiles(list, files);
    // The rest of the list is still worked on; the caller's exit code tells.
    for (const std::u16string& folder : summary.m_aUnreadable)
        PrintErr("kqtools-cli: 无法读取文件夹，其中的文件没有列入：" + ToNativeName(folder));
    if (unreadable) *unreadable = summary.m_aUnreadable.size();
    return true;
}

}  // namespace kq::cli
