// What the preview tells about each row before anything moves: the one
// problem a row's new name has, found the way the rename itself would find
// it (the same folder reading, row matching and name-clash rules).
//
// The folders are read once per change of the list's rows; a new name cycle
// checks again only the rows whose name changed, and the clashes only in
// the folders holding such a row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "renamer/safety/RenamePlan.h"

namespace kq {

class CFileNameList;

// A row's problem; the first that applies, in this order, is the row's.
enum class ERowProblem : uint8_t {
    None,
    Failed,     // the page could not compute the name
    Invalid,    // a refused character ("*?:|\/\"<>") or a control character
    Empty,      // nothing left once trailing dots and spaces are dropped
    TooLong,    // longer than a name may be on this file system
    Collision,  // another row of the folder ends under the same name
    Exists,     // a file or folder that stays (not in the list) holds the name
    Hidden,     // a visible file would become a dot file (POSIX)
    Unchanged,  // the new name is the old one (not a problem)
};
inline constexpr size_t kRowProblemKinds = 9;

// "failed", "invalid", "empty", "too-long", "collision", "exists",
// "hidden", "unchanged"; "" for None.
std::string_view RowProblemWord(ERowProblem problem);
// Problems that make a row fail or refuse the run (not Unchanged or Hidden).
inline bool IsBlockingProblem(ERowProblem problem)
{
    return problem != ERowProblem::None && problem != ERowProblem::Unchanged && problem != ERowProblem::Hidden;
}

// The status column's text for a problem before the run ("" for None), e.g.
// "名称重复（第12行）" naming the other row (0-based otherRow, shown from 1).
std::u16string RowProblemText(ERowProblem problem, size_t otherRow = kNoName);

// The file system's rules a name is checked against.
struct CNameRules {
#ifdef _WIN32
    bool m_bLimitInBytes = false;  // 255 UTF-16 units
    bool m_bDotHides = false;      // names beginning with "." are ordinary
#else
    bool m_bLimitInBytes = true;  // 255 bytes of the name as stored
    bool m_bDotHides = true;
#endif
    size_t m_nNameLimit = 255;
};

// The checks that need no folder: Failed, Invalid, Empty, TooLong, then
// Hidden and Unchanged (or None). scratch is a buffer the caller reuses.
ERowProblem NameProblem(std::u16string_view oldName, std::u16string_view newName, bool failed, const CNameRules& rules,
                        std::string& scratch);

class CRowProblems {
public:
    explicit CRowProblems(ENamePolicy policy = DefaultNamePolicy(), CNameRules rules = {});

    // Brings every row's problem up to date with the list: reads the folders
    // again when the rows changed since the last call (or after Invalidate),
    // else checks only the rows whose new name or failure changed.
    void Update(const CFileNameList& list);
    // The disk changed under the list (a rename ran): read the folders again.
    void Invalidate() { m_nRowsVersion = kNever; }

    size_t RowCount() const { return m_aProblem.size(); }
    ERowProblem Problem(size_t row) const { return row < m_aProblem.size() ? m_aProblem[row] : ERowProblem::None; }
    // For a collision, another row that ends under the same name; else kNoName.
    size_t OtherRow(size_t row) const;
    size_t Count(ERowProblem problem) const { return m_aCount[static_cast<size_t>(problem)]; }
    // Rows with a blocking problem, and rows whose name changes without one.
    size_t BlockingCount() const;
    size_t ChangingCount() const { return Count(ERowProblem::None) + Count(ERowProblem::Hidden); }
    // The first row with that problem, or kNoName.
    size_t FirstRow(ERowProblem problem) const;
    // How many rows the last Update checked by name (for tests and the benchmark).
    size_t CheckedLastTime() const { return m_nChecked; }
    // A folder's rows are checked on several threads when each would have at
    // least this many (tests make it small).
    void SetRowsPerThread(size_t rows) { m_nRowsPerThread = rows < 1 ? 1 : rows; }

    // What the confirmation says first: "列表中有3行存在问题：名称重复2行，
    // 表达式出错1行。" over every problem but Unchanged; "" when there is none.
    std::u16string SummaryText() const;

private:
    static constexpr uint64_t kNever = ~uint64_t(0);
    static constexpr uint32_t kNoRow = 0xFFFFFFFFu;
    // A folder's entries in listing order, kept small: an entry that is a
    // row's file is known by the row (its name is the row's old name, equal
    // under the policy); only the others (files not in the list, folders)
    // keep their names.
    struct CFolder {
        std::u16string m_strFolder;
        std::vector<uint32_t> m_aRows;   // its list rows, in list order
        std::vector<uint32_t> m_aOrder;  // entry -> its list row, or kOtherEntry | position in m_others
        CFolderEntries m_others;         // the entries that are no row's file
        std::vector<uint32_t> m_aOtherHash;  // HashName of each of m_others' names under the policy
        bool m_bDirty = true;
    };
    static constexpr uint32_t kOtherEntry = 0x80000000u;
    // A folder's entries as ForEachNameClash sees them.
    struct CFolderView;
    void ReadFolders(const CFileNameList& list);
    // Checks by name the rows whose new name or failure changed; returns how many.
    size_t CheckNames(const CFileNameList& list, const std::vector<uint32_t>& rows);
    void CheckClashes(const CFileNameList& list, const CFolder& folder);

    ENamePolicy m_ePolicy;
    CNameRules m_rules;
    uint64_t m_nRowsVersion = kNever;
    std::vector<CFolder> m_aFolders;
    std::vector<uint64_t> m_aNameHash;        // per row: its new name and failure, as last checked
    std::vector<ERowProblem> m_aNameProblem;  // per row: NameProblem's answer
    std::vector<uint32_t> m_aAfterHash;       // per row: HashName of the name it is stored under
    std::vector<ERowProblem> m_aProblem;      // per row: the answer
    std::vector<uint32_t> m_aOther;           // per row: a collision's other row
    std::array<size_t, kRowProblemKinds> m_aCount{};
    size_t m_nChecked = 0;
    size_t m_nRowsPerThread = 16384;
};

}  // namespace kq
