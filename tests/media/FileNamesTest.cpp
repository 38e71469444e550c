#include "media/FileNames.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace vidlark {
namespace {

TEST(FileNames, BaseNameAndExtensionOfNativePaths)
{
    EXPECT_EQ(ExtractBaseName("/home/u/trip.mp4"), "trip");
    EXPECT_EQ(ExtractBaseName("/a/x.y.MP3"), "x.y");
    EXPECT_EQ(ExtractBaseName("/a/README"), "README");
    EXPECT_EQ(ExtractBaseName("/a/Ep 1: Pilot.mp3"), "Ep 1: Pilot");
    EXPECT_EQ(ExtractBaseName("/a.b/c"), "c");
    EXPECT_EQ(ExtensionOf("/a/x.y.MP3"), ".MP3");
    EXPECT_EQ(ExtensionOf("/a.b/c"), "");
    EXPECT_EQ(ExtensionOf("clip.Mp4"), ".Mp4");
    EXPECT_EQ(FolderOf("/home/u/trip.mp4"), "/home/u");
    EXPECT_EQ(FolderOf("/trip.mp4"), "/");
}

TEST(FileNames, FatSafeNameReplacesWhatFatCannotHold)
{
    EXPECT_EQ(FatSafeName("Ep 1: Pilot?.mp3"), "Ep 1_ Pilot_.mp3");
    EXPECT_EQ(FatSafeName("a\\b|c\"d<e>f*g.jpg"), "a_b_c_d_e_f_g.jpg");
    EXPECT_EQ(FatSafeName(std::string("tab\there.jpg")), "tab_here.jpg");
    EXPECT_EQ(FatSafeName("dots.. "), "dots___");
    EXPECT_EQ(FatSafeName("夏の歌.mp3"), "夏の歌.mp3");
}

TEST(FileNames, FreeVariantNameNumbersTheStemFromOne)
{
    const std::set<std::string> taken = {"a_b_.mp3", "a_b_~1.mp3", "a_b_~3.mp3", "bare_", "x.y_", ".mp3"};
    const auto isTaken = [&](const std::string& name) { return taken.count(name) != 0; };
    const std::pair<std::string, std::string> cases[] = {
        {"free_.mp3", "free_.mp3"}, {"a_b_.mp3", "a_b_~2.mp3"}, {"bare_", "bare_~1"},
        {"x.y_", "x~1.y_"},         {".mp3", "~1.mp3"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(FreeVariantName(name, isTaken), expected) << name;
    EXPECT_EQ(FreeVariantName("a.mp3", [](const std::string&) { return true; }), std::nullopt);
}

TEST(FileNames, DeviceVideoNames)
{
    EXPECT_TRUE(IsDeviceVideoName("M4V09999.MP4"));
    EXPECT_TRUE(IsDeviceVideoName("maq00001.mp4"));
    EXPECT_FALSE(IsDeviceVideoName("M4V09999.THM"));
    EXPECT_FALSE(IsDeviceVideoName("M4V1999.MP4"));
    EXPECT_FALSE(IsDeviceVideoName("M4V0999X.MP4"));
    EXPECT_FALSE(IsDeviceVideoName("CLIP.MP4"));
}

} // namespace
} // namespace vidlark
