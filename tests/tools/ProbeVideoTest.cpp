#include "tools/vidlark-probe/ProbeCommands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vidlark::probe {
namespace {

const std::string Fixtures = std::string(VIDLARK_SHARED_TEST_DATA) + "/psp-mp4/";

TEST(ProbeVideoTest, OneLinePerFileAndTheOpenErrorForTheOnesThatCannotBeOpened)
{
    std::ostringstream out, err;
    const std::string missing = Fixtures + "missing.mp4";
    const int status = VideoCommand({Fixtures + "mpeg4.mp4", missing, Fixtures + "h264-jpn.mp4"}, out, err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), Fixtures + "mpeg4.mp4\tMP4V\t200\t25.00\t160\t112\t\n" +
                         Fixtures + "h264-jpn.mp4\tAVC1\t300\t29.97\t176\t144\t日本語のタイトル\n");
    EXPECT_EQ(err.str(), "ファイル " + missing + " は開けません\n");
}

TEST(ProbeVideoTest, AllFilesReadableGivesStatusZero)
{
    std::ostringstream out, err;
    EXPECT_EQ(VideoCommand({Fixtures + "h264.mp4"}, out, err), 0);
    EXPECT_EQ(err.str(), "");
    std::ostringstream noFiles;
    EXPECT_EQ(VideoCommand({}, out, noFiles), 2);
}

TEST(ProbeVideoTest, ControlCharactersCannotBreakTheLine)
{
    EXPECT_EQ(FieldText("a\tb\nc\\d"), "a\\x09b\\x0Ac\\x5Cd");
    EXPECT_EQ(FieldText("日本"), "日本");
}

} // namespace
} // namespace vidlark::probe
