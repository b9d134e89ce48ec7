// The file list the way `rename` builds it from its PATH arguments, for the
// subcommands that work on the same list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kq {
class CFileNameList;
class IFolderReadWatcher;
}

namespace kq::cli {

// Checks every path first (nothing is added when one is missing: error says
// which), then adds files and the files of folders (with recursive, their
// sub-folders too) in argument order. A folder that cannot be read is
// reported on stderr and counted in *unreadable; the others are listed.
// A watcher is told of every folder read.
bool BuildFileList(const std::vector<std::string>& paths, bool recursive, CFileNameList& list, std::string& error,
                   size_t* unreadable = nullptr, IFolderReadWatcher* watcher = nullptr);

}  // namespace kq::cli
