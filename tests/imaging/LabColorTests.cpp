// CIE L*a*b* rows of the colour manager against sRGB levels worked out with
// the Lab, Bradford and sRGB formulas in double precision; the D50 ones
// agree with Little CMS (transicc -c0 -i*Lab -o*sRGB) to 0.01 of a level.

#include "imaging/ColorManager.h"
#include "tests/imaging/ColorManagerTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace vidlark {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

constexpr TConversionFlags Tiff = cfLabScaledL;                   // L* 0..255, a* b* signed
constexpr TConversionFlags Photoshop = cfLabScaledL | cfLabOffsetAB; // a* b* offset by 128
constexpr TConversionFlags Plain = 0;                             // L* 0..100, a* b* signed

// One pixel's samples of 8 or 16 bits (the low 16 bits of each value).
Bytes Pixel(std::uint8_t bits, std::initializer_list<int> samples)
{
    Bytes row;
    for (int v : samples) {
        if (bits == 8) {
            row.push_back(static_cast<std::uint8_t>(v));
        } else {
            const auto word = static_cast<std::uint16_t>(v);
            row.resize(row.size() + 2);
            std::memcpy(row.data() + row.size() - 2, &word, 2);
        }
    }
    return row;
}

// The RGB levels of a row of pixels.
Bytes ConvertRow(TColorManager& manager, const Bytes& source, std::uint32_t count)
{
    Bytes target(count * 3);
    manager.TransformRow(source.data(), target.data(), count);
    return target;
}

void SetWhite(TColorManager& manager, float x, float y)
{
    const std::array<float, 2> chromaticity{x, y};
    manager.SetLabWhitePoint(chromaticity);
}

::testing::AssertionResult WithinOneLevel(const Bytes& got, const Rgb& want)
{
    for (unsigned c = 0; c < 3; ++c)
        if (std::abs(int(got[c]) - want[c]) > 1)
            return ::testing::AssertionFailure() << "got " << int(got[0]) << ", " << int(got[1]) << ", "
                                                 << int(got[2]) << " for " << want[0] << ", " << want[1] << ", "
                                                 << want[2];
    return ::testing::AssertionSuccess();
}

TEST(LabColor, ReferenceColoursInEverySampleCoding)
{
    struct TCase {
        const char* What;
        std::uint8_t Bits;
        TConversionFlags Flags;
        std::initializer_list<int> Samples;
        Rgb Want;
    };
    const TCase Cases[] = {
        {"white", 8, Plain, {100, 0, 0}, {255, 255, 255}},
        {"black", 8, Plain, {0, 0, 0}, {0, 0, 0}},
        {"mid grey", 8, Plain, {50, 0, 0}, {119, 119, 119}},
        // The sRGB primaries and yellow, rounded to whole L*a*b* units: a
        // little outside the gamut, so clipped to it.
        {"red", 8, Plain, {54, 81, 70}, {254, 0, 0}},
        {"green", 8, Plain, {88, -79, 81}, {13, 255, 2}},
        {"blue", 8, Plain, {30, 68, -112}, {4, 4, 255}},
        {"yellow", 8, Plain, {98, -16, 93}, {255, 255, 11}},
        {"brown", 8, Plain, {60, 30, 40}, {205, 122, 75}},
        {"scaled white", 8, Photoshop, {255, 128, 128}, {255, 255, 255}},
        {"scaled grey", 8, Photoshop, {128, 128, 128}, {119, 119, 119}},
        {"scaled red, offset", 8, Photoshop, {138, 209, 198}, {255, 0, 0}},
        {"scaled red, signed", 8, Tiff, {138, 81, 70}, {255, 0, 0}},
        // 16 bits: L* over 0..65535, signed a* b* in 1/256 steps, offset
        // ones as 257 times the 8-bit coding.
        {"16-bit white", 16, Tiff, {65535, 0, 0}, {255, 255, 255}},
        {"16-bit red", 16, Tiff, {35389, 81 * 256, 70 * 256}, {254, 0, 0}},
        {"16-bit green", 16, Tiff, {57671, -79 * 256, 81 * 256}, {13, 255, 2}},
        {"16-bit fractions", 16, Tiff, {39321, 7808, -5184}, {184, 125, 181}},
        {"16-bit offset", 16, Photoshop, {39321, 40000, 20000}, {155, 129, 234}},
        {"16-bit plain L", 16, Plain, {60 * 257, 7808, -5184}, {184, 125, 181}},
    };
    for (const TCase& C : Cases) {
        auto manager = Described(schCIELab, schRGB, C.Bits);
        manager.InFlags = C.Flags;
        EXPECT_TRUE(WithinOneLevel(ConvertRow(manager, Pixel(C.Bits, C.Samples), 1), C.Want)) << C.What;
    }
    // Big-endian 16-bit samples are swapped first.
    auto swapped = Described(schCIELab, schRGB, 16);
    swapped.InFlags = Tiff | cfSwapBytes;
    EXPECT_TRUE(WithinOneLevel(ConvertRow(swapped, {0x99, 0x99, 0x1E, 0x80, 0xEB, 0xC0}, 1), {184, 125, 181}));
}

TEST(LabColor, TheSourceWhiteIsAdaptedToD65)
{
    // sRGB blue in L*a*b* of a D65 white, and the same samples read as D50.
    const Bytes blue = Pixel(8, {32, 79, -108});
    auto manager = Described(schCIELab, schRGB);
    EXPECT_TRUE(WithinOneLevel(ConvertRow(manager, blue, 1), {89, 0, 255}));
    SetWhite(manager, 0.3127f, 0.3290f);
    EXPECT_TRUE(WithinOneLevel(ConvertRow(manager, blue, 1), {0, 0, 254}));
    EXPECT_TRUE(WithinOneLevel(ConvertRow(manager, Pixel(8, {100, 0, 0}), 1), {255, 255, 255}));

    // Chromaticities that are no white leave D50.
    auto d50 = Described(schCIELab, schRGB);
    const Bytes d50Blue = ConvertRow(d50, blue, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, float> NoWhites[] = {{0, 0}, {0.3f, 0}, {0.6f, 0.5f}, {nan, 0.3f}, {0.05f, 0.9f}, {0.7f, 0.2f}};
    for (auto [x, y] : NoWhites) {
        SetWhite(manager, 0.3127f, 0.3290f);
        SetWhite(manager, x, y);
        EXPECT_EQ(ConvertRow(manager, blue, 1), d50Blue) << x << " " << y;
    }
    // So does no chromaticity: a file that names no white.
    SetWhite(manager, 0.3127f, 0.3290f);
    manager.SetLabWhitePoint({});
    EXPECT_EQ(ConvertRow(manager, blue, 1), d50Blue);
}

TEST(LabColor, EveryCodingOfTheSameValueGivesTheSameLevels)
{
    // All chroma pairs at a few lightnesses, under an extreme white: signed
    // and offset 8-bit samples, and their 16-bit forms, agree.
    Bytes signed8, offset8, signed16, offset16;
    for (int l : {0, 20, 128, 200, 255})
        for (int a = -128; a < 128; ++a)
            for (int b = -128; b < 128; ++b) {
                signed8.insert(signed8.end(), {static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(a),
                                               static_cast<std::uint8_t>(b)});
                offset8.insert(offset8.end(), {static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(a + 128),
                                               static_cast<std::uint8_t>(b + 128)});
                const Bytes s = Pixel(16, {l * 257, a * 256, b * 256});
                signed16.insert(signed16.end(), s.begin(), s.end());
                const Bytes o = Pixel(16, {l * 257, (a + 128) * 257, (b + 128) * 257});
                offset16.insert(offset16.end(), o.begin(), o.end());
            }
    const auto count = static_cast<std::uint32_t>(signed8.size() / 3);
    const auto levels = [&](std::uint8_t bits, TConversionFlags flags, const Bytes& row) {
        auto manager = Described(schCIELab, schBGR, bits);
        SetWhite(manager, 0.2f, 0.1f);
        manager.InFlags = flags;
        return ConvertRow(manager, row, count);
    };
    const Bytes reference = levels(8, Tiff, signed8);
    const auto differing = [&](const Bytes& other) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < reference.size(); ++i)
            n += std::abs(int(reference[i]) - other[i]) > 1 ? 1 : 0;
        return n;
    };
    EXPECT_EQ(levels(8, Photoshop, offset8), reference);
    EXPECT_EQ(differing(levels(16, Tiff, signed16)), 0u);
    EXPECT_EQ(differing(levels(16, Photoshop, offset16)), 0u);
}

TEST(LabColor, PlanarSourcesAndAlphaTargets)
{
    // The general walk (planar data, a target with alpha) and the one of
    // whole interleaved rows give the same levels.
    const Bytes interleaved = Pixel(8, {60, 30, 40, 100, 0, 0});
    const Bytes l = {60, 100}, a = {30, 0}, b = {40, 0};
    auto toRgb = Described(schCIELab, schRGB);
    const Bytes rgb = ConvertRow(toRgb, interleaved, 2);
    EXPECT_TRUE(WithinOneLevel(rgb, {205, 122, 75}));

    Bytes planar(6);
    toRgb.TransformRow({l.data(), a.data(), b.data()}, planar.data(), 2);
    EXPECT_EQ(planar, rgb);
    auto toBgra = Described(schCIELab, schBGRA);
    Bytes bgra(8, 0xEE);
    toBgra.TransformRow(interleaved.data(), bgra.data(), 2);
    EXPECT_EQ(bgra, (Bytes{rgb[2], rgb[1], rgb[0], 0xEE, 255, 255, 255, 0xEE}));
}

} // namespace
} // namespace vidlark
