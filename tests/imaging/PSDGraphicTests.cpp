// The Photoshop reader: content test, header reading, the colour modes and
// their conversions, colour tables, Packbits rows, refusals and files
// written by other programs.

#include "imaging/ImageFormats.h"
#include "imaging/PSDGraphic.h"
#include "imaging/Picture.h"
#include "tests/imaging/PlanarReaderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace vidlark;
using namespace vidlark::test;

namespace {

struct THeaderFields {
    const char* Signature = "8BPS";
    std::uint16_t Version = 1;
    std::uint16_t Channels = 3;
    std::uint32_t Height = 1;
    std::uint32_t Width = 1;
    std::uint16_t Depth = 8;
    std::uint16_t Mode = 3;
};

void Put(Bytes& B, std::uint64_t Value, int Size)
{
    for (int i = Size - 1; i >= 0; --i)
        B.push_back(static_cast<std::uint8_t>(Value >> (8 * i)));
}

Bytes Header(const THeaderFields& F)
{
    Bytes H(F.Signature, F.Signature + 4);
    Put(H, F.Version, 2);
    H.insert(H.end(), 6, 0);
    Put(H, F.Channels, 2);
    Put(H, F.Height, 4);
    Put(H, F.Width, 4);
    Put(H, F.Depth, 2);
    Put(H, F.Mode, 2);
    return H;
}

// The three sections (colour data, empty resources, a layer section of
// LayerBytes bytes) and the compression field.
Bytes Sections(const Bytes& ColorData, std::uint16_t Compression, std::uint32_t LayerBytes = 0)
{
    Bytes S;
    Put(S, ColorData.size(), 4);
    S.insert(S.end(), ColorData.begin(), ColorData.end());
    Put(S, 0, 4);
    Put(S, LayerBytes, 4);
    S.insert(S.end(), LayerBytes, 0xAB);
    Put(S, Compression, 2);
    return S;
}

Bytes Cut(Bytes Data, std::size_t Size)
{
    Data.resize(Size);
    return Data;
}


const std::filesystem::path Fixtures = VIDLARK_PSD_DATA;
const std::string Invalid = "Cannot load image. Invalid or unexpected PSD or PDD image format.";

} // namespace

TEST(PSDContentTest, AcceptsLoadableHeadersOnly)
{
    const auto Accepted = [](const THeaderFields& F) {
        TMemoryStream Stream(Join({Header(F), Sections({}, 0)}));
        const bool Answer = TPSDGraphic::CanReadStream(Stream);
        EXPECT_EQ(Stream.GetPosition(), 0);
        return Answer;
    };
    EXPECT_TRUE(Accepted({}));
    EXPECT_TRUE(Accepted({.Channels = 1, .Depth = 1, .Mode = 0}));
    EXPECT_TRUE(Accepted({.Channels = 5, .Depth = 16, .Mode = 4}));
    // The load refuses a signature in other letter case, so the content
    // test does too; version 2 is the large document format.
    EXPECT_FALSE(Accepted({.Signature = "8bps"}));
    EXPECT_FALSE(Accepted({.Version = 2}));
    // No conversion for multichannel and duotone; too few channels for the
    // mode; depths the mode does not have; more channels than the format.
    EXPECT_FALSE(Accepted({.Mode = 7}));
    EXPECT_FALSE(Accepted({.Channels = 1, .Mode = 8}));
    EXPECT_FALSE(Accepted({.Channels = 2, .Mode = 3}));
    EXPECT_FALSE(Accepted({.Channels = 3, .Mode = 4}));
    EXPECT_FALSE(Accepted({.Channels = 2, .Mode = 9}));
    EXPECT_FALSE(Accepted({.Channels = 1, .Depth = 8, .Mode = 0}));
    EXPECT_FALSE(Accepted({.Channels = 1, .Depth = 16, .Mode = 2}));
    EXPECT_FALSE(Accepted({.Depth = 32}));
    EXPECT_FALSE(Accepted({.Channels = 57}));
    // 26 bytes are not enough: more must remain.
    TMemoryStream Bare(Header({}));
    EXPECT_FALSE(TPSDGraphic::CanReadStream(Bare));
}

TEST(PSDProperties, ModesChannelsAndCompression)
{
    struct TCase {
        std::uint16_t Mode, Channels, Depth, Compression;
        TColorLayout Layout;
        std::uint8_t Samples;
        TPixelCompression Stored;
    };
    const TCase Cases[] = {
        {0, 1, 1, 0, schGray, 1, cmpNone},    {1, 2, 16, 1, schGray, 1, cmpPackbits},
        {2, 3, 8, 0, schIndexed, 1, cmpNone}, {3, 3, 8, 1, schRGB, 3, cmpPackbits},
        {3, 5, 8, 0, schRGBA, 4, cmpNone},    {4, 5, 8, 2, schCMYK, 4, cmpDeflate},
        {9, 4, 16, 3, schCIELab, 3, cmpDeflate}, {3, 3, 8, 7, schRGB, 3, cmpUnknown},
    };
    for (const TCase& C : Cases) {
        TPSDGraphic Graphic;
        TMemoryStream Stream(Join({Header({.Channels = C.Channels, .Height = 7, .Width = 300, .Depth = C.Depth,
                                           .Mode = C.Mode}),
                                   Sections({}, C.Compression, 5)}));
        ASSERT_TRUE(Graphic.ReadProperties(Stream, 0)) << C.Mode;
        EXPECT_EQ(Stream.GetPosition(), 0);
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Width, 300u);
        EXPECT_EQ(P.Height, 7u);
        EXPECT_EQ(P.Layout, C.Layout) << C.Mode;
        EXPECT_EQ(P.SamplesPerPixel, C.Samples) << C.Mode;
        EXPECT_EQ(P.ChannelCount, C.Channels);
        EXPECT_EQ(P.BitsPerSample, C.Depth);
        EXPECT_EQ(P.Compression, C.Stored);
        EXPECT_EQ(P.Flags, imgBigEndian | (C.Mode == 0 ? imgMinIsWhite : 0));
    }
    // Sections longer than the file: no header this reader can load.
    TPSDGraphic Graphic;
    Bytes Short = Join({Header({}), Sections({}, 0, 100)});
    Short.resize(Short.size() - 10);
    TMemoryStream Stream(Short);
    EXPECT_FALSE(Graphic.ReadProperties(Stream, 0));
}

TEST(PSDLoad, ColourModesConvertToTheBitmap)
{
    struct TCase {
        const char* What;
        std::uint16_t Mode, Channels;
        std::uint32_t Width;
        Bytes Planes; // 8-bit samples, channel after channel
        TPixelFormat Format;
        Bytes Shown;
    };
    const TCase Cases[] = {
        // 0 is full ink: full cyan, then no ink at all; a fifth channel is
        // passed over.
        {"CMYK", 4, 5, 2, {0, 255, 255, 255, 255, 255, 255, 255, 9, 9}, pf24bit, {255, 255, 0, 255, 255, 255}},
        // Lab with an alpha channel converts three: white, black, a red
        // (L* 53.3, a* 80, b* 67: Little CMS gives 250.7, -2.9, 7.6).
        {"Lab", 9, 4, 3, {255, 0, 136, 128, 128, 208, 128, 128, 195, 1, 2, 3}, pf24bit,
         {255, 255, 255, 0, 0, 0, 8, 0, 251}},
        // RGB with extra channels: the first four, as RGBA.
        {"RGBA", 3, 5, 1, {10, 20, 30, 40, 50}, pf32bit, {30, 20, 10, 40}},
    };
    for (const TCase& C : Cases) {
        // 16-bit samples of 257 times the 8-bit ones show the same.
        Bytes Wide;
        for (std::uint8_t Sample : C.Planes)
            Wide.insert(Wide.end(), {Sample, Sample});
        for (std::uint16_t Depth : {8, 16}) {
            const auto Graphic = Load<TPSDGraphic>(
                Join({Header({.Channels = C.Channels, .Width = C.Width, .Depth = Depth, .Mode = C.Mode}),
                      Sections({}, 0), Depth == 8 ? C.Planes : Wide}));
            EXPECT_EQ(Graphic->GetPixelFormat(), C.Format) << C.What << " " << Depth;
            EXPECT_EQ(Row(*Graphic, 0), C.Shown) << C.What << " " << Depth;
        }
    }
}

TEST(PSDLoad, GreyAndIndexedPicturesShowTheirFirstChannel)
{
    // Grey with an alpha channel: one sample, a grey ramp.
    const auto Grey = Load<TPSDGraphic>(Join({Header({.Channels = 2, .Width = 2, .Mode = 1}), Sections({}, 0), Bytes{7, 200, 1, 2}}));
    EXPECT_EQ(Grey->GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(*Grey, 0), (Bytes{7, 200}));
    EXPECT_EQ(Grey->PaletteEntries()[200], (TPaletteEntry{200, 200, 200, 0}));
    // 16-bit grey rows hold two bytes a pixel, most significant first.
    const auto Wide =
        Load<TPSDGraphic>(Join({Header({.Channels = 1, .Width = 3, .Depth = 16, .Mode = 1}), Sections({}, 0),
                   Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0x01, 0x00}}));
    EXPECT_EQ(Row(*Wide, 0), (Bytes{255, 254, 0}));
    // Bitmap mode: set bits are black.
    const auto Mono = Load<TPSDGraphic>(Join({Header({.Channels = 1, .Width = 10, .Depth = 1, .Mode = 0}), Sections({}, 0),
                                  Bytes{0xF0, 0x40}}));
    EXPECT_EQ(Mono->GetPixelFormat(), pf1bit);
    EXPECT_EQ(Row(*Mono, 0), (Bytes{0xF0, 0x40}));
    EXPECT_EQ(Mono->PixelColor(0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(Mono->PixelColor(4, 0), RGBColor(255, 255, 255));
}

TEST(PSDLoad, ColourTablesGiveAtMost256Colours)
{
    // 300 colours: red values, then green, then blue; the first 256 of each.
    Bytes Table;
    for (int Plane = 0; Plane < 3; ++Plane)
        for (int i = 0; i < 300; ++i)
            Table.push_back(static_cast<std::uint8_t>(i * (Plane + 1)));
    const auto Long = Load<TPSDGraphic>(Join({Header({.Channels = 1, .Width = 2, .Mode = 2}), Sections(Table, 0), Bytes{5, 255}}));
    EXPECT_EQ(Long->PaletteCount(), 256u);
    EXPECT_EQ(Long->PaletteEntries()[5], (TPaletteEntry{5, 10, 15, 0}));
    EXPECT_EQ(Long->PaletteEntries()[255], (TPaletteEntry{255, 254, 253, 0}));
    EXPECT_EQ(Row(*Long, 0), (Bytes{5, 255}));
    // Two colours: entries beyond them are black.
    const auto Short = Load<TPSDGraphic>(Join({Header({.Channels = 1, .Mode = 2}), Sections(Bytes{1, 2, 3, 4, 5, 6}, 0), Bytes{1}}));
    EXPECT_EQ(Short->PaletteEntries()[1], (TPaletteEntry{2, 4, 6, 0}));
    EXPECT_EQ(Short->PixelColor(0, 0), RGBColor(2, 4, 6));
}

TEST(PSDLoad, PackbitsRowsFollowTheirByteCounts)
{
    // Two rows of an RGB picture: the byte counts of all three channels
    // come first, then the packed rows channel by channel.
    const Bytes Counts{0, 2, 0, 4, 0, 2, 0, 2, 0, 2, 0, 2};
    const Bytes Rows{0xFE, 1, /**/ 2, 2, 3, 4, /**/ 0xFE, 4, 0xFE, 5, /**/ 0xFE, 6, 0xFE, 7};
    const Bytes Picture = Join({Header({.Height = 2, .Width = 3}), Sections({}, 1), Counts, Rows});
    const auto Graphic = Load<TPSDGraphic>(Picture);
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{6, 4, 1, 6, 4, 1, 6, 4, 1}));
    EXPECT_EQ(Row(*Graphic, 1), (Bytes{7, 5, 2, 7, 5, 3, 7, 5, 4}));
    // Cut inside the last channel: what is there is shown, the rest is 0.
    const auto Part = Load<TPSDGraphic>(Cut(Picture, Picture.size() - 2));
    EXPECT_EQ(Row(*Part, 0), (Bytes{6, 4, 1, 6, 4, 1, 6, 4, 1}));
    EXPECT_EQ(Row(*Part, 1), (Bytes{0, 5, 2, 0, 5, 3, 0, 5, 4}));
}

TEST(PSDLoad, ReportsLoadingAndProgressRowByRow)
{
    TPSDGraphic Graphic;
    std::vector<std::string> Reports;
    Graphic.OnProgress = [&](TGraphic&, TProgressStage Stage, std::uint8_t Percent, bool, const TRect&,
                             const std::string& Msg) {
        Reports.push_back(std::to_string(int(Stage)) + " " + std::to_string(Percent) + " " + Msg);
    };
    TMemoryStream Stream(Join({Header({.Height = 4}), Sections({}, 0), Bytes(12, 1)}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Reports, (std::vector<std::string>{"0 0 Preparing...", "2 0 ", "0 0 Loading data...", "2 0 ",
                                                 "0 0 Transfering...", "1 0 ", "1 25 ", "1 50 ", "1 75 ", "2 0 "}));
}

TEST(PSDLoad, RefusesWhatItCannotRead)
{
    const Bytes Cases[] = {
        // A header cut short, a header alone, sections past the end.
        Bytes{'8', 'B', 'P', 'S', 0, 1},
        Header({}),
        Cut(Join({Header({}), Sections({}, 0, 500)}), 60),
        // A signature in other letter case, 255 channels, a duotone, RGB
        // with two channels.
        Join({Header({.Signature = "8bps"}), Sections({}, 0), Bytes(3, 0)}),
        Join({Header({.Channels = 255, .Height = 4000, .Width = 4000}), Sections({}, 1), Bytes(64, 0)}),
        Join({Header({.Channels = 1, .Mode = 8}), Sections({}, 0), Bytes(3, 0)}),
        Join({Header({.Channels = 2}), Sections({}, 0), Bytes(3, 0)}),
        // 65535 x 65535 in a tiny file; a byte count table or plain planes
        // the file cannot hold; Packbits rows far too short.
        Join({Header({.Height = 65535, .Width = 65535}), Sections({}, 1), Bytes(64, 0)}),
        Join({Header({.Channels = 56, .Height = 20000, .Width = 1}), Sections({}, 1), Bytes(64, 0)}),
        Join({Header({.Height = 100, .Width = 100}), Sections({}, 0), Bytes(29999, 0)}),
        Join({Header({.Height = 4000, .Width = 4000}), Sections({}, 1), Bytes(96000, 0)}),
    };
    for (const Bytes& Data : Cases)
        ExpectRefused<TPSDGraphic>(Data, Invalid);
    // Zip data are not read as raw planes.
    for (std::uint16_t Zip : {2, 3})
        ExpectRefused<TPSDGraphic>(Join({Header({}), Sections({}, Zip), Bytes(3, 0)}),
                                   "Cannot load image. The compression scheme is not supported for PSD or PDD files.");
}

namespace {

class PSDFixture : public ::testing::TestWithParam<TReferenceFixture> {};

} // namespace

TEST_P(PSDFixture, MatchesAPublicToolsDecoding)
{
    ExpectMatchesReference<TPSDGraphic>(Fixtures, GetParam(), ".psd");
}

// CMYK: the writer rounds where the format's integer conversion truncates.
INSTANTIATE_TEST_SUITE_P(
    WrittenByOtherPrograms, PSDFixture,
    ::testing::Values(TReferenceFixture{"im-rgb", pf24bit}, TReferenceFixture{"im-rgb-plain", pf24bit}, TReferenceFixture{"im-rgba", pf32bit},
                      TReferenceFixture{"im-grey", pf8bit}, TReferenceFixture{"im-indexed", pf8bit}, TReferenceFixture{"im-cmyk", pf24bit, 1},
                      TReferenceFixture{"im-rgb16", pf24bit}, TReferenceFixture{"rgb-packed", pf24bit}, TReferenceFixture{"rgb-plain", pf24bit},
                      TReferenceFixture{"grey-alpha-packed", pf8bit}, TReferenceFixture{"bitmap-packed", pf1bit},
                      TReferenceFixture{"bitmap-plain", pf1bit}, TReferenceFixture{"grey16-packed", pf8bit}),
    FixtureTestName);

TEST(PSDRegistration, TwoExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"psd", "pdd"})
        EXPECT_EQ(Loader.ClassForExtension(Extension), &TPSDGraphic::ClassInfo) << Extension;
    const int Class = List.IndexOfClass(&TPSDGraphic::ClassInfo);
    ASSERT_GE(Class, 0);
    EXPECT_EQ(List.ClassList()[Class]->Description, "Photoshop images");
    EXPECT_EQ(List.ClassForContent(Fixtures / "im-cmyk.psd"), &TPSDGraphic::ClassInfo);
    EXPECT_EQ(List.ClassForContent(Fixtures / "bitmap-plain.psd"), &TPSDGraphic::ClassInfo);
    UnregisterImageFormats(List);
}
