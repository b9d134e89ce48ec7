#include "renamer/safety/RenameHistory.h"

#include <charconv>
#include <random>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr std::string_view kHeader = "KQTOOLS-RENAME-HISTORY 1\n";
constexpr std::string_view kJournalHeader = "KQTOOLS-RENAME-JOURNAL 1\n";
constexpr std::u16string_view kSuffix = u".kqhistory";
constexpr std::u16string_view kGapSuffix = u".kqgap";
constexpr std::u16string_view kPrefix = u"run-";
constexpr size_t kNumberDigits = 16;
constexpr int64_t kStalePartSeconds = 24 * 60 * 60;

template <class T>
bool ParseNumber(std::string_view text, T& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

void AppendNumber(std::string& out, uint64_t value)
{
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The number of a record named "run-<digits>.kqhistory" (or, with suffix,
// of a mark of an unrecorded run); false for any other name.
bool RecordNumber(std::u16string_view path, uint64_t& number, std::u16string_view suffix = kSuffix)
{
    const size_t slash = path.find_last_of(kPathSeparator);
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    if (name.size() != kPrefix.size() + kNumberDigits + suffix.size() || name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(name.size() - suffix.size()) != suffix)
        return false;
    number = 0;
    for (char16_t c : name.substr(kPrefix.size(), kNumberDigits)) {
        if (!IsAsciiDigit(c)) return false;
        number = number * 10 + static_cast<uint64_t>(c - u'0');
    }
    return true;
}

std::u16string RecordName(uint64_t number, std::u16string_view suffix = kSuffix)
{
    std::u16string digits = FormatInt(static_cast<long long>(number));
    if (digits.size() < kNumberDigits) digits.insert(0, kNumberDigits - digits.size(), u'0');
    return std::u16string(kPrefix) + digits + std::u16string(suffix);
}

// The marks of runs that could not be recorded, "run-<digits>.kqgap", with
// their numbers, oldest first.
std::vector<std::pair<uint64_t, std::u16string>> FindGaps(const std::u16string& folder)
{
    std::vector<std::pair<uint64_t, std::u16string>> gaps;
    for (auto& path : FindFilesBySuffix(folder, kGapSuffix)) {
        uint64_t n = 0;
        if (RecordNumber(path, n, kGapSuffix)) gaps.emplace_back(n, std::move(path));
    }
    return gaps;
}

// The number after every record's and every mark's.
uint64_t NextNumber(const std::u16string& journalFolder)
{
    uint64_t number = 0;
    for (const auto& path : FindHistoryRecords(journalFolder)) {
        uint64_t n = 0;
        if (RecordNumber(path, n) && n >= number) number = n + 1;
    }
    for (const auto& gap : FindGaps(HistoryFolder(journalFolder)))
        if (gap.first >= number) number = gap.first + 1;
    return number;
}

// A fresh working name for a record being written.
std::u16string PartPath(const std::u16string& folder)
{
    std::random_device device;
    for (;;) {
        std::u16string path =
            JoinPath(folder, u"record-" + FormatInt(static_cast<long long>(device() % 1000000000u)) + u".part");
        if (!PathExists(path)) return path;
    }
}

}  // namespace

size_t CHistoryRun::Count() const
{
    size_t count = 0;
    for (const auto& folder : m_aFolders) count += folder.m_aMoves.size();
    return count;
}

std::u16string HistoryFolder(const std::u16string& journalFolder)
{
    return JoinPath(journalFolder.empty() ? DefaultJournalFolder() : journalFolder, u"history");
}

std::string FormatHistoryRecord(const CHistoryRun& run)
{
    std::string out(kHeader);
    out += "R\t";
    out += std::to_string(run.m_nTime);
    out += '\n';
    for (const CFileId& id : run.m_aFolderIds) {
        out += "F\t";
        AppendNumber(out, id.m_nDevice);
        out += '\t';
        AppendNumber(out, id.m_nNode);
        out += '\n';
    }
    out += FormatJournal(run.m_aFolders);
    return out;
}

namespace {

// A record's lines before its journal, then the journal itself, in pieces.
class CHistoryParser {
public:
    explicit CHistoryParser(CHistoryRun& run) : m_run(run), m_journal(run.m_aFolders)
    {
        m_run.m_aFolders.clear();
        m_run.m_aFolderIds.clear();
    }
    bool Feed(std::string_view bytes)
    {
        while (m_bGood && !m_bInJournal && !bytes.empty()) {
            const size_t end = bytes.find('\n');
            if (end == std::string_view::npos) {
                m_bGood = m_strPartial.size() + bytes.size() <= kMaxJournalLine;
                if (m_bGood) m_strPartial.append(bytes);
                return m_bGood;
            }
            m_strPartial.append(bytes.substr(0, end + 1));
            bytes.remove_prefix(end + 1);
            m_bGood = Line(m_strPartial);
            m_strPartial.clear();
        }
        return m_bGood && (bytes.empty() || m_journal.Feed(bytes));
    }
    bool Finish()
    {
        if (!m_bGood || !m_bInJournal || !m_bTimed || !m_journal.Finish()) return false;
        // Every folder has its identity and at least one move; a history
        // never parks a file.
        if (m_run.m_aFolders.empty() || m_run.m_aFolders.size() != m_run.m_aFolderIds.size()) return false;
        for (const auto& folder : m_run.m_aFolders) {
            if (folder.m_aMoves.empty()) return false;
            for (const auto& move : folder.m_aMoves)
                if (!move.m_strTemp.empty()) return false;
        }
        return true;
    }

private:
    // One line with its line feed.
    bool Line(std::string_view line)
    {
        if (!m_bHeader) return m_bHeader = line == kHeader;
        if (line == kJournalHeader) {
            m_bInJournal = true;
            return m_journal.Feed(line);
        }
        line.remove_suffix(1);
        if (line.substr(0, 2) == "R\t" && !m_bTimed) return m_bTimed = ParseNumber(line.substr(2), m_run.m_nTime);
        if (line.substr(0, 2) != "F\t") return false;
        const size_t tab = line.find('\t', 2);
        CFileId id;
        if (tab == std::string_view::npos || !ParseNumber(line.substr(2, tab - 2), id.m_nDevice) ||
            !ParseNumber(line.substr(tab + 1), id.m_nNode))
            return false;
        m_run.m_aFolderIds.push_back(id);
        return true;
    }

    CHistoryRun& m_run;
    CJournalParser m_journal;
    std::string m_strPartial;
    bool m_bGood = true;
    bool m_bHeader = false;
    bool m_bTimed = false;
    bool m_bInJournal = false;
};

}  // namespace

bool ParseHistoryRecord(std::string_view text, CHistoryRun& run)
{
    CHistoryParser parser(run);
    return parser.Feed(text) && parser.Finish();
}

EStoredRead ReadHistoryFile(const std::u16string& path, CHistoryRun& run)
{
    run.m_strPath = path;
    CHistoryParser parser(run);
    EStoredRead result = ReadStoredFile(path, [&](std::string_view chunk) { return parser.Feed(chunk); });
    if (result == EStoredRead::Read && !parser.Finish()) result = EStoredRead::Damaged;
    return result;
}

bool ReadHistoryRecord(const std::u16string& path, CHistoryRun& run)
{
    return ReadHistoryFile(path, run) == EStoredRead::Read;
}

bool RecordRenameHistory(const std::u16string& journalFolder, std::string_view doneJournal)
{
    if (doneJournal.substr(0, kJournalHeader.size()) != kJournalHeader) return false;
    // The header, then each folder's identity: only the folder lines are
    // read back, the moves go in as they are.
    std::string text(kHeader);
    text += "R\t" + std::to_string(CurrentTime()) + "\n";
    for (size_t pos = kJournalHeader.size(); pos < doneJournal.size();) {
        size_t end = doneJournal.find('\n', pos);
        if (end == std::string_view::npos) return false;
        if (doneJournal.substr(pos, 2) == "D\t") {
            std::vector<CJournalFolder> folder;
            CFileId id;  // stays 0 when the folder is gone: undo then leaves its files
            if (!ParseJournal(std::string(kJournalHeader) + std::string(doneJournal.substr(pos, end + 1 - pos)),
                              folder))
                return false;
            GetFileId(folder[0].m_strFolder, true, id);
            text += "F\t";
            AppendNumber(text, id.m_nDevice);
            text += '\t';
            AppendNumber(text, id.m_nNode);
            text += '\n';
        }
        pos = end + 1;
    }

    const std::u16string folder = HistoryFolder(journalFolder);
    if (!CreateFolder(folder)) return false;
    const std::u16string part = PartPath(folder);
    CDurableFile file;
    bool ok = file.Create(part) && file.Write(text) && file.Write(doneJournal);
    ok = file.Finish() && ok;
    // The next number; a record of a run ending at the same moment takes
    // it first and this one moves on, never replacing it.
    uint64_t number = NextNumber(journalFolder);
    bool published = false;
    constexpr uint64_t kLastNumber = 9999999999999999u;  // kNumberDigits nines
    for (int attempt = 0; ok && !published && attempt < 100 && number <= kLastNumber; ++attempt, ++number)
        published = MoveFileNoReplace(part, JoinPath(folder, RecordName(number)));
    if (!published) {
        RemoveFile(part);
        return false;
    }
    SyncFolder(folder);
    std::vector<std::u16string> records = FindHistoryRecords(journalFolder);
    for (size_t i = 0; i + kHistoryLimit < records.size(); ++i) RemoveFile(records[i]);
    // Marks older than every record kept guard nothing any more.
    uint64_t oldest = 0;
    if (records.size() > kHistoryLimit) records.erase(records.begin(), records.end() - kHistoryLimit);
    if (!records.empty() && RecordNumber(records.front(), oldest))
        for (const auto& gap : FindGaps(folder))
            if (gap.first < oldest) RemoveFile(gap.second);
    // Working files of writers killed long ago.
    for (const auto& stale : FindFilesBySuffix(folder, u".part")) {
        CFileTimes times;
        if (GetFileTimes(stale, times) && times.m_nModification + kStalePartSeconds < CurrentTime()) RemoveFile(stale);
    }
    return true;
}

bool MarkUnrecordedRun(const std::u16string& journalFolder)
{
    // An empty file: it needs no free block, where a full disk has none.
    const std::u16string folder = HistoryFolder(journalFolder);
    return CreateFolder(folder) && WriteFileBytes(JoinPath(folder, RecordName(NextNumber(journalFolder), kGapSuffix)), "", true) &&
           SyncFolder(folder);
}

std::u16string NewestUnrecordedRun(const std::u16string& journalFolder)
{
    const auto gaps = FindGaps(HistoryFolder(journalFolder));
    if (gaps.empty()) return {};
    const std::vector<std::u16string> records = FindHistoryRecords(journalFolder);
    uint64_t newest = 0;
    if (!records.empty() && RecordNumber(records.back(), newest) && newest > gaps.back().first) return {};
    return gaps.back().second;
}

bool RewriteHistoryRecord(const CHistoryRun& run) { return ReplaceFileAtomic(run.m_strPath, FormatHistoryRecord(run)); }

std::vector<std::u16string> FindHistoryRecords(const std::u16string& journalFolder)
{
    // Only names of our own: their fixed width makes name order run order.
    std::vector<std::u16string> records = FindFilesBySuffix(HistoryFolder(journalFolder), kSuffix);
    std::erase_if(records, [](const std::u16string& path) {
        uint64_t number = 0;
        return !RecordNumber(path, number);
    });
    return records;
}

bool HasRenameHistory(const std::u16string& journalFolder) { return !FindHistoryRecords(journalFolder).empty(); }

std::vector<CHistoryRun> ListRenameHistory(const std::u16string& journalFolder, std::vector<CDamagedRecord>& damaged)
{
    const std::vector<std::u16string> records = FindHistoryRecords(journalFolder);
    std::vector<CHistoryRun> runs;
    for (size_t i = records.size(); i-- > 0;) {
        CHistoryRun run;
        switch (ReadHistoryFile(records[i], run)) {
        case EStoredRead::Read: runs.push_back(std::move(run)); break;
        case EStoredRead::Damaged: damaged.push_back({records[i], SetAsideJournal(records[i])}); break;
        case EStoredRead::Unreadable: damaged.push_back({records[i], {}}); break;
        }
    }
    return runs;
}

}  // namespace kq
