#include "media/ListingTexts.h"

#include <gtest/gtest.h>

namespace vidlark {
namespace {

TEST(ListingTextsTest, SizeIsWholeMebibytesPlusOne)
{
    EXPECT_EQ(SizeText(0), "1 MB");
    EXPECT_EQ(SizeText(1048575), "1 MB");
    EXPECT_EQ(SizeText(1048576), "2 MB");
    EXPECT_EQ(SizeText(5242880), "6 MB");
    EXPECT_EQ(SizeText(std::int64_t{5} << 30), "5121 MB");
}

TEST(ListingTextsTest, FrameRateHasTwoDecimalsRoundedHalfAwayFromZero)
{
    EXPECT_EQ(FrameRateText(29.97f), "29.97");
    EXPECT_EQ(FrameRateText(23.976f), "23.98");
    EXPECT_EQ(FrameRateText(25.0f), "25.00");
    EXPECT_EQ(FrameRateText(0.0f), "0.00");
    // Exact halves in single precision.
    EXPECT_EQ(FrameRateText(0.125f), "0.13");
    EXPECT_EQ(FrameRateText(14.375f), "14.38");
    EXPECT_EQ(FrameRateText(65535.99998f), "65536.00");
    EXPECT_EQ(FrameRateText(29.97f, ","), "29,97");
}

} // namespace
} // namespace vidlark
