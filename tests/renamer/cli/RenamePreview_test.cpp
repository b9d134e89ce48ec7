// kqtools-cli rename --dry-run tells each row's problem; --check turns the
// problems into the exit status.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CPreviewFixture {
    CTempDir dir;
    CTempDir config;
    test::CRunResult Run(std::vector<std::string> args) const
    {
        return RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
};

// Sorted by name: a.txt takes a name held by a file not in the list, b.txt
// and c.txt take one name, d.txt fails, e.txt stays, f.txt becomes hidden.
const char* const kFormula =
    "if(exact(ftitle(),\"a\"),\"held\",if(exact(ftitle(),\"b\")+exact(ftitle(),\"c\"),\"same\","
    "if(exact(ftitle(),\"d\"),nosuch(),if(exact(ftitle(),\"e\"),\"e\",if(exact(ftitle(),\"f\"),\"\",ftitle()&\"1\")))))";

TEST(CliRenamePreview, DryRunNamesEachRowsProblem)
{
    CPreviewFixture f;
    for (const char16_t* n : {u"a.txt", u"b.txt", u"c.txt", u"d.txt", u"e.txt", u"f.txt", u"g.txt"})
        f.dir.MakeFile(n, "x");
    f.dir.MakeFolder(u"sub");
    f.dir.MakeFile(u"sub/held.txt");
    f.dir.MakeFile(u"held.txt");
    const std::string d = f.dir.NativePath();
    std::vector<std::string> args = {"rename", "--dry-run", "--mode",    "formula",
                                     "--sort", "name",      "--formula", kFormula};
    for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt", "g.txt"}) args.push_back(d + "/" + n);

    auto plain = f.Run(args);
    EXPECT_EQ(plain.m_nExitCode, 0) << plain.m_strErr;
    const std::string folder = "\t" + test::BackslashesDoubled(d);
#ifdef _WIN32
    const std::string hidden;  // dot names hide nothing there
#else
    const std::string hidden = "\thidden";
#endif
    EXPECT_EQ(plain.m_strOut, "a.txt\theld.txt" + folder + "\texists\n" + "b.txt\tsame.txt" + folder + "\tcollision\n" +
                                  "c.txt\tsame.txt" + folder + "\tcollision\n" + "d.txt\t.txt" + folder + "\tfailed\n" +
                                  "e.txt\te.txt" + folder + "\n" + "f.txt\t.txt" + folder + hidden + "\n" +
                                  "g.txt\tg1.txt" + folder + "\n");

    args.insert(args.begin() + 1, "--json");
    auto json = f.Run(args);
    EXPECT_EQ(json.m_nExitCode, 0) << json.m_strErr;
    const std::string problems[] = {
        R"("old":"a.txt","new":"held.txt",)", R"("problem":"exists"})",
        R"("old":"b.txt","new":"same.txt",)", R"("problem":"collision","problem_row":2})",
        R"("old":"c.txt","new":"same.txt",)", R"("problem":"collision","problem_row":1})",
        R"("old":"d.txt","new":".txt",)",     R"("problem":"failed"})",
        R"("old":"e.txt","new":"e.txt",)",    R"("problem":"unchanged"})",
        R"("old":"g.txt","new":"g1.txt",)",   R"("problem":null})",
    };
    size_t at = 0;
    for (const std::string& piece : problems) {
        at = json.m_strOut.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece << " in " << json.m_strOut;
    }
    // Nothing was renamed.
    EXPECT_EQ(f.dir.List().size(), 9u);
}

TEST(CliRenamePreview, CheckFailsOnlyOnProblemsThatStopARow)
{
    CPreviewFixture f;
    f.dir.MakeFile(u"a.txt");
    f.dir.MakeFile(u"b.txt");
    const std::string d = f.dir.NativePath();
    struct Case {
        const char* what;
        std::vector<std::string> mode;
        int exitCode;
    } cases[] = {
        {"names that change", {"--name", "<原文件名>_1"}, 0},
        {"unchanged names", {"--name", "<原文件名>"}, 0},
        {"a dot name", {"--mode", "formula", "--formula", "\"\""}, 1},  // both rows end as ".txt": a collision
        {"a formula error", {"--mode", "formula", "--formula", "nosuch()"}, 1},
        {"a refused character", {"--name", "a?<原文件名>"}, 1},
        {"two rows, one name", {"--name", "x"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"rename", "--dry-run", "--check"};
        args.insert(args.end(), c.mode.begin(), c.mode.end());
        args.push_back(d);
        auto r = f.Run(args);
        EXPECT_EQ(r.m_nExitCode, c.exitCode) << r.m_strErr;
        args.erase(args.begin() + 2);  // without --check every preview succeeds
        EXPECT_EQ(f.Run(args).m_nExitCode, 0);
    }
    const std::string hidden[] = {"rename",  "--dry-run", "--check", "--mode",
                                  "formula", "--formula", "\"\"",    d + "/a.txt"};
    EXPECT_EQ(f.Run({std::begin(hidden), std::end(hidden)}).m_nExitCode, 0);  // hidden alone passes
    auto usage = f.Run({"rename", "--check", "--yes", d});
    EXPECT_EQ(usage.m_nExitCode, 2);
    EXPECT_EQ(f.dir.List(), (std::vector<std::u16string>{u"a.txt", u"b.txt"}));
}

}  // namespace
}  // namespace kq
