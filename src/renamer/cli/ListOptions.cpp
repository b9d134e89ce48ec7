#include "renamer/cli/ListOptions.h"

#include <filesystem>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"

namespace kq::cli {

bool BuildFileList(const std::vector<std::string>& paths, bool recursive, CFileNameList& list, std::string& error)
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
    for (const auto& path : absolute) {
        if (!IsFolder(path)) {
            list.AddFile(path);
            continue;
        }
        // Gathered compactly first, so that the list makes room once.
        std::vector<std::u16string> folders;
        std::u16string names;
        std::vector<std::pair<size_t, size_t>> files;  // folder index, end of the name
        CFileNameList::CollectFolderFiles(path, recursive, [&](std::u16string_view folder, std::u16string_view name) {
            if (folders.empty() || folders.back() != folder) folders.emplace_back(folder);
            names.append(name);
            files.emplace_back(folders.size() - 1, names.size());
        });
        list.Reserve(static_cast<size_t>(list.GetItemCount()) + files.size());
        size_t begin = 0;
        for (const auto& [folder, end] : files) {
            list.AddRow(folders[folder], std::u16string_view(names).substr(begin, end - begin));
            begin = end;
        }
    }
    return true;
}

}  // namespace kq::cli
