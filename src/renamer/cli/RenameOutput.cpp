#include "renamer/cli/RenameOutput.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RowProblems.h"

namespace kq::cli {

namespace {

bool IsUtf8(std::string_view bytes)
{
    // A name is valid UTF-8 exactly when it reads back to itself.
    for (unsigned char c : bytes)
        if (c >= 0x80) return ToUtf8(FromUtf8(bytes)) == bytes;
    return true;
}

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace

void AppendEscapedName(std::string& out, std::string_view bytes)
{
    static constexpr auto kNeeds = [] {
        std::array<char, 256> table{};
        for (int c = 0; c < 0x20; ++c) table[c] = 1;
        table[0x7F] = 1;
        table['\\'] = 1;
        return table;
    }();
    size_t plain = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        // Eight bytes at a time while none needs an escape.
        for (uint64_t word; i + 8 <= bytes.size(); i += 8) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if (WordHasByteBelow(word, 0x20) || WordHasByte(word, 0x7F) || WordHasByte(word, '\\')) break;
        }
        if (i >= bytes.size()) break;
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (!kNeeds[c]) continue;
        out.append(bytes.substr(plain, i - plain));
        plain = i + 1;
        out += '\\';
        switch (c) {
        case '\\': out += '\\'; break;
        case '\t': out += 't'; break;
        case '\n': out += 'n'; break;
        case '\r': out += 'r'; break;
        case '\a': out += 'a'; break;
        case '\b': out += 'b'; break;
        case '\f': out += 'f'; break;
        case '\v': out += 'v'; break;
        default:
            out += char('0' + (c >> 6));
            out += char('0' + ((c >> 3) & 7));
            out += char('0' + (c & 7));
        }
    }
    out.append(bytes.substr(plain));
}

COldNames::COldNames(const CFileNameList& list)
{
    const size_t count = static_cast<size_t>(list.GetItemCount());
    m_aEnds.reserve(count);
    m_strText.reserve(count * 16);
    for (size_t r = 0; r < count; ++r) {
        AppendNativeName(m_strText, list.GetText(static_cast<int>(r), kColOldName));
        m_aEnds.push_back(m_strText.size());
    }
}

std::string_view COldNames::Get(size_t row) const
{
    size_t begin = row == 0 ? 0 : m_aEnds[row - 1];
    return std::string_view(m_strText).substr(begin, m_aEnds[row] - begin);
}

std::string RowsText(const CFileNameList& list, const COldNames* oldNames, bool withStatus, bool json,
                     const CRowProblems* problems)
{
    std::string out;
    out.reserve(static_cast<size_t>(list.GetItemCount()) * 64);
    CJsonWriter writer;
    if (json) writer.BeginObject().Key("rows").BeginArray();
    // After a rename, why each failed row failed.
    std::vector<const char*> reasonOfRow;
    if (withStatus && json) {
        static const char* const kKeys[] = {"refused", "too-long", "vanished", "name-taken"};
        reasonOfRow.assign(static_cast<size_t>(list.GetItemCount()), nullptr);
        for (const CRowFailure& failure : list.LastSummary().m_aFailures)
            if (failure.m_nRow < reasonOfRow.size())
                reasonOfRow[failure.m_nRow] = kKeys[static_cast<size_t>(failure.m_eReason)];
    }
    // Rows of one folder share its text: convert it once per run of rows.
    const std::u16string* lastFolder = nullptr;
    std::string folder;
    std::string escapedFolder;
    std::string oldName;
    std::string newName;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        oldName.clear();
        if (oldNames)
            oldName = oldNames->Get(static_cast<size_t>(r));
        else
            AppendNativeName(oldName, list.GetText(r, kColOldName));
        newName.clear();
        AppendNativeName(newName, list.GetText(r, kColNewName));
        if (&list.GetText(r, kColFolder) != lastFolder) {
            lastFolder = &list.GetText(r, kColFolder);
            folder = ToNativeName(*lastFolder);
            escapedFolder.clear();
            if (!json) AppendEscapedName(escapedFolder, folder);
        }
        const std::u16string& statusText = list.GetText(r, kColStatus);
        const std::string status = statusText == kStatusDone ? "已处理" : statusText == kStatusPending ? "未处理" : ToUtf8(statusText);
        if (json) {
            writer.BeginObject().Field("old", FromNativeName(oldName)).Field("new", FromNativeName(newName));
            writer.Field("folder", FromNativeName(folder)).Field("status", status);
            if (!reasonOfRow.empty() && reasonOfRow[static_cast<size_t>(r)] && statusText == kStatusPending)
                writer.Field("reason", reasonOfRow[static_cast<size_t>(r)]);
            // Names that are no UTF-8 also come as their bytes.
            const std::pair<const char*, const std::string*> raw[] = {
                {"old_hex", &oldName}, {"new_hex", &newName}, {"folder_hex", &folder}};
            for (const auto& [key, bytes] : raw)
                if (!IsUtf8(*bytes)) writer.Field(key, Hex(*bytes));
            if (problems) {
                const ERowProblem problem = problems->Problem(size_t(r));
                if (problem == ERowProblem::None)
                    writer.Key("problem").Null();
                else
                    writer.Field("problem", RowProblemWord(problem));
                if (problem == ERowProblem::Collision) writer.Field("problem_row", problems->OtherRow(size_t(r)));
            }
            writer.EndObject();
        } else {
            if (r > 0) out += '\n';
            AppendEscapedName(out, oldName);
            out += '\t';
            AppendEscapedName(out, newName);
            out += '\t';
            out += escapedFolder;
            if (withStatus) {
                out += '\t';
                out += status;
            }
            // An unchanged row is no problem: its line stays as it was.
            const ERowProblem problem = problems ? problems->Problem(size_t(r)) : ERowProblem::None;
            if (problem != ERowProblem::None && problem != ERowProblem::Unchanged) {
                out += '\t';
                out += RowProblemWord(problem);
            }
        }
    }
    if (json) return writer.EndArray().EndObject().Text();
    return out;
}

}  // namespace kq::cli
