// Premultiplied RGBA sources: the colour manager divides alpha out again
// when the target keeps alpha, and leaves the colour alone when it does not.

#include "imaging/ColorManager.h"
#include "tests/imaging/ColorManagerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vidlark {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Unpremultiply, ColourIsDividedByAlphaIntoEachTarget)
{
    struct TCase {
        const char* Name;
        TColorLayout Out;
        std::uint8_t InBits;
        Bytes Source;
        Bytes Expected;
    };
    const TCase Cases[] = {
        // Half covered: 128, 0, 64 over 128 is 255, 0, 128; opaque pixels
        // are kept; alpha 0 leaves no colour; colour above alpha (damaged
        // data) stops at full scale.
        {"to BGRA", schBGRA, 8, {128, 0, 64, 128, 10, 20, 30, 255, 9, 9, 9, 0, 200, 1, 2, 100},
         {128, 0, 255, 128, 30, 20, 10, 255, 0, 0, 0, 0, 5, 3, 255, 100}},
        {"to RGBA", schRGBA, 8, {128, 0, 64, 128}, {255, 0, 128, 128}},
        // No alpha in the target: the colour over black, as stored.
        {"to BGR", schBGR, 8, {128, 0, 64, 128}, {64, 0, 128}},
        // 16 bits, big-endian, divided before narrowing: 0x4000 over 0x8000
        // is 0x8000, which narrows to 127.
        {"16 to 8 bits", schBGRA, 16, {0x80, 0x00, 0x40, 0x00, 0x00, 0x00, 0x80, 0x00}, {0, 127, 255, 127}},
    };
    for (const TCase& C : Cases) {
        TColorManager Manager = Described(schRGBA, C.Out, C.InBits, 8);
        Manager.SetInSamplesPerPixel(4);
        Manager.SetOutSamplesPerPixel(C.Out == schBGR ? 3 : 4);
        Manager.SetInAlphaPremultiplied(true);
        if (C.InBits == 16)
            Manager.InFlags = cfSwapBytes;
        Bytes Target(C.Expected.size(), 0xEE);
        const auto Pixels = static_cast<std::uint32_t>(C.Source.size() / (4 * C.InBits / 8));
        Manager.TransformRow(C.Source.data(), Target.data(), Pixels);
        EXPECT_EQ(Target, C.Expected) << C.Name;
    }
}

TEST(Unpremultiply, TheChoiceFollowsTheSetting)
{
    TColorManager Manager = Described(schRGBA, schBGRA);
    const Bytes Source{128, 0, 64, 128};
    Bytes Target(4);
    Manager.TransformRow(Source.data(), Target.data(), 1);
    EXPECT_EQ(Target, (Bytes{64, 0, 128, 128}));
    Manager.SetInAlphaPremultiplied(true);
    EXPECT_TRUE(Manager.NeedsSetup());
    Manager.TransformRow(Source.data(), Target.data(), 1);
    EXPECT_EQ(Target, (Bytes{128, 0, 255, 128}));
    Manager.SetInAlphaPremultiplied(false);
    Manager.TransformRow(Source.data(), Target.data(), 1);
    EXPECT_EQ(Target, (Bytes{64, 0, 128, 128}));
}

} // namespace
} // namespace vidlark
