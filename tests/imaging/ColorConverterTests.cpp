// Row converters of the colour manager against values worked out by hand.

#include "imaging/ColorManager.h"
#include "tests/imaging/ColorManagerTestSupport.h"
#include "imaging/GraphicErrors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vidlark {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Native 16-bit values as the bytes of a row.
Bytes Words(std::initializer_list<std::uint16_t> values)
{
    Bytes bytes(values.size() * 2);
    std::memcpy(bytes.data(), std::data(values), bytes.size());
    return bytes;
}

// Converts an interleaved row into a target of targetSize bytes of 0xEE.
Bytes Convert(TColorManager& manager, const Bytes& source, std::uint32_t count, std::size_t targetSize,
              std::uint8_t mask = 0xFF)
{
    Bytes target(targetSize, 0xEE);
    manager.TransformRow(source.data(), target.data(), count, mask);
    return target;
}

// --- RGB and BGR ------------------------------------------------------------

TEST(RgbConverters, EightBitOrders)
{
    const Bytes row = {1, 2, 3, 4, 5, 6};
    auto rgbToBgr = Described(schRGB, schBGR);
    EXPECT_EQ(Convert(rgbToBgr, row, 2, 6), (Bytes{3, 2, 1, 6, 5, 4}));
    auto bgrToRgb = Described(schBGR, schRGB);
    EXPECT_EQ(Convert(bgrToRgb, row, 2, 6), (Bytes{3, 2, 1, 6, 5, 4}));
    auto rgbToRgb = Described(schRGB, schRGB);
    EXPECT_EQ(Convert(rgbToRgb, row, 2, 6), row);
    auto bgrToBgr = Described(schBGR, schBGR);
    EXPECT_EQ(Convert(bgrToBgr, row, 2, 6), row);
}

TEST(RgbConverters, AlphaIsCopiedSkippedOrLeftAlone)
{
    auto both = Described(schRGBA, schBGRA);
    EXPECT_EQ(Convert(both, {1, 2, 3, 9, 4, 5, 6, 8}, 2, 8), (Bytes{3, 2, 1, 9, 6, 5, 4, 8}));
    auto targetOnly = Described(schRGB, schBGRA);
    EXPECT_EQ(Convert(targetOnly, {1, 2, 3, 4, 5, 6}, 2, 8), (Bytes{3, 2, 1, 0xEE, 6, 5, 4, 0xEE}));
    auto sourceOnly = Described(schRGBA, schBGR);
    EXPECT_EQ(Convert(sourceOnly, {1, 2, 3, 9, 4, 5, 6, 8}, 2, 6), (Bytes{3, 2, 1, 6, 5, 4}));
    auto bgraToRgba = Described(schBGRA, schRGBA);
    EXPECT_EQ(Convert(bgraToRgba, {1, 2, 3, 9}, 1, 4), (Bytes{3, 2, 1, 9}));
}

TEST(RgbConverters, SixteenToEightTruncates)
{
    auto manager = Described(schRGB, schBGR, 16, 8);
    EXPECT_EQ(Convert(manager, Words({65535, 65534, 257, 256, 0, 32896}), 2, 6), (Bytes{1, 254, 255, 128, 0, 0}));
    // 0xFF00 read as stored, 0x00FF when the source is big-endian.
    EXPECT_EQ(Convert(manager, {0x00, 0xFF, 0, 0, 0, 0}, 1, 3), (Bytes{0, 0, 254}));
    manager.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(manager, {0x00, 0xFF, 0, 0, 0xFF, 0xFE}, 1, 3), (Bytes{254, 0, 0}));
}

TEST(RgbConverters, EightToSixteenScales)
{
    auto manager = Described(schRGB, schRGB, 8, 16);
    EXPECT_EQ(Convert(manager, {255, 1, 0}, 1, 6), Words({65535, 257, 0}));
    auto withAlpha = Described(schBGRA, schRGBA, 8, 16);
    EXPECT_EQ(Convert(withAlpha, {0, 2, 255, 128}, 1, 8), Words({65535, 514, 0, 32896}));
}

TEST(RgbConverters, SixteenToSixteenSwapsOrCopies)
{
    const Bytes row = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x55, 0x66};
    auto manager = Described(schRGBA, schBGRA, 16, 16);
    EXPECT_EQ(Convert(manager, row, 1, 8), (Bytes{0x00, 0x01, 0xAB, 0xCD, 0x12, 0x34, 0x55, 0x66}));
    manager.InFlags |= cfSwapBytes;
    EXPECT_EQ(Convert(manager, row, 1, 8), (Bytes{0x01, 0x00, 0xCD, 0xAB, 0x34, 0x12, 0x66, 0x55}));
}

TEST(RgbConverters, GammaAppliesToColourButNeverToAlpha)
{
    auto manager = Described(schRGBA, schBGRA);
    manager.OutFlags = cfGamma;
    EXPECT_EQ(Convert(manager, {128, 1, 255, 128}, 1, 4), (Bytes{255, 21, 186, 128}));

    auto wide = Described(schRGBA, schRGBA, 16, 8);
    wide.OutFlags = cfGamma;
    EXPECT_EQ(Convert(wide, Words({32896, 257, 0, 32896}), 1, 4), (Bytes{186, 21, 0, 128}));

    // 16 to 16 bits never passes through the table.
    auto deep = Described(schRGB, schRGB, 16, 16);
    deep.OutFlags = cfGamma;
    EXPECT_EQ(Convert(deep, Words({32896, 1, 2}), 1, 6), Words({32896, 1, 2}));
}

TEST(RgbConverters, PlanarSourcesTakeOneBufferPerComponent)
{
    const Bytes red = {1, 4}, green = {2, 5}, blue = {3, 6}, alpha = {7, 8};
    auto manager = Described(schRGB, schBGR);
    Bytes target(6, 0xEE);
    manager.TransformRow({red.data(), green.data(), blue.data()}, target.data(), 2);
    EXPECT_EQ(target, (Bytes{3, 2, 1, 6, 5, 4}));

    auto withAlpha = Described(schRGBA, schBGRA);
    target.assign(8, 0xEE);
    withAlpha.TransformRow({red.data(), green.data(), blue.data(), alpha.data()}, target.data(), 2);
    EXPECT_EQ(target, (Bytes{3, 2, 1, 7, 6, 5, 4, 8}));

    const Bytes red16 = Words({65535}), green16 = Words({257}), blue16 = Words({0});
    auto wide = Described(schRGB, schBGR, 16, 8);
    target.assign(3, 0xEE);
    wide.TransformRow({red16.data(), green16.data(), blue16.data()}, target.data(), 1);
    EXPECT_EQ(target, (Bytes{0, 1, 255}));
}

TEST(RgbConverters, MaskSelectsPixelsInGroupsOfEight)
{
    Bytes source;
    for (std::uint8_t i = 0; i < 16; ++i)
        source.insert(source.end(), {std::uint8_t(10 * i), std::uint8_t(10 * i + 1), std::uint8_t(10 * i + 2)});
    auto manager = Described(schRGB, schBGR);
    const Bytes target = Convert(manager, source, 16, 48, 128);
    Bytes expected(48, 0xEE);
    // Pixels 0 and 8 take the first two source pixels.
    expected[0] = 2, expected[1] = 1, expected[2] = 0;
    expected[24] = 12, expected[25] = 11, expected[26] = 10;
    EXPECT_EQ(target, expected);

    const Bytes pattern = Convert(manager, source, 4, 12, 0xA0);
    EXPECT_EQ(pattern, (Bytes{2, 1, 0, 0xEE, 0xEE, 0xEE, 12, 11, 10, 0xEE, 0xEE, 0xEE}));
}

TEST(RgbConverters, LongRowsKeepEveryPixel)
{
    constexpr std::uint32_t count = 1037;
    Bytes rgb(count * 3), rgba(count * 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        for (std::uint32_t k = 0; k < 3; ++k)
            rgb[i * 3 + k] = static_cast<std::uint8_t>(i * 7 + k);
        for (std::uint32_t k = 0; k < 4; ++k)
            rgba[i * 4 + k] = static_cast<std::uint8_t>(i * 5 + k);
    }
    auto packed = Described(schRGB, schBGR);
    const Bytes bgr = Convert(packed, rgb, count, count * 3);
    auto wide = Described(schRGBA, schBGRA);
    const Bytes bgra = Convert(wide, rgba, count, count * 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        ASSERT_EQ(bgr[i * 3 + 0], rgb[i * 3 + 2]) << i;
        ASSERT_EQ(bgr[i * 3 + 1], rgb[i * 3 + 1]) << i;
        ASSERT_EQ(bgr[i * 3 + 2], rgb[i * 3 + 0]) << i;
        ASSERT_EQ(bgra[i * 4 + 0], rgba[i * 4 + 2]) << i;
        ASSERT_EQ(bgra[i * 4 + 2], rgba[i * 4 + 0]) << i;
        ASSERT_EQ(bgra[i * 4 + 3], rgba[i * 4 + 3]) << i;
    }
}

TEST(RgbConverters, RowsConvertInPlace)
{
    constexpr std::uint32_t count = 523;
    for (TColorLayout in : {schRGB, schRGBA}) {
        const unsigned samples = in == schRGB ? 3 : 4;
        auto manager = Described(in, in == schRGB ? schBGR : schBGRA);
        Bytes row(count * samples);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<std::uint8_t>(i * 13 + 1);
        for (TConversionFlags gamma : {0, int(cfGamma)}) {
            manager.OutFlags = gamma;
            Bytes work = row;
            const Bytes expected = Convert(manager, work, count, work.size());
            manager.TransformRow(work.data(), work.data(), count);
            EXPECT_EQ(work, expected) << int(in) << " " << int(gamma);
        }
    }
    // Narrowing rows of the other converters.
    auto cmyk = Described(schCMYK, schBGR);
    Bytes inks = {100, 50, 0, 128, 0, 0, 0, 0};
    cmyk.TransformRow(inks.data(), inks.data(), 2);
    EXPECT_EQ(Bytes(inks.begin(), inks.begin() + 6), (Bytes{127, 102, 77, 255, 255, 255}));
    auto grey = Described(schGray, schGray, 16, 8);
    Bytes levels = Words({65535, 257, 32896});
    grey.TransformRow(levels.data(), levels.data(), 3);
    EXPECT_EQ(Bytes(levels.begin(), levels.begin() + 3), (Bytes{255, 1, 128}));
}

// --- grey -------------------------------------------------------------------

TEST(GrayConverter, GreyWithAlphaKeepsOnlyGrey)
{
    auto manager = Described(schGrayAlpha, schGray);
    EXPECT_EQ(Convert(manager, {10, 200, 30, 100}, 2, 2), (Bytes{10, 30}));
    auto indexed = Described(schGrayAlpha, schIndexed);
    EXPECT_EQ(Convert(indexed, {10, 200, 30, 100}, 2, 2), (Bytes{10, 30}));
    auto deep = Described(schGrayAlpha, schGray, 16, 16);
    deep.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(deep, {0x12, 0x34, 0xFF, 0xFF}, 1, 2), (Bytes{0x34, 0x12}));
}

TEST(GrayConverter, ScalesBetweenEightAndSixteenBits)
{
    auto narrow = Described(schGray, schGray, 16, 8);
    EXPECT_EQ(Convert(narrow, Words({65535, 65534, 257, 256}), 4, 4), (Bytes{255, 254, 1, 0}));
    narrow.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(narrow, {0x00, 0xFF, 0xFF, 0x00}, 2, 2), (Bytes{0, 254}));
    auto widen = Described(schGray, schGray, 8, 16);
    EXPECT_EQ(Convert(widen, {255, 1, 0}, 3, 6), Words({65535, 257, 0}));
    auto copy = Described(schGray, schGray, 16, 16);
    EXPECT_EQ(Convert(copy, {0x12, 0x34, 0x56, 0x78}, 2, 4, 0x40), (Bytes{0xEE, 0xEE, 0x12, 0x34}));
}

// --- repacks ----------------------------------------------------------------

TEST(Repack, NarrowGreyIsScaledToEightBits)
{
    auto fourBits = Described(schGray, schGray, 4, 8);
    EXPECT_EQ(Convert(fourBits, {0xF1}, 2, 2), (Bytes{255, 17}));
    auto oneBit = Described(schIndexed, schIndexed, 1, 8);
    EXPECT_EQ(Convert(oneBit, {0xA0}, 4, 4), (Bytes{255, 0, 255, 0}));
    auto threeBits = Described(schGray, schGray, 3, 8);
    EXPECT_EQ(Convert(threeBits, {0xE2, 0x80}, 3, 3), (Bytes{255, 0, 182}));
    auto twelveBits = Described(schGray, schGray, 12, 8);
    EXPECT_EQ(Convert(twelveBits, {0x80, 0x0F, 0xFF}, 2, 2), (Bytes{127, 255}));
}

TEST(Repack, PackedTargetsKeepTheirOtherBits)
{
    auto toOneBit = Described(schIndexed, schIndexed, 8, 1);
    Bytes target = {0x0F};
    const Bytes source = {255, 0, 200, 1};
    toOneBit.TransformRow(source.data(), target.data(), 4);
    EXPECT_EQ(target, (Bytes{0x8F}));

    auto toFourBits = Described(schIndexed, schIndexed, 8, 4);
    target = {0xAB};
    const Bytes one = {255};
    toFourBits.TransformRow(one.data(), target.data(), 2, 0x40);
    EXPECT_EQ(target, (Bytes{0xAF}));

    auto toTwoBits = Described(schIndexed, schIndexed, 4, 2);
    EXPECT_EQ(Convert(toTwoBits, {0xF5, 0xA0}, 4, 1), (Bytes{0xD8}));
}

TEST(Repack, EqualDepthsCopyWholeBytes)
{
    auto manager = Described(schIndexed, schIndexed, 4, 4);
    EXPECT_EQ(Convert(manager, {0x12, 0x34, 0x56}, 3, 3), (Bytes{0x12, 0x34, 0xEE}));
    // With a mask the pixels go one by one.
    EXPECT_EQ(Convert(manager, {0x12, 0x34}, 3, 2, 0x60), (Bytes{0xE1, 0x2E}));
}

TEST(Repack, SixteenBitIndicesAndSamples)
{
    auto toFour = Described(schIndexed, schIndexed, 16, 4);
    Bytes target = {0x00, 0x0E};
    const Bytes source = Words({65535, 4369, 4368});
    toFour.TransformRow(source.data(), target.data(), 3);
    EXPECT_EQ(target, (Bytes{0xF1, 0x0E}));

    auto toEight = Described(schIndexed, schIndexed, 16, 8);
    toEight.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(toEight, {0x00, 0xFF, 0xFF, 0xFF}, 2, 2), (Bytes{0, 255}));

    auto fromFour = Described(schIndexed, schIndexed, 4, 16);
    EXPECT_EQ(Convert(fromFour, {0xF1}, 2, 4), Words({65535, 4369}));
    auto fromThree = Described(schIndexed, schIndexed, 3, 16);
    EXPECT_EQ(Convert(fromThree, {0x20}, 1, 2), (Bytes{0x92, 0x24}));
    fromThree.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(fromThree, {0x20}, 1, 2), (Bytes{0x24, 0x92}));

    auto copy = Described(schIndexed, schIndexed, 16, 16);
    EXPECT_EQ(Convert(copy, {0x12, 0x34, 0x56, 0x78}, 2, 4), (Bytes{0x12, 0x34, 0x56, 0x78}));
    copy.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(copy, {0x12, 0x34, 0x56, 0x78}, 2, 4), (Bytes{0x34, 0x12, 0x78, 0x56}));
    EXPECT_EQ(Convert(copy, {0x12, 0x34}, 2, 4, 0x40), (Bytes{0xEE, 0xEE, 0x34, 0x12}));
}

// --- CMYK -------------------------------------------------------------------

TEST(CmykConverter, EightBitInks)
{
    auto toBgr = Described(schCMYK, schBGR);
    EXPECT_EQ(Convert(toBgr, {0, 0, 0, 0, 255, 0, 0, 0}, 2, 6), (Bytes{255, 255, 255, 255, 255, 0}));
    EXPECT_EQ(Convert(toBgr, {100, 50, 0, 128, 0, 0, 0, 255}, 2, 6), (Bytes{127, 102, 77, 0, 0, 0}));
    auto toRgb = Described(schCMYK, schRGB);
    EXPECT_EQ(Convert(toRgb, {100, 50, 0, 128}, 1, 3), (Bytes{77, 102, 127}));
    auto withAlpha = Described(schCMYK, schBGRA);
    EXPECT_EQ(Convert(withAlpha, {100, 50, 0, 128}, 1, 4), (Bytes{127, 102, 77, 0xEE}));
}

TEST(CmykConverter, SixteenBitInksAndPlanarData)
{
    auto toEight = Described(schCMYK, schRGB, 16, 8);
    EXPECT_EQ(Convert(toEight, Words({1000, 0, 65535, 0, 0, 0, 0, 32768}), 2, 6),
              (Bytes{251, 255, 0, 127, 127, 127}));
    auto toSixteen = Described(schCMYK, schBGR, 16, 16);
    EXPECT_EQ(Convert(toSixteen, Words({1000, 0, 65535, 0}), 1, 6), Words({0, 65535, 64535}));
    toSixteen.InFlags = cfSwapBytes;
    EXPECT_EQ(Convert(toSixteen, Words({0xE803, 0, 0xFFFF, 0}), 1, 6), Words({0, 65535, 64535}));

    const Bytes c = {100}, m = {50}, y = {0}, k = {128};
    auto planar = Described(schCMYK, schBGR);
    Bytes target(3);
    planar.TransformRow({c.data(), m.data(), y.data(), k.data()}, target.data(), 1);
    EXPECT_EQ(target, (Bytes{127, 102, 77}));
}

// --- luma and chroma ------------------------------------------------------------

TEST(YCbCrConverter, TablesAndPixels)
{
    auto toRgb = Described(schYCbCr, schRGB);
    EXPECT_EQ(Convert(toRgb, {100, 128, 128, 100, 200, 60, 150, 100, 180}, 3, 9),
              (Bytes{100, 100, 100, 5, 124, 228, 223, 123, 100}));
    const TChromaTables& t = toRgb.ChromaTables();
    EXPECT_EQ(t.RedFromCr[255], 178);
    EXPECT_EQ(t.RedFromCr[0], -179);
    EXPECT_EQ(t.BlueFromCb[0], -227);
    EXPECT_EQ(t.BlueFromCb[255], 225);
    EXPECT_EQ(t.GreenFromCr[60], 49);
    EXPECT_EQ(t.GreenFromCb[200], -25);

    auto toBgr = Described(schYCbCr, schBGR);
    EXPECT_EQ(Convert(toBgr, {100, 200, 60, 250, 255, 128, 10, 0, 128}, 3, 9),
              (Bytes{228, 124, 5, 255, 206, 250, 0, 54, 10}));
}

TEST(YCbCrConverter, PhotoCdOffsets)
{
    auto manager = Described(schPhotoYCC, schRGB);
    EXPECT_EQ(Convert(manager, {100, 156, 137, 120, 170, 100}, 2, 6), (Bytes{100, 100, 100, 68, 141, 145}));
    EXPECT_EQ(manager.ChromaTables().RedFromCr[137], 0);
    EXPECT_EQ(manager.ChromaTables().BlueFromCb[156], 0);
}

TEST(YCbCrConverter, SixteenBitSidesAndOddWeights)
{
    auto deepTarget = Described(schYCbCr, schBGR, 8, 16);
    EXPECT_EQ(Convert(deepTarget, {100, 128, 128}, 1, 6), Words({25700, 25700, 25700}));
    auto deepSource = Described(schYCbCr, schRGB, 16, 8);
    EXPECT_EQ(Convert(deepSource, Words({100 * 257, 200 * 257, 60 * 257}), 1, 3), (Bytes{5, 124, 228}));

    // A green weight of 0 must not break the tables: neutral pixels stay grey,
    // the others saturate.
    auto odd = Described(schYCbCr, schRGB);
    odd.SetChromaParameters({0.3f, 0.0f, 0.1f}, 1, 1);
    EXPECT_EQ(Convert(odd, {100, 128, 128, 100, 128, 255}, 2, 6), (Bytes{100, 100, 100, 255, 0, 100}));
}

TEST(YCbCrConverter, PlanarAndMaskedRows)
{
    const Bytes y = {100, 150}, cb = {200, 100}, cr = {60, 180};
    auto manager = Described(schYCbCr, schRGB);
    Bytes target(6, 0xEE);
    manager.TransformRow({y.data(), cb.data(), cr.data()}, target.data(), 2, 0x40);
    EXPECT_EQ(target, (Bytes{0xEE, 0xEE, 0xEE, 5, 124, 228}));
}

} // namespace
} // namespace vidlark
