// The planner in memory: fixed cases, and random rows over random folders
// whose plans are carried out on a set of names.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenamePlan.h"

namespace kq {
namespace {

using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

// Entries in order, nodes 100, 101, ...; a trailing "/" marks a folder.
CFolderEntries Entries(const std::vector<std::u16string>& names)
{
    CFolderEntries entries;
    uint64_t node = 100;
    for (const auto& name : names) {
        const bool folder = !name.empty() && name.back() == u'/';
        entries.Add(folder ? std::u16string_view(name).substr(0, name.size() - 1) : std::u16string_view(name), folder, node++);
    }
    return entries;
}

std::vector<CPlanRow> PlanRows(const Rows& rows)
{
    std::vector<CPlanRow> planRows;
    for (size_t r = 0; r < rows.size(); ++r) planRows.push_back({r, rows[r].first, rows[r].second});
    return planRows;
}

// The moves of one job in the order they run; "~" stands for the parking name.
std::vector<std::pair<std::u16string, std::u16string>> JobMoves(const CFolderPlan& plan, const CPlanJob& job)
{
    const CNativeNames& names = plan.Names();
    const CJobSteps steps = plan.StepsOf(job);
    std::vector<std::pair<std::u16string, std::u16string>> moves;
    if (!job.IsCycle()) {
        for (size_t s = 0; s < job.m_nCount; ++s) moves.emplace_back(names.Name(steps[s].m_nOld), names.Name(steps[s].New()));
        return moves;
    }
    moves.emplace_back(names.Name(steps[0].m_nOld), names.Name(job.m_nTemp));
    for (size_t s = 1; s < job.m_nCount; ++s) moves.emplace_back(names.Name(steps[s].m_nOld), names.Name(steps[s].New()));
    moves.emplace_back(names.Name(job.m_nTemp), names.Name(steps[0].New()));
    return moves;
}

// "a>b b>c | x>~ y>x ~>y": jobs in order, each a cycle's parking name as "~".
std::string Render(const CFolderPlan& plan)
{
    std::string out;
    for (const CPlanJob& job : plan.Jobs()) {
        if (!out.empty()) out += " | ";
        const std::u16string temp = job.IsCycle() ? plan.Names().Name(job.m_nTemp) : u"";
        std::string moves;
        for (const auto& [from, to] : JobMoves(plan, job)) {
            if (!moves.empty()) moves += ' ';
            moves += (from == temp ? "~" : ToUtf8(from)) + ">" + (to == temp ? "~" : ToUtf8(to));
        }
        out += moves;
    }
    return out;
}

std::string RowPlans(const CFolderPlan& plan)
{
    std::string out;
    for (size_t r = 0; r < plan.Rows().size(); ++r)
        out += plan.RowPlan(r) == ERowPlan::Moves ? 'M' : plan.RowPlan(r) == ERowPlan::Unchanged ? 'U' : 'R';
    return out;
}

std::vector<std::u16string> ParkingNames(const CFolderPlan& plan)
{
    std::vector<std::u16string> names;
    for (const CPlanJob& job : plan.Jobs())
        if (job.IsCycle()) names.push_back(plan.Names().Name(job.m_nTemp));
    return names;
}

const std::u16string kTmp0 = u"[kqt_tmp]+[name_0].kq-tmp";
const std::u16string kTmp1 = u"[kqt_tmp]+[name_1].kq-tmp";
const std::u16string kTmp2 = u"[kqt_tmp]+[name_2].kq-tmp";

TEST(RenamePlan, OrdersChainsAndCyclesAndRefusesWhatCannotMove)
{
    const ENamePolicy exact = ENamePolicy::ExactCase, insensitive = ENamePolicy::AsciiCaseInsensitive;
    struct Case {
        const char* what;
        ENamePolicy policy;
        std::vector<std::u16string> entries;
        Rows rows;
        std::string collision;  // the name reported, or empty
        std::string rowPlans;   // per row: M moves, U unchanged, R refused
        std::string jobs;
        std::vector<std::u16string> parking;
    } cases[] = {
        {"chain runs from its free end", exact, {u"a", u"b", u"c"}, {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"d"}}, "", "MMM",
         "c>d b>c a>b", {}},
        {"swap", exact, {u"a", u"b"}, {{u"a", u"b"}, {u"b", u"a"}}, "", "MM", "a>~ b>a ~>b", {kTmp0}},
        {"rotation", exact, {u"a", u"b", u"c"}, {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"a"}}, "", "MMM",
         "a>~ c>a b>c ~>b", {kTmp0}},
        {"jobs run in node order", exact, {u"y", u"x"}, {{u"x", u"x2"}, {u"y", u"y2"}}, "", "MM", "y>y2 | x>x2", {}},
        {"target held by a file outside the list", exact, {u"a", u"x"}, {{u"a", u"x"}}, "x", "M", "", {}},
        {"target held by a folder", exact, {u"a", u"b", u"sub/"}, {{u"a", u"b"}, {u"b", u"sub"}}, "", "MM", "", {}},
        {"case only, exact", exact, {u"a.txt"}, {{u"a.txt", u"A.txt"}}, "", "M", "a.txt>A.txt", {}},
        {"case only, insensitive", insensitive, {u"a.txt"}, {{u"a.txt", u"A.txt"}}, "", "M", "a.txt>~ ~>A.txt", {kTmp0}},
        {"swap through case, insensitive", insensitive, {u"a", u"b"}, {{u"a", u"B"}, {u"b", u"A"}}, "", "MM",
         "a>~ b>A ~>B", {kTmp0}},
        {"names differing in case collide, insensitive", insensitive, {u"a", u"b"}, {{u"a", u"n"}, {u"b", u"N"}}, "N",
         "MM", "", {}},
        {"two rows to one name", exact, {u"a", u"b"}, {{u"a", u"n"}, {u"b", u"n"}}, "n", "MM", "", {}},
        {"a file listed twice moves once", exact, {u"a"}, {{u"a", u"b"}, {u"a", u"c"}}, "", "MR", "a>b", {}},
        {"unchanged row holds its name", exact, {u"a", u"b"}, {{u"a", u"b"}, {u"b", u"b"}}, "b", "MU", "", {}},
        {"trailing dots and spaces", exact, {u"a", u"c"}, {{u"a", u"a."}, {u"c", u"d. "}}, "", "UM", "c>d", {}},
        {"unusable names and missing files", exact, {u"a", u"b", u"sub/"},
         {{u"a", u""}, {u"b", u".."}, {u"gone", u"z"}, {u"sub", u"s2"}}, "", "RRRR", "", {}},
        {"parking names skip entries", exact, {u"a", u"b", kTmp0, kTmp1}, {{u"a", u"b"}, {u"b", u"a"}}, "", "MM",
         "a>~ b>a ~>b", {kTmp2}},
        {"parking names skip entries in any case", insensitive, {u"a", u"b", u"[KQT_TMP]+[NAME_0].KQ-TMP"},
         {{u"a", u"b"}, {u"b", u"a"}}, "", "MM", "a>~ b>a ~>b", {kTmp1}},
        {"parking names skip new names", exact, {u"a", u"b", u"c"}, {{u"a", u"b"}, {u"b", u"a"}, {u"c", kTmp0}}, "",
         "MMM", "a>~ b>a ~>b | c>" + ToUtf8(kTmp0), {kTmp1}},
        {"parking names skip each other", exact, {u"a", u"b", u"c", u"d", kTmp0},
         {{u"a", u"b"}, {u"c", u"d"}, {u"b", u"a"}, {u"d", u"c"}}, "", "MMMM", "a>~ b>a ~>b | c>~ d>c ~>d", {kTmp1, kTmp2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFolderPlan plan(c.policy, u"/f", Entries(c.entries), PlanRows(c.rows));
        plan.MatchRows();
        EXPECT_EQ(RowPlans(plan), c.rowPlans);
        std::optional<std::u16string> collision = plan.FindCollision();
        EXPECT_EQ(collision ? ToUtf8(*collision) : "", c.collision);
        if (collision) continue;
        plan.PlanMoves();
        EXPECT_EQ(Render(plan), c.jobs);
        EXPECT_EQ(ParkingNames(plan), c.parking);
    }
}

TEST(RenamePlan, JournalRecordsEveryMoveAndParkingName)
{
    // The plan's rows are views: the names must outlive it.
    const Rows rows = {{u"a", u"b"}, {u"b", u"a"}, {u"c", u"d"}};
    CFolderPlan plan(ENamePolicy::ExactCase, u"/f", Entries({u"a", u"b", u"c"}), PlanRows(rows));
    plan.MatchRows();
    std::string text;
    AppendJournalHeader(text);
    plan.AppendJournalMoves(text);
    plan.PlanMoves();
    plan.AppendJournalTemps(text);
    std::vector<CJournalFolder> folders;
    ASSERT_TRUE(ParseJournal(text, folders));
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].m_strFolder, u"/f");
    ASSERT_EQ(folders[0].m_aMoves.size(), 3u);
    const CJournalMove& a = folders[0].m_aMoves[0];
    EXPECT_EQ(a.m_nNode, 100u);
    EXPECT_EQ(a.m_strOld, u"a");
    EXPECT_EQ(a.m_strNew, u"b");
    EXPECT_EQ(a.m_strTemp, kTmp0);
    EXPECT_EQ(folders[0].m_aMoves[1].m_strTemp, u"");
    EXPECT_EQ(folders[0].m_aMoves[2].m_nNode, 102u);
}

// Written in pieces of any size, the moves' records are the whole text:
// each piece goes on where the last stopped, the folder line once.
TEST(RenamePlan, JournalPiecesMakeTheWholeText)
{
    const Rows rows = {{u"a", u"b"}, {u"b", u"a"}, {u"c", u"d"}, {u"e", u"f"}, {u"g", u"h"}};
    const std::u16string folder(300, u'f');  // a folder line longer than some pieces
    CFolderPlan plan(ENamePolicy::ExactCase, u"/" + folder, Entries({u"a", u"b", u"c", u"e", u"g"}), PlanRows(rows));
    plan.MatchRows();
    std::string whole;
    plan.AppendJournalMoves(whole);
    for (size_t limit : {size_t(0), size_t(1), size_t(20), size_t(320), size_t(1) << 20}) {
        SCOPED_TRACE(limit);
        std::string text;
        std::string piece;
        size_t calls = 0;
        for (size_t next = 0; next < plan.Moving().size() && calls < 100; ++calls) {
            next = plan.AppendJournalMoves(piece, next, limit);
            text += piece;
            piece.clear();
        }
        EXPECT_EQ(text, whole);
        EXPECT_LE(calls, plan.Moving().size());
    }
}

// A folder of names as a file system holds them, under a policy.
class CNameSpace {
public:
    explicit CNameSpace(ENamePolicy policy) : m_ePolicy(policy) {}
    void Add(const std::u16string& name, size_t file) { m_map[NameKey(name, m_ePolicy)] = {name, file}; }
    std::optional<size_t> At(std::u16string_view name) const
    {
        auto found = m_map.find(NameKey(name, m_ePolicy));
        if (found == m_map.end() || found->second.first != name) return std::nullopt;
        return found->second.second;
    }
    bool Taken(std::u16string_view name) const { return m_map.count(NameKey(name, m_ePolicy)) != 0; }
    // Fails (false) where a real no-replace move would.
    bool Move(const std::u16string& from, const std::u16string& to)
    {
        std::optional<size_t> file = At(from);
        if (!file || Taken(to)) return false;
        m_map.erase(NameKey(from, m_ePolicy));
        Add(to, *file);
        return true;
    }
    std::map<size_t, std::u16string> NameOfFile() const
    {
        std::map<size_t, std::u16string> names;
        for (const auto& [key, entry] : m_map) names[entry.second] = entry.first;
        return names;
    }

private:
    ENamePolicy m_ePolicy;
    std::map<std::u16string, std::pair<std::u16string, size_t>> m_map;  // key -> (name, file)
};

// Random rows over random folders: every plan that passes the collision
// check runs in order on a set of names, never targets a taken name, puts
// every moving file under its new name unless a file that stays holds up its
// chain, leaves every other file alone, and parks only cycles.
TEST(RenamePlan, RandomPlansRunInOrderOnASetOfNames)
{
    const std::vector<std::u16string> pool = {u"a", u"b", u"c", u"d", u"e", u"A", u"B", u"f.txt", u"F.TXT", kTmp0, kTmp1,
                                              u"[KQT_TMP]+[NAME_2].KQ-TMP", u"g."};
    std::mt19937 random(20261208u);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    size_t planned = 0, cycles = 0, chains = 0, heldUp = 0, collisions = 0;
    const int kCases = 4000;
    for (int c = 0; c < kCases; ++c) {
        const ENamePolicy policy = pick(2) ? ENamePolicy::ExactCase : ENamePolicy::AsciiCaseInsensitive;
        // Entries: distinct under the policy; a few are folders.
        std::vector<std::u16string> entries;
        CNameSpace space(policy);
        for (size_t i = 0, n = 1 + pick(8); i < n; ++i) {
            std::u16string name = pool[pick(pool.size())];
            if (name.back() == u'.' || space.Taken(name)) continue;
            const bool folder = pick(8) == 0;
            space.Add(name, entries.size());
            entries.push_back(folder ? name + u"/" : name);
        }
        if (entries.empty()) continue;
        // Rows: files of the folder (now and then one twice, or one missing)
        // given each other's names or names from the pool.
        Rows rows;
        std::vector<std::u16string> olds;
        for (const auto& e : entries) olds.push_back(e.back() == u'/' ? e.substr(0, e.size() - 1) : e);
        std::shuffle(olds.begin(), olds.end(), random);
        olds.resize(1 + pick(olds.size()));
        if (pick(6) == 0) olds.push_back(olds[pick(olds.size())]);
        if (pick(6) == 0) olds.push_back(u"missing");
        std::vector<std::u16string> news = olds;
        std::shuffle(news.begin(), news.end(), random);
        for (size_t r = 0; r < olds.size(); ++r) {
            const size_t kind = pick(10);
            std::u16string to = kind < 6 ? news[r] : kind < 9 ? pool[pick(pool.size())] : u"";
            rows.emplace_back(olds[r], to);
        }
        SCOPED_TRACE("case " + std::to_string(c));

        CFolderPlan plan(policy, u"/f", Entries(entries), PlanRows(rows));
        plan.MatchRows();
        if (plan.FindCollision()) {
            ++collisions;
            continue;
        }
        plan.PlanMoves();
        ++planned;
        const std::map<size_t, std::u16string> before = space.NameOfFile();
        uint64_t lastNode = 0;
        std::map<size_t, bool> runs;  // plan rows whose job runs
        for (const CPlanJob& job : plan.Jobs()) {
            EXPECT_GE(job.m_nNode, lastNode);
            lastNode = job.m_nNode;
            const auto moves = JobMoves(plan, job);
            // A chain's first target is free; a cycle's moves close on
            // themselves, or the parking name would not be needed.
            const CJobSteps steps = plan.StepsOf(job);
            const CNativeNames& names = plan.Names();
            for (size_t s = 1; s < job.m_nCount; ++s)
                EXPECT_TRUE(NamesEqual(names.Name(steps[s].New()), names.Name(steps[s - 1].m_nOld), policy));
            if (!job.IsCycle()) {
                ++chains;
                EXPECT_FALSE(space.Taken(names.Name(steps[0].New())));
            } else {
                ++cycles;
                EXPECT_TRUE(NamesEqual(names.Name(steps[0].New()), names.Name(steps[job.m_nCount - 1].m_nOld), policy));
            }
            for (const auto& [from, to] : moves) EXPECT_TRUE(space.Move(from, to)) << ToUtf8(from) << " > " << ToUtf8(to);
            for (size_t s = 0; s < job.m_nCount; ++s) runs[steps[s].m_nRow] = true;
        }
        std::map<size_t, std::u16string> after = space.NameOfFile();
        std::map<size_t, bool> moved;  // files
        for (size_t r = 0; r < rows.size(); ++r) {
            const ERowPlan rowPlan = plan.RowPlan(r);
            if (rowPlan != ERowPlan::Moves) {
                EXPECT_FALSE(runs.count(r));
                continue;
            }
            // The row's file, by its node.
            const size_t file = static_cast<size_t>(plan.NodeOfRow(r) - 100);
            if (runs.count(r)) {
                EXPECT_EQ(after[file], StoredFileName(rows[r].second));
                moved[file] = true;
            } else {
                // Held up: a file that stays holds the end of its chain.
                ++heldUp;
                EXPECT_TRUE(space.Taken(StoredFileName(rows[r].second)));
            }
        }
        for (const auto& [file, name] : before)
            if (!moved.count(file)) {
                EXPECT_EQ(after[file], name);
            }
        EXPECT_EQ(after.size(), before.size());
        for (const std::u16string& parking : ParkingNames(plan)) EXPECT_FALSE(space.Taken(parking));
    }
    // The cases cover every shape.
    EXPECT_GT(planned, size_t(kCases / 2));
    EXPECT_GT(collisions, size_t(kCases / 20));
    EXPECT_GT(cycles, size_t(kCases / 20));
    EXPECT_GT(chains, size_t(kCases / 5));
    EXPECT_GT(heldUp, size_t(kCases / 20));
}

}  // namespace
}  // namespace kq
