// The formula engine with the functions of the list row being renamed:
// its file name and folder and their parts, and its position in the list
// and in its folder. These names take precedence over the library.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "formula/engine/TERNBaseStringAnalyse.h"

namespace kq {

class CFileNameStringAnalyse : public CTERNBaseStringAnalyse {
public:
    CFileNameStringAnalyse() = default;
    ~CFileNameStringAnalyse() override = default;

    // Set by the caller before each DoAnalyse.
    std::u16string m_strFileName;  // name with extension, without folder
    std::u16string m_strFilePath;  // folder, without trailing separator
    int m_nIndex = 0;              // 1-based row number
    int m_nCount = 0;              // rows in the list
    int m_nPathIndex = 0;          // 1-based number of the row's folder among the distinct folders
    int m_nIndexOnPath = 0;        // 1-based number of the row within its folder

    // Folder and name joined; empty while the row has no file name.
    std::u16string GetRowFilePath() const override;

protected:
    // 0 computed, 3 wrong argument count, 2 not one of the row functions.
    int GetExtendFunValue(CTERNOperateVar& node) override;
};

// The folder counters of a list, filled row by row from the top: folders are
// compared with ASCII case ignored, numbered in order of first appearance,
// and the rows of each folder counted whether adjacent or not.
class CFolderCounter {
public:
    // Counts one more row in `folder`; gives that folder's number and the
    // row's number within it (both 1-based).
    void Count(std::u16string_view folder, int& pathIndex, int& indexOnPath);
    void Clear();

private:
    std::unordered_map<std::u16string, int> m_mapFolders;  // upper-case folder -> 0-based number
    std::vector<int> m_aCounts;
};

}  // namespace kq
