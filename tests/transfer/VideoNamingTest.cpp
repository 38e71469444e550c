#include "transfer/VideoNaming.h"

#include <gtest/gtest.h>

#include <set>

namespace vidlark {
namespace {

// The number chosen among existing M4V0 names with these numbers.
std::optional<int> Chosen(const std::set<int>& existing)
{
    std::set<std::string> names;
    for (const int number : existing)
        names.insert(VideoStem("M4V0", number) + ".MP4");
    return ChooseVideoNumber("M4V0", [&](const std::string& name) { return names.contains(name); });
}

std::set<int> Range(int first, int last)
{
    std::set<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.insert(n);
    return numbers;
}

TEST(VideoNamingTest, HighestNumberOfTheLowestFreeRun)
{
    EXPECT_EQ(Chosen({}), 9999);
    EXPECT_EQ(Chosen({9999}), 9998);
    EXPECT_EQ(Chosen({9999, 9998}), 9997);
    EXPECT_EQ(Chosen(Range(1, 5)), 9999);
    EXPECT_EQ(Chosen({1, 3}), 2);
    EXPECT_EQ(Chosen({2, 9999}), 1);
    EXPECT_EQ(Chosen({1, 9999}), 9998);
    EXPECT_EQ(Chosen({9999, 9997}), 9996);
    EXPECT_EQ(Chosen(Range(1, 9998)), 9999);
    EXPECT_EQ(Chosen({2}), 1);
    EXPECT_EQ(Chosen({1}), 9999);
}

TEST(VideoNamingTest, NoNumberWhenAllAreTaken)
{
    EXPECT_EQ(Chosen(Range(1, 9999)), std::nullopt);
    EXPECT_EQ(Chosen(Range(2, 9999)), 1);
}

TEST(VideoNamingTest, PrefixAndStemFollowTheCodec)
{
    EXPECT_EQ(VideoNamePrefix("MP4V"), "M4V0");
    EXPECT_EQ(VideoNamePrefix("AVC1"), "MAQ0");
    EXPECT_EQ(VideoNamePrefix(""), "MAQ0");
    EXPECT_EQ(VideoNamePrefix("mp4v"), "MAQ0");
    EXPECT_EQ(VideoStem("MAQ0", 7), "MAQ00007");
    EXPECT_EQ(VideoStem("M4V0", 9999), "M4V09999");
}

} // namespace
} // namespace vidlark
