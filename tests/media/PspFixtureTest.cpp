#include "media/PspMetadata.h"

#include <gtest/gtest.h>

// Files written by ffmpeg's psp muxer (tests/data/psp-mp4/make-fixtures.sh):
// the profile must say what ffmpeg was asked to write.

namespace vidlark::test {
namespace {

const std::filesystem::path Fixtures = std::filesystem::path(VIDLARK_SHARED_TEST_DATA) / "psp-mp4";

TVideoProfile ProfileOf(const std::string& name)
{
    TVideoProfile profile;
    ReadVideoProfile(Fixtures / name, name, profile);
    return profile;
}

TEST(PspFixtureTest, Mpeg4Clip)
{
    const TVideoProfile profile = ProfileOf("mpeg4.mp4");
    EXPECT_EQ(profile.Codec, "MP4V");
    EXPECT_EQ(profile.FrameWidth, 160);
    EXPECT_EQ(profile.FrameHeight, 112);
    EXPECT_FLOAT_EQ(profile.FrameRate, 25.0f);
    EXPECT_EQ(profile.BitRate, 200);
    // ffmpeg marks its title entry as English.
    EXPECT_EQ(ReadPspTitle(Fixtures / "mpeg4.mp4", "mpeg4.mp4"), "");
}

TEST(PspFixtureTest, H264ClipAndItsTitleMarkedJapanese)
{
    for (const char* name : {"h264.mp4", "h264-jpn.mp4"}) {
        const TVideoProfile profile = ProfileOf(name);
        EXPECT_EQ(profile.Codec, "AVC1") << name;
        EXPECT_EQ(profile.FrameWidth, 176) << name;
        EXPECT_EQ(profile.FrameHeight, 144) << name;
        EXPECT_NEAR(profile.FrameRate, 30000.0f / 1001.0f, 0.0001f) << name;
        EXPECT_EQ(profile.BitRate, 300) << name;
    }
    EXPECT_EQ(ReadPspTitle(Fixtures / "h264.mp4", "h264.mp4"), "");
    EXPECT_EQ(ReadPspTitle(Fixtures / "h264-jpn.mp4", "h264-jpn.mp4"), "日本語のタイトル");
}

} // namespace
} // namespace vidlark::test
