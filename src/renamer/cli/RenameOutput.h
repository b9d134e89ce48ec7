// The rows of kqtools-cli rename as text: plain lines or JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq {
class CFileNameList;
class CRowProblems;
}

namespace kq::cli {

// A name in plain output: its file-system bytes, with backslash and control
// characters escaped as C escapes (\t, \n, \\, \ooo), so that a name holding
// a tab or a line feed stays one field of one line.
void AppendEscapedName(std::string& out, std::string_view bytes);

// The old names of the rows, kept in their file-system bytes one after
// another: after the rename the list holds only the new ones.
class COldNames {
public:
    explicit COldNames(const CFileNameList& list);
    std::string_view Get(size_t row) const;

private:
    std::string m_strText;
    std::vector<size_t> m_aEnds;
};

// The rows as text; oldNames, when given, replaces column 0 (which holds the
// new names once the files are renamed). Plain lines are tab-separated
// escaped names; JSON is UTF-8, and a name that is not valid UTF-8 gets an
// extra field ("old_hex", "new_hex", "folder_hex") with its bytes in hex.
// With problems (a preview), JSON rows end with "problem" (its word or
// null) and, for a collision, "problem_row"; plain lines get the word of a
// blocking or hidden problem as a fourth field.
std::string RowsText(const CFileNameList& list, const COldNames* oldNames, bool withStatus, bool json,
                     const CRowProblems* problems = nullptr);

}  // namespace kq::cli
