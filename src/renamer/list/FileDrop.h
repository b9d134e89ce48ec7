// Files and folders dropped on the list (or named on the command line).
// Qt-free: the rules of the drop live beside the list, not in a widget.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kq {

class CFileNameList;
class IFolderReadWatcher;

enum class EDropResult {
    Done,       // everything collected was offered to AddFile
    Cancelled,  // "取消" at the sub-folder question: nothing added
};

struct CDropSummary {
    size_t m_nAdded = 0;      // rows added
    std::vector<std::u16string> m_aUnreadable;  // folders (sub-folders too) that could not be read
    size_t m_nSkipped = 0;    // paths that are neither file nor folder
};

// For each path in order: a folder contributes its files (and, when the
// user answers "是" to the sub-folder question asked at the first folder,
// those of its sub-folders); anything else that exists is a file. Paths that
// do not exist are skipped. After all items the collected paths are added in
// collection order (duplicates are skipped by the list).
EDropResult DropPaths(CFileNameList& list, const std::vector<std::u16string>& paths, CDropSummary* summary = nullptr);

// Files gathered compactly (each folder's text once, the names one after
// another), so that a list of 100,000 files makes room once and builds no
// path per file.
struct CCollectedFiles {
    std::vector<std::u16string> m_aFolders;
    std::u16string m_strNames;
    std::vector<std::pair<size_t, size_t>> m_aFiles;  // folder index, end of the name
    size_t Count() const { return m_aFiles.size(); }
};

// The collection without the question: every folder of paths contributes its
// files (its sub-folders' with includeSubfolders), anything else that exists
// is a file. A watcher is told of every folder read.
void CollectFiles(const std::vector<std::u16string>& paths, bool includeSubfolders, CCollectedFiles& collected,
                  CDropSummary& summary, IFolderReadWatcher* watcher = nullptr);
// Adds them in collection order; returns the rows added.
size_t AddCollectedFiles(CFileNameList& list, const CCollectedFiles& collected);

// The two halves of DropPaths, so that a view can ask the question before it
// starts changing the list: the files to add (or EDropResult::Cancelled),
// then AddCollectedFiles.
EDropResult CollectDroppedPaths(const std::vector<std::u16string>& paths, CCollectedFiles& collected,
                                CDropSummary& summary);

}  // namespace kq
