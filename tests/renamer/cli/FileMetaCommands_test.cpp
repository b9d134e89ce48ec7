// The metadata functions through kqtools-cli: eval with --folder/--file and
// rename --mode formula, run as the real program on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

TEST(CliFileMeta, EvalAndRenameReadInsideTheFiles)
{
    if (!test::HaveImageLibrary() || !test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
    test::CTempDir dir;
    dir.MakeFile(u"pics/a.jpg", test::MakeJpeg(300, 200));
    ASSERT_TRUE(test::WriteImageTags(ToUtf8(dir.Child(u"pics/a.jpg")), {{"Exif.Photo.DateTimeOriginal", "2022:02:03 04:05:06"}}));
    dir.MakeFile(u"pics/b.jpg", test::MakeJpeg(300, 200));
    ASSERT_TRUE(test::WriteImageTags(ToUtf8(dir.Child(u"pics/b.jpg")), {{"Exif.Photo.DateTimeOriginal", "2022:02:03 04:05:07"}}));
    dir.MakeFile(u"pics/c.jpg", "not a photo");
    const std::string folder = ToUtf8(dir.Child(u"pics"));
    const std::vector<std::string> env = {"TZ=UTC0"};

    const struct {
        std::vector<std::string> m_aArgs;
        int m_nExit;
        std::string m_strOut;
    } rows[] = {
        {{"eval", "--folder", folder, "--file", "a.jpg", "timeformat(exifdate(),\"%Y%m%d_%H%M%S\")"}, 0,
         "\"20220203_040506\"\n"},
        {{"eval", "--folder", folder, "--file", "a.jpg", "imagewidth()&\"x\"&imageheight()"}, 0, "\"300x200\"\n"},
        {{"eval", "--folder", folder, "--file", "c.jpg", "exifdate()"}, 0, "0\n"},
        {{"eval", "--folder", folder, "--file", "c.jpg", "filehash(\"crc32\")"}, 0, "\"e50892c2\"\n"},
        {{"eval", "exifdate()"}, 0, "0\n"},  // no file: absent
        {{"eval", "--json", "--folder", folder, "--file", "a.jpg", "filehash(\"blake\")"}, 0,
         "{\"code\":4,\"output\":\"\",\"type\":0,\"error\":\"函数filehash的算法“blake”未知，可用的算法为md5、sha1、sha256、sha512、"
         "crc32、xxh64\"}\n"},
        {{"rename", "--dry-run", "--mode", "formula", "--sort", "name", "--formula",
          "if(exifdate()>0,timeformat(exifdate(),\"%Y%m%d_%H%M%S\"),\"none\")", folder},
         0,
         "a.jpg\t20220203_040506.jpg\t" + folder + "\nb.jpg\t20220203_040507.jpg\t" + folder + "\nc.jpg\tnone.jpg\t" + folder +
             "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.m_aArgs.back());
        test::CRunResult r = test::RunProgram(KQ_CLI_PATH, row.m_aArgs, {}, env);
        EXPECT_EQ(r.m_nExitCode, row.m_nExit) << r.m_strErr;
        EXPECT_EQ(r.m_strOut, row.m_strOut);
    }
}

}  // namespace
}  // namespace kq
