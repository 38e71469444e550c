// The PCX reader: content test, header reading, every plane and bit
// combination, palettes, run-length rows, refusals and files written by
// other programs.

#include "imaging/ImageFormats.h"
#include "imaging/PCXGraphic.h"
#include "imaging/Picture.h"
#include "tests/imaging/PlanarReaderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

using namespace vidlark;
using namespace vidlark::test;

namespace {

struct THeaderFields {
    std::uint8_t Manufacturer = 10;
    std::uint8_t Version = 5;
    std::uint8_t Encoding = 0;
    std::uint8_t Bits = 8;
    std::uint16_t XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    std::uint8_t Planes = 1;
    std::uint16_t BytesPerLine = 1;
    std::uint16_t PaletteInfo = 1;
    std::uint8_t FirstColour[3] = {0, 0, 0}; // entry 0 of the header palette
};

Bytes Header(const THeaderFields& F)
{
    Bytes H(128, 0);
    const auto Put16 = [&](std::size_t At, std::uint16_t V) {
        H[At] = static_cast<std::uint8_t>(V);
        H[At + 1] = static_cast<std::uint8_t>(V >> 8);
    };
    H[0] = F.Manufacturer;
    H[1] = F.Version;
    H[2] = F.Encoding;
    H[3] = F.Bits;
    Put16(4, F.XMin);
    Put16(6, F.YMin);
    Put16(8, F.XMax);
    Put16(10, F.YMax);
    Put16(12, 300);
    Put16(14, 150);
    // Entry i of the header palette is (i, 2i, 3i) after entry 0.
    for (int i = 1; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            H[16 + 3 * i + c] = static_cast<std::uint8_t>(i * (c + 1));
    for (int c = 0; c < 3; ++c)
        H[16 + c] = F.FirstColour[c];
    H[65] = F.Planes;
    Put16(66, F.BytesPerLine);
    Put16(68, F.PaletteInfo);
    return H;
}

// The 256-colour block: entry i is (i, 255 - i, 7).
Bytes PaletteBlock()
{
    Bytes Block{12};
    for (int i = 0; i < 256; ++i)
        Block.insert(Block.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7});
    return Block;
}


const std::filesystem::path Fixtures = VIDLARK_PCX_DATA;
const std::string Invalid = "Cannot load image. Invalid or unexpected PCX image format.";

} // namespace

TEST(PCXContentTest, AcceptsLoadablePaintbrushHeadersOnly)
{
    const auto Accepted = [](const THeaderFields& F) {
        TMemoryStream Stream(Join({Header(F), Bytes{0}}));
        const bool Answer = TPCXGraphic::CanReadStream(Stream);
        EXPECT_EQ(Stream.GetPosition(), 0);
        return Answer;
    };
    for (std::uint8_t Version : {0, 2, 3, 5})
        EXPECT_TRUE(Accepted({.Version = Version}));
    EXPECT_TRUE(Accepted({.Encoding = 1, .Bits = 1, .XMax = 15, .Planes = 4, .BytesPerLine = 2}));
    EXPECT_FALSE(Accepted({.Version = 4}));
    EXPECT_FALSE(Accepted({.Encoding = 2}));
    // A screen capture loads only by its extension; 12 is no maker at all.
    EXPECT_FALSE(Accepted({.Manufacturer = 205}));
    EXPECT_FALSE(Accepted({.Manufacturer = 12}));
    // What the load would refuse the content test refuses too.
    EXPECT_FALSE(Accepted({.Bits = 16, .BytesPerLine = 2}));
    EXPECT_FALSE(Accepted({.XMin = 5, .XMax = 4}));
    EXPECT_FALSE(Accepted({.XMax = 8}));
    // 128 bytes are not enough: more must remain.
    TMemoryStream Bare(Header({}));
    EXPECT_FALSE(TPCXGraphic::CanReadStream(Bare));
}

TEST(PCXProperties, FollowTheHeader)
{
    struct TCase {
        std::uint8_t Planes, Bits;
        TColorLayout Layout;
    };
    for (const TCase& C : {TCase{1, 1, schIndexed}, TCase{1, 8, schIndexed}, TCase{4, 1, schIndexed},
                           TCase{3, 8, schRGB}, TCase{4, 8, schRGBA}, TCase{3, 16, schRGB}}) {
        TPCXGraphic Graphic;
        TMemoryStream Stream(Header({.Encoding = 1, .Bits = C.Bits, .XMin = 10, .YMin = 20, .XMax = 14, .YMax = 29,
                                     .Planes = C.Planes, .BytesPerLine = 10}));
        ASSERT_TRUE(Graphic.ReadProperties(Stream, 0));
        EXPECT_EQ(Stream.GetPosition(), 0);
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Width, 5u);
        EXPECT_EQ(P.Height, 10u);
        EXPECT_EQ(P.Layout, C.Layout) << int(C.Planes) << "x" << int(C.Bits);
        EXPECT_EQ(P.SamplesPerPixel, C.Planes);
        EXPECT_EQ(P.BitsPerSample, C.Bits);
        EXPECT_EQ(P.BitsPerPixel, C.Planes * C.Bits);
        EXPECT_EQ(P.Compression, cmpRLE);
        EXPECT_EQ(P.XResolution, 300.0f);
        EXPECT_EQ(P.YResolution, 150.0f);
    }
    TPCXGraphic Graphic;
    TMemoryStream Capture(Header({.Manufacturer = 205}));
    EXPECT_TRUE(Graphic.ReadProperties(Capture, 0));
    TMemoryStream Unknown(Header({.Manufacturer = 12}));
    EXPECT_FALSE(Graphic.ReadProperties(Unknown, 0));
}

TEST(PCXLoad, FourPlanesOfOneBitMakeSixteenColours)
{
    // Planes 0 to 3 hold 0xFF, 0x00, 0x00, 0xFF: eight pixels of 9.
    const auto Nines = Load<TPCXGraphic>(Join({Header({.Bits = 1, .XMax = 7, .Planes = 4}), Bytes{0xFF, 0x00, 0x00, 0xFF}}));
    EXPECT_EQ(Nines->GetPixelFormat(), pf4bit);
    EXPECT_EQ(Row(*Nines, 0), (Bytes{0x99, 0x99, 0x99, 0x99}));
    // Plane k gives bit k of the index: pixel x has only plane x % 4 set,
    // so the row counts 1, 2, 4, 8; a fifth pixel ends in a half byte.
    const auto Bits = Load<TPCXGraphic>(Join({Header({.Bits = 1, .XMax = 4, .Planes = 4}), Bytes{0x88, 0x40, 0x20, 0x10}}));
    EXPECT_EQ(Row(*Bits, 0), (Bytes{0x12, 0x48, 0x10}));
    EXPECT_EQ(Bits->PaletteCount(), 16u);
    EXPECT_EQ(Bits->PaletteEntries()[9], (TPaletteEntry{9, 18, 27, 0}));
}

TEST(PCXLoad, PalettesByDepthVersionAndPaletteInfo)
{
    // 256 colours from the block at the end.
    const auto Block = Load<TPCXGraphic>(Join({Header({.XMax = 1, .BytesPerLine = 2}), Bytes{3, 250}, PaletteBlock()}));
    EXPECT_EQ(Block->GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(*Block, 0), (Bytes{3, 250}));
    EXPECT_EQ(Block->PaletteEntries()[250], (TPaletteEntry{250, 5, 7, 0}));
    // Without the block: a grey ramp for palette information 2, else none.
    const auto Grey = Load<TPCXGraphic>(Join({Header({.PaletteInfo = 2}), Bytes{77}}));
    EXPECT_EQ(Grey->PaletteCount(), 256u);
    EXPECT_EQ(Grey->PaletteEntries()[77], (TPaletteEntry{77, 77, 77, 0}));
    EXPECT_EQ(Load<TPCXGraphic>(Join({Header({}), Bytes{77}}))->PaletteCount(), 0u);
    // Version 3 carries no palette: the standard 16 colours.
    const auto Standard = Load<TPCXGraphic>(Join({Header({.Version = 3, .Bits = 4}), Bytes{0x90}}));
    EXPECT_EQ(Standard->PaletteEntries()[9], (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(Row(*Standard, 0), Bytes{0x90});
    // 1-bit pictures are black and white whatever the header palette says.
    for (std::uint8_t Version : {3, 5}) {
        const auto Mono =
            Load<TPCXGraphic>(Join({Header({.Version = Version, .Bits = 1, .XMax = 9, .BytesPerLine = 2, .FirstColour = {9, 9, 9}}),
                       Bytes{0xA5, 0x80}}));
        EXPECT_EQ(Mono->GetPixelFormat(), pf1bit);
        EXPECT_EQ(Mono->GetPalette(), (TPalette{{0, 0, 0, 0}, {255, 255, 255, 0}}));
        EXPECT_EQ(Row(*Mono, 0), (Bytes{0xA5, 0x80}));
    }
}

TEST(PCXLoad, TwoBitIndicesAreRepackedAndThePaletteRespread)
{
    // Indices 0..3 become 0, 5, 10, 15 of a 4-bit bitmap whose entries
    // there carry the header's first four colours.
    const auto Colour = Load<TPCXGraphic>(Join({Header({.Bits = 2, .XMax = 3}), Bytes{0x1B}}));
    EXPECT_EQ(Colour->GetPixelFormat(), pf4bit);
    EXPECT_EQ(Row(*Colour, 0), (Bytes{0x05, 0xAF}));
    for (std::uint8_t i = 0; i < 4; ++i)
        EXPECT_EQ(Colour->PaletteEntries()[5 * i], (TPaletteEntry{i, std::uint8_t(2 * i), std::uint8_t(3 * i), 0}));
    // With palette information 2 the same indices show four grey levels.
    const auto Grey = Load<TPCXGraphic>(Join({Header({.Bits = 2, .XMax = 3, .PaletteInfo = 2}), Bytes{0x1B}}));
    for (unsigned Pixel = 0; Pixel < 4; ++Pixel)
        EXPECT_EQ(Grey->PixelColor(Pixel, 0), RGBColor(85 * Pixel, 85 * Pixel, 85 * Pixel));
}

TEST(PCXLoad, EightBitFilesWithoutThePaletteBlock)
{
    // A file far shorter than the block: all of its data are pixels.
    const auto Small = Load<TPCXGraphic>(Join({Header({.XMax = 2, .YMax = 1, .BytesPerLine = 4}), Bytes{1, 2, 3, 0, 4, 5, 6, 0}}));
    EXPECT_EQ(Row(*Small, 1), (Bytes{4, 5, 6}));
    // Longer than the block but without its marker: still all pixels.
    Bytes Pixels(900, 0);
    Pixels[899] = 42;
    const auto Long = Load<TPCXGraphic>(Join({Header({.XMax = 899, .BytesPerLine = 900}), Pixels}));
    EXPECT_EQ(Row(*Long, 0)[899], 42);
    EXPECT_EQ(Long->PaletteCount(), 0u);
}

TEST(PCXLoad, RunsCrossRowsAndStopAtTheEndOfThePicture)
{
    // A run of 5 covers row 0 (3 bytes) and two of row 1; 192 writes
    // nothing and takes its value; the last run passes the picture's end.
    const Bytes Data{0xC5, 8, 0xC0, 99, 0xC9, 4};
    const auto Graphic = Load<TPCXGraphic>(Join({Header({.Encoding = 1, .XMax = 2, .YMax = 2, .BytesPerLine = 3}), Data}));
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{8, 8, 8}));
    EXPECT_EQ(Row(*Graphic, 1), (Bytes{8, 8, 4}));
    EXPECT_EQ(Row(*Graphic, 2), (Bytes{4, 4, 4}));
    // Data that end early leave the rest of the picture 0.
    const auto Cut = Load<TPCXGraphic>(Join({Header({.Encoding = 1, .XMax = 2, .YMax = 2, .BytesPerLine = 3}), Bytes{0xC4, 6}}));
    EXPECT_EQ(Row(*Cut, 1), (Bytes{6, 0, 0}));
    EXPECT_EQ(Row(*Cut, 2), (Bytes{0, 0, 0}));
}

TEST(PCXLoad, RefusesWhatItCannotRead)
{
    const Bytes Cases[] = {
        // A header cut short, and a header alone.
        Bytes{10, 5, 1, 8},
        Header({}),
        // Bounds the wrong way round, an unknown maker, bytes per line
        // short of a plane's row.
        Join({Header({.XMin = 3, .XMax = 2}), Bytes(8, 0)}),
        Join({Header({.YMin = 3, .YMax = 2}), Bytes(8, 0)}),
        Join({Header({.Manufacturer = 12}), Bytes(8, 0)}),
        Join({Header({.XMax = 8, .BytesPerLine = 8}), Bytes(80, 0)}),
        Join({Header({.Bits = 1, .XMax = 8, .Planes = 4, .BytesPerLine = 1}), Bytes(80, 0)}),
        Join({Header({.BytesPerLine = 0}), Bytes(8, 0)}),
        // Plain rows the file does not hold, and run-length data far too
        // short for the size announced.
        Join({Header({.XMax = 3, .YMax = 1, .BytesPerLine = 4}), Bytes(7, 0)}),
        Join({Header({.Encoding = 1, .XMax = 3999, .YMax = 3999, .BytesPerLine = 4000}), Bytes(64, 0xFF)}),
        // 65535 x 65535 in a tiny file, and rows too long for the caps.
        Join({Header({.Encoding = 1, .XMax = 65535, .YMax = 65535, .BytesPerLine = 65535}), Bytes(64, 0xFF)}),
        Join({Header({.Encoding = 1, .Bits = 1, .YMax = 65535, .Planes = 4, .BytesPerLine = 65535}), Bytes(64, 0)}),
    };
    for (const Bytes& Data : Cases)
        ExpectRefused<TPCXGraphic>(Data, Invalid);
}

TEST(PCXLoad, RefusesPlaneAndBitCombinationsNoBitmapHolds)
{
    struct TCase {
        std::uint8_t Planes, Bits;
    };
    for (const TCase& C : {TCase{1, 16}, TCase{3, 16}, TCase{4, 16}, TCase{3, 4}, TCase{3, 1}, TCase{3, 2},
                           TCase{2, 8}, TCase{4, 2}, TCase{1, 3}}) {
        SCOPED_TRACE(std::to_string(C.Planes) + " x " + std::to_string(C.Bits));
        ExpectRefused<TPCXGraphic>(
            Join({Header({.Bits = C.Bits, .XMax = 63, .YMax = 63, .Planes = C.Planes, .BytesPerLine = 128}),
                  Bytes(64, 0)}),
            "Invalid color format in PCX file.");
    }
    // Depths and plane counts the colour manager knows nothing of.
    ExpectRefused<TPCXGraphic>(Join({Header({.Bits = 0}), Bytes(8, 0)}),
                               "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
    ExpectRefused<TPCXGraphic>(Join({Header({.Planes = 5, .BytesPerLine = 1}), Bytes(8, 0)}),
                               "Sample count per pixel does not correspond to the given color scheme.");
}

namespace {

class PCXFixture : public ::testing::TestWithParam<TReferenceFixture> {};

} // namespace

TEST_P(PCXFixture, MatchesTheWritersOwnDecoding)
{
    ExpectMatchesReference<TPCXGraphic>(Fixtures, GetParam(), ".pcx");
}

INSTANTIATE_TEST_SUITE_P(
    WrittenByOtherPrograms, PCXFixture,
    ::testing::Values(TReferenceFixture{"pil-1bit", pf1bit}, TReferenceFixture{"pil-grey", pf8bit}, TReferenceFixture{"pil-palette", pf8bit},
                      TReferenceFixture{"pil-rgb", pf24bit}, TReferenceFixture{"im-1bit", pf1bit}, TReferenceFixture{"im-grey", pf8bit},
                      TReferenceFixture{"im-palette", pf8bit}, TReferenceFixture{"im-palette-plain", pf8bit},
                      TReferenceFixture{"im-rgb", pf24bit}, TReferenceFixture{"im-rgb-plain", pf24bit}, TReferenceFixture{"im-rgba", pf32bit}),
    FixtureTestName);

TEST(PCXRegistration, ThreeExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"pcx", "pcc", "scr"})
        EXPECT_EQ(Loader.ClassForExtension(Extension), &TPCXGraphic::ClassInfo) << Extension;
    const int Class = List.IndexOfClass(&TPCXGraphic::ClassInfo);
    ASSERT_GE(Class, 0);
    EXPECT_EQ(List.ClassList()[Class]->Description, "ZSoft Paintbrush images");
    EXPECT_EQ(List.ClassForContent(Fixtures / "im-rgb.pcx"), &TPCXGraphic::ClassInfo);

    // A screen capture is not known by content but loads by its extension.
    Bytes Capture = ReadFileBytes(Fixtures / "pil-grey.pcx");
    Capture[0] = 205;
    const std::filesystem::path Path = std::filesystem::temp_directory_path() / "vidlark-pcx-capture.scr";
    {
        std::ofstream Out(Path, std::ios::binary);
        Out.write(reinterpret_cast<const char*>(Capture.data()), static_cast<std::streamsize>(Capture.size()));
    }
    EXPECT_EQ(List.ClassForContent(Path), nullptr);
    TPicture Picture(Loader);
    Picture.LoadFromFile(Path);
    ASSERT_NE(Picture.Graphic(), nullptr);
    EXPECT_EQ(&Picture.Graphic()->ClassType(), &TPCXGraphic::ClassInfo);
    EXPECT_EQ(Picture.Graphic()->GetWidth(), 37u);
    std::filesystem::remove(Path);
    UnregisterImageFormats(List);
}
