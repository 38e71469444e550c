// The colour manager's descriptions, choice of converter, gamma table,
// pixel formats, palettes and errors.

#include "imaging/ColorManager.h"
#include "tests/imaging/ColorManagerTestSupport.h"
#include "imaging/GraphicErrors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vidlark {
namespace {

const std::string IndexedMessage = "Conversion between indexed and non-indexed pixel formats is not supported.";
const std::string NoMethodMessage = "Color conversion failed. Could not find a proper method.";
const std::string DepthMessage = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const std::string SampleCountMessage = "Sample count per pixel does not correspond to the given color scheme.";

template <typename F>
std::string ConversionError(F&& action)
{
    try {
        action();
    } catch (const EColorConversionError& e) {
        return e.what();
    }
    return "no error";
}

// Converts one pixel with the manager's current descriptions.
std::string TryConvert(TColorManager& manager)
{
    std::array<std::uint8_t, 16> source{};
    std::array<std::uint8_t, 16> target{};
    return ConversionError([&] { manager.TransformRow(source.data(), target.data(), 1); });
}

TEST(ColorManagerSetup, StartsWithDefaultDescriptions)
{
    TColorManager manager;
    EXPECT_TRUE(manager.NeedsSetup());
    EXPECT_EQ(manager.InBitsPerSample(), 8);
    EXPECT_EQ(manager.OutBitsPerSample(), 8);
    EXPECT_EQ(manager.InSamplesPerPixel(), 3);
    EXPECT_EQ(manager.OutSamplesPerPixel(), 3);
    EXPECT_FLOAT_EQ(manager.ImageGamma(), 1.0f);
    EXPECT_FLOAT_EQ(manager.ScreenGamma(), 2.2f);
    EXPECT_EQ(manager.InLayout(), schRGB);
    EXPECT_EQ(manager.OutLayout(), schBGR);
    EXPECT_EQ(manager.SubsampleX(), 1);
    EXPECT_EQ(manager.SubsampleY(), 1);
    EXPECT_FLOAT_EQ(manager.LumaWeights()[0], 0.299f);
    EXPECT_FLOAT_EQ(manager.LumaWeights()[1], 0.587f);
    EXPECT_FLOAT_EQ(manager.LumaWeights()[2], 0.114f);
    EXPECT_EQ(manager.InFlags, 0);
    EXPECT_EQ(manager.OutFlags, 0);
}

TEST(ColorManagerSetup, OnlyAChangedValueForcesANewChoice)
{
    TColorManager manager;
    ASSERT_EQ(TryConvert(manager), "no error");
    EXPECT_FALSE(manager.NeedsSetup());

    manager.SetInLayout(schRGB);
    manager.SetOutLayout(schBGR);
    manager.SetInBitsPerSample(8);
    manager.SetOutBitsPerSample(8);
    manager.SetInSamplesPerPixel(3);
    manager.SetOutSamplesPerPixel(3);
    manager.SetGammas(1.5f, 2.0f);
    manager.SetChromaParameters({0.2f, 0.7f, 0.1f}, 2, 2);
    EXPECT_FALSE(manager.NeedsSetup());

    manager.SetOutSamplesPerPixel(4);
    EXPECT_TRUE(manager.NeedsSetup());
    ASSERT_EQ(TryConvert(manager), "no error");
    manager.SetOutLayout(schRGB);
    EXPECT_TRUE(manager.NeedsSetup());
}

TEST(ColorManagerSetup, InvalidDepthsAndCountsAreRefusedAndLeaveTheValue)
{
    TColorManager manager;
    manager.SetInBitsPerSample(16);
    manager.SetOutSamplesPerPixel(4);
    EXPECT_EQ(ConversionError([&] { manager.SetInBitsPerSample(0); }), DepthMessage);
    EXPECT_EQ(ConversionError([&] { manager.SetOutBitsPerSample(17); }), DepthMessage);
    EXPECT_EQ(ConversionError([&] { manager.SetInSamplesPerPixel(0); }), SampleCountMessage);
    EXPECT_EQ(ConversionError([&] { manager.SetOutSamplesPerPixel(5); }), SampleCountMessage);
    EXPECT_EQ(manager.InBitsPerSample(), 16);
    EXPECT_EQ(manager.OutBitsPerSample(), 8);
    EXPECT_EQ(manager.InSamplesPerPixel(), 3);
    EXPECT_EQ(manager.OutSamplesPerPixel(), 4);
    // Depths that are not 1, 2, 4, 8 or 16 are still accepted up to 16.
    EXPECT_EQ(ConversionError([&] { manager.SetInBitsPerSample(12); }), "no error");
}

TEST(ColorManagerSetup, GammasNotAboveZeroFallBackToDefaults)
{
    TColorManager manager;
    ASSERT_EQ(TryConvert(manager), "no error");
    manager.SetGammas(0.0f, -3.0f);
    EXPECT_FLOAT_EQ(manager.ImageGamma(), 1.0f);
    EXPECT_FLOAT_EQ(manager.ScreenGamma(), 2.2f);
    manager.SetGammas(1.8f, 1.0f);
    EXPECT_FLOAT_EQ(manager.ImageGamma(), 1.8f);
    EXPECT_FLOAT_EQ(manager.ScreenGamma(), 1.0f);
    EXPECT_FALSE(manager.NeedsSetup());
}

TEST(ColorManagerSetup, ChromaParametersStoreWeightsBeforeCheckingSubsampling)
{
    TColorManager manager;
    manager.SetChromaParameters({0.25f}, 2, 1);
    EXPECT_FLOAT_EQ(manager.LumaWeights()[0], 0.25f);
    EXPECT_FLOAT_EQ(manager.LumaWeights()[1], 0.587f);
    EXPECT_EQ(manager.SubsampleX(), 2);
    EXPECT_EQ(manager.SubsampleY(), 1);

    EXPECT_EQ(ConversionError([&] { manager.SetChromaParameters({0.3f, 0.5f}, 3, 1); }),
              "Subsampling value is invalid. Allowed are 1, 2 and 4.");
    EXPECT_FLOAT_EQ(manager.LumaWeights()[1], 0.5f);
    EXPECT_EQ(ConversionError([&] { manager.SetChromaParameters({}, 2, 0); }),
              "Subsampling value is invalid. Allowed are 1, 2 and 4.");
    EXPECT_EQ(ConversionError([&] { manager.SetChromaParameters({0.2f, 0.6f, 0.2f}, 2, 4); }),
              "Vertical subsampling value must be <= horizontal subsampling value.");
    EXPECT_FLOAT_EQ(manager.LumaWeights()[2], 0.2f);
    EXPECT_EQ(manager.SubsampleX(), 2);
    EXPECT_EQ(manager.SubsampleY(), 1);

    manager.SetChromaParameters({}, 4, 4);
    EXPECT_EQ(manager.SubsampleX(), 4);
    EXPECT_EQ(manager.SubsampleY(), 4);
}

TEST(ColorManagerChoice, IndexedAndNonIndexedDescriptionsDoNotMix)
{
    auto grayAlphaToGrayAlpha = Described(schGrayAlpha, schGrayAlpha);
    EXPECT_EQ(TryConvert(grayAlphaToGrayAlpha), IndexedMessage);
    EXPECT_TRUE(grayAlphaToGrayAlpha.NeedsSetup());

    auto grayAlphaToGray = Described(schGrayAlpha, schGray);
    EXPECT_EQ(TryConvert(grayAlphaToGray), "no error");

    auto rgbToIndexed = Described(schRGB, schIndexed);
    EXPECT_EQ(TryConvert(rgbToIndexed), IndexedMessage);
    auto indexedToBgr = Described(schIndexed, schBGR);
    EXPECT_EQ(TryConvert(indexedToBgr), IndexedMessage);
    auto cmykToGray = Described(schCMYK, schGray);
    EXPECT_EQ(TryConvert(cmykToGray), IndexedMessage);
}

TEST(ColorManagerChoice, PairsWithoutConverterFail)
{
    for (TColorLayout out : {schRGB, schBGR, schBGRA, schCMY, schCMYK}) {
        auto cmy = Described(schCMY, out);
        EXPECT_EQ(TryConvert(cmy), NoMethodMessage) << int(out);
    }
    auto unknown = Described(schUnknown, schBGR);
    EXPECT_EQ(TryConvert(unknown), NoMethodMessage);
    auto toUnknown = Described(schRGB, schUnknown);
    EXPECT_EQ(TryConvert(toUnknown), NoMethodMessage);
    auto cmykToCmyk = Described(schCMYK, schCMYK);
    EXPECT_EQ(TryConvert(cmykToCmyk), NoMethodMessage);
    auto gray16To4 = Described(schGray, schGray, 16, 4);
    EXPECT_EQ(TryConvert(gray16To4), NoMethodMessage);
    // Colour converters work on whole-byte samples only.
    auto rgb5 = Described(schRGB, schBGR, 8, 5);
    EXPECT_EQ(TryConvert(rgb5), NoMethodMessage);
    auto grayAlpha4 = Described(schGrayAlpha, schGray, 4, 8);
    EXPECT_EQ(TryConvert(grayAlpha4), NoMethodMessage);
}

TEST(ColorManagerChoice, AlphaFlagFollowsTheLayouts)
{
    auto manager = Described(schRGB, schBGRA);
    manager.InFlags = cfAlpha | cfSwapBytes;
    ASSERT_EQ(TryConvert(manager), "no error");
    EXPECT_EQ(manager.InFlags, cfSwapBytes);
    EXPECT_EQ(manager.OutFlags, cfAlpha);
    manager.SetInLayout(schRGBA);
    manager.SetOutLayout(schBGR);
    ASSERT_EQ(TryConvert(manager), "no error");
    EXPECT_EQ(manager.InFlags, cfAlpha | cfSwapBytes);
    EXPECT_EQ(manager.OutFlags, 0);
}

TEST(ColorManagerChoice, AssigningTheFlagsKeepsTheAlphaOfTheLayouts)
{
    auto manager = Described(schRGBA, schBGRA);
    ASSERT_EQ(TryConvert(manager), "no error");
    manager.InFlags = 0;
    manager.OutFlags = cfGamma;
    const std::uint8_t source[] = {0, 0, 0, 77};
    std::uint8_t target[4] = {};
    manager.TransformRow(source, target, 1);
    EXPECT_EQ(target[3], 77);
    EXPECT_EQ(manager.InFlags, cfAlpha);
    EXPECT_EQ(manager.OutFlags, cfAlpha | cfGamma);
}

TEST(ColorManagerChoice, PlanarSourcesNeedABufferPerComponent)
{
    auto manager = Described(schRGBA, schBGRA);
    std::array<std::uint8_t, 4> r{}, g{}, b{};
    std::array<std::uint8_t, 16> target{};
    EXPECT_EQ(ConversionError([&] { manager.TransformRow({r.data(), g.data(), b.data()}, target.data(), 1); }),
              SampleCountMessage);
    auto cmyk = Described(schCMYK, schBGR);
    EXPECT_EQ(ConversionError([&] { cmyk.TransformRow({r.data(), g.data(), b.data()}, target.data(), 1); }),
              SampleCountMessage);
    EXPECT_EQ(ConversionError([&] { cmyk.TransformRow(std::span<const void* const>(), target.data(), 1); }),
              SampleCountMessage);
}

TEST(ColorManagerGamma, DefaultTableIsTheDisplayGamma)
{
    TColorManager manager;
    const auto& table = manager.GammaTable();
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 21);
    EXPECT_EQ(table[17], 74);
    EXPECT_EQ(table[64], 136);
    EXPECT_EQ(table[128], 186);
    EXPECT_EQ(table[200], 228);
    EXPECT_EQ(table[254], 255);
    EXPECT_EQ(table[255], 255);

    manager.SetGammas(1.0f, 1.0f);
    for (unsigned i = 0; i < 256; ++i)
        ASSERT_EQ(table[i], i);
}

TEST(ColorManagerGamma, TheTableIgnoresDepthsAndTheOrderOfTheSetters)
{
    // The palettes and converters look up 8-bit levels at any depth: a
    // narrow table would clamp a 4-bit grey palette to near black.
    TColorManager depthsFirst;
    depthsFirst.SetInBitsPerSample(2);
    depthsFirst.SetOutBitsPerSample(4);
    depthsFirst.SetGammas(1.0f, 1.0f);
    TColorManager gammasFirst;
    gammasFirst.SetGammas(1.0f, 1.0f);
    gammasFirst.SetInBitsPerSample(2);
    gammasFirst.SetOutBitsPerSample(4);
    EXPECT_EQ(depthsFirst.GammaTable(), gammasFirst.GammaTable());
    for (unsigned i = 0; i < 256; ++i)
        ASSERT_EQ(gammasFirst.GammaTable()[i], i);
}

TEST(ColorManagerPixelFormat, FollowsBitsAndSamples)
{
    struct Case {
        std::uint8_t bits, samples;
        TPixelFormat format;
    };
    const Case cases[] = {
        {1, 1, pf1bit},  {2, 1, pf4bit},    {4, 1, pf4bit},    {5, 1, pfCustom}, {7, 1, pfCustom},
        {8, 1, pf8bit},  {16, 1, pf8bit},   {1, 3, pf15bit},   {5, 3, pf15bit},  {6, 3, pf24bit},
        {8, 3, pf24bit}, {16, 3, pf24bit},  {8, 4, pf32bit},   {16, 4, pf32bit}, {4, 4, pfCustom},
        {8, 2, pfCustom}, {1, 2, pfCustom},
    };
    for (const Case& c : cases) {
        TColorManager manager;
        manager.SetOutBitsPerSample(c.bits);
        manager.SetOutSamplesPerPixel(c.samples);
        EXPECT_EQ(manager.PixelFormatFor(true), c.format) << int(c.bits) << "x" << int(c.samples);
        EXPECT_EQ(manager.PixelFormatFor(false), pf24bit);
    }
    TColorManager manager;
    manager.SetInBitsPerSample(1);
    manager.SetInSamplesPerPixel(1);
    EXPECT_EQ(manager.PixelFormatFor(false), pf1bit);
}

TPaletteEntry Grey(std::uint8_t v) { return {v, v, v, 0}; }

TEST(ColorManagerPalette, GrayPaletteSpansTheTargetDepth)
{
    TColorManager manager;
    manager.SetOutBitsPerSample(4);
    manager.SetOutSamplesPerPixel(1);
    TPalette palette = manager.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0], Grey(0));
    EXPECT_EQ(palette[1], Grey(17));
    EXPECT_EQ(palette[15], Grey(255));

    palette = manager.MakeGrayPalette(true);
    EXPECT_EQ(palette[0], Grey(255));
    EXPECT_EQ(palette[14], Grey(17));
    EXPECT_EQ(palette[15], Grey(0));

    manager.OutFlags = cfGamma;
    palette = manager.MakeGrayPalette(false);
    EXPECT_EQ(palette[1], Grey(74));

    manager.SetOutBitsPerSample(1);
    palette = manager.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette[1], Grey(255));

    manager.OutFlags = 0;
    manager.SetOutBitsPerSample(3);
    palette = manager.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 8u);
    EXPECT_EQ(palette[7], Grey(252));

    manager.SetOutBitsPerSample(8);
    manager.SetOutSamplesPerPixel(3);
    palette = manager.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[200], Grey(200));
}

TPaletteEntry Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {r, g, b, 0}; }

TEST(ColorManagerPalette, EightBitFormats)
{
    TColorManager manager;
    const std::uint8_t triples[] = {10, 20, 30, 40, 50, 60};
    TPalette palette = manager.MakeColorPalette({triples}, 0, 2, false);
    EXPECT_EQ(palette, (TPalette{Rgb(10, 20, 30), Rgb(40, 50, 60)}));
    palette = manager.MakeColorPalette({triples}, 0, 2, true);
    EXPECT_EQ(palette, (TPalette{Rgb(30, 20, 10), Rgb(60, 50, 40)}));

    const std::uint8_t quads[] = {10, 20, 30, 99, 40, 50, 60, 99};
    palette = manager.MakeColorPalette({quads}, 1, 2, true);
    EXPECT_EQ(palette, (TPalette{Rgb(30, 20, 10), Rgb(60, 50, 40)}));

    const std::uint8_t red[] = {1, 2}, green[] = {3, 4}, blue[] = {5, 6};
    for (std::uint8_t format : {2, 3})
        for (bool order : {false, true})
            EXPECT_EQ(manager.MakeColorPalette({red, green, blue}, format, 2, order),
                      (TPalette{Rgb(1, 3, 5), Rgb(2, 4, 6)}));

    manager.OutFlags = cfGamma;
    palette = manager.MakeColorPalette({triples}, 0, 1, false);
    EXPECT_EQ(palette, (TPalette{Rgb(59, 80, 96)}));
}

// Native 16-bit values in a byte buffer.
std::vector<std::uint8_t> Words(std::initializer_list<std::uint16_t> values)
{
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), std::data(values), bytes.size());
    return bytes;
}

TEST(ColorManagerPalette, SixteenBitFormats)
{
    TColorManager manager;
    const auto triples = Words({65535, 257, 65534, 0, 0, 0});
    EXPECT_EQ(manager.MakeColorPalette({triples.data()}, 4, 2, true), (TPalette{Rgb(255, 1, 254), Rgb(0, 0, 0)}));
    EXPECT_EQ(manager.MakeColorPalette({triples.data()}, 4, 1, false), (TPalette{Rgb(254, 1, 255)}));

    const auto quads = Words({514, 771, 1028, 9999, 65535, 0, 0, 9999});
    EXPECT_EQ(manager.MakeColorPalette({quads.data()}, 5, 2, true), (TPalette{Rgb(2, 3, 4), Rgb(255, 0, 0)}));

    const auto red = Words({257}), green = Words({0xFF00}), blue = Words({65535});
    EXPECT_EQ(manager.MakeColorPalette({red.data(), green.data(), blue.data()}, 6, 1, false),
              (TPalette{Rgb(1, 254, 255)}));
    manager.InFlags = cfSwapBytes;
    EXPECT_EQ(manager.MakeColorPalette({red.data(), green.data(), blue.data()}, 7, 1, true),
              (TPalette{Rgb(1, 0, 255)}));
    manager.OutFlags = cfGamma;
    EXPECT_EQ(manager.MakeColorPalette({red.data(), green.data(), blue.data()}, 7, 1, true),
              (TPalette{Rgb(21, 0, 255)}));
}

TEST(ColorManagerPalette, CountIsCappedAndFormatChecked)
{
    TColorManager manager;
    std::vector<std::uint8_t> values(300 * 3);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::uint8_t>(i / 3);
    const TPalette palette = manager.MakeColorPalette({values.data()}, 0, 300, false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[255], Rgb(255, 255, 255));
    EXPECT_EQ(ConversionError([&] { manager.MakeColorPalette({values.data()}, 8, 1, false); }), NoMethodMessage);
    EXPECT_EQ(ConversionError([&] { manager.MakeColorPalette({values.data()}, 2, 1, false); }),
              SampleCountMessage);
}

TEST(ColorManagerPalette, EntriesAreSpreadOverTheTargetRange)
{
    std::vector<std::uint8_t> values;
    for (int i = 0; i < 256; ++i)
        values.insert(values.end(), {static_cast<std::uint8_t>(i), 0, 0});

    TColorManager widen;
    widen.SetInBitsPerSample(4);
    widen.SetOutBitsPerSample(8);
    TPalette palette = widen.MakeColorPalette({values.data()}, 0, 16, false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Rgb(0, 0, 0));
    EXPECT_EQ(palette[16], Rgb(0, 0, 0));
    EXPECT_EQ(palette[17], Rgb(1, 0, 0));
    EXPECT_EQ(palette[33], Rgb(1, 0, 0));
    EXPECT_EQ(palette[34], Rgb(2, 0, 0));
    EXPECT_EQ(palette[255], Rgb(15, 0, 0));

    TColorManager narrow;
    narrow.SetInBitsPerSample(8);
    narrow.SetOutBitsPerSample(4);
    palette = narrow.MakeColorPalette({values.data()}, 0, 256, false);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[1], Rgb(17, 0, 0));
    EXPECT_EQ(palette[15], Rgb(255, 0, 0));

    // A 16-bit index range reaches past the 256 entries: those are black.
    TColorManager wide;
    wide.SetInBitsPerSample(16);
    wide.SetOutBitsPerSample(8);
    palette = wide.MakeColorPalette({values.data()}, 0, 256, false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[1], Rgb(0, 0, 0));
}

} // namespace
} // namespace vidlark
