#include "platform/DosPath.h"

#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

namespace vidlark {
namespace {

TEST(DosPath, LetterAndComponentsAreSplitAtBackslashes)
{
    const auto path = SplitDosPath("e:\\MP_ROOT\\\\100MNV01\\");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->Letter, 'E');
    EXPECT_EQ(path->Components, (std::vector<std::string>{"MP_ROOT", "100MNV01"}));
    EXPECT_TRUE(SplitDosPath("E:"));
    EXPECT_FALSE(SplitDosPath("/home/u/Ep 1: Pilot.mp3"));
    EXPECT_FALSE(SplitDosPath("1:\\x"));
    EXPECT_FALSE(SplitDosPath(""));
}

TEST(DosPath, APathNeverLeavesItsDrive)
{
    // A folder from the settings file such as "..\..\etc\" or "/etc/" must
    // not reach beyond the volume the letter stands for.
    const auto up = SplitDosPath("E:\\..\\..\\etc\\passwd");
    ASSERT_TRUE(up);
    EXPECT_EQ(up->Components, (std::vector<std::string>{"etc", "passwd"}));
    const auto slashed = SplitDosPath("E:\\/etc/\\x");
    ASSERT_TRUE(slashed);
    EXPECT_EQ(slashed->Components, (std::vector<std::string>{"etc", "x"}));
    const auto inner = SplitDosPath("E:\\MP_ROOT\\OLD\\..\\100MNV01\\");
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->Components, (std::vector<std::string>{"MP_ROOT", "100MNV01"}));

    TTempFolder stick;
    stick.Write("etc/x", "x");
    EXPECT_EQ(ResolveComponents(stick.Path(), slashed->Components), stick / "etc/x");
}

TEST(DosPath, ComponentsResolveWithoutRegardToCase)
{
    TTempFolder stick;
    stick.Write("mp_root/100mnv01/M4V09999.MP4", "x");
    EXPECT_EQ(ResolveComponents(stick.Path(), {"MP_ROOT", "100MNV01", "m4v09999.mp4"}),
              stick / "mp_root/100mnv01/M4V09999.MP4");
    // The exact name wins over a case-blind match.
    stick.Write("PSP/MUSIC/a.mp3", "x");
    stick.Write("psp/music/b.mp3", "x");
    EXPECT_EQ(ResolveComponents(stick.Path(), {"PSP", "MUSIC"}), stick / "PSP/MUSIC");
    // Missing parts are appended as they stand, so new files can be created.
    EXPECT_EQ(ResolveComponents(stick.Path(), {"Mp_Root", "NEW", "Sub"}), stick / "mp_root/NEW/Sub");
}

TEST(DosPath, MasksMatchWithoutRegardToCase)
{
    EXPECT_TRUE(MatchesMask("M4V09999.mp4", "*.MP4"));
    EXPECT_TRUE(MatchesMask("動画.JPG", "*.jpg"));
    EXPECT_FALSE(MatchesMask("clip.mp4.txt", "*.MP4"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("README", "*"));
    EXPECT_TRUE(MatchesMask("M4V01234.THM", "M4V0????.THM"));
    EXPECT_FALSE(MatchesMask("M4V0123.THM", "M4V0????.THM"));
}

} // namespace
} // namespace vidlark
