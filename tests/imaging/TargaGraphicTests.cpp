// The Targa reader and writer: content test, header reading, colour maps,
// row orders, run-length rows, refusals, files written by other programs,
// and save/load round trips.

#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "imaging/TargaGraphic.h"
#include "imaging/TargaHeader.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;
using test::Join;
using test::Row;

namespace {

struct THeaderFields {
    std::uint8_t IdLength = 0;
    std::uint8_t ColorMapType = 0;
    std::uint8_t ImageType = 2;
    std::uint16_t ColorMapLength = 0;
    std::uint8_t EntrySize = 24;
    std::uint16_t Width = 1;
    std::uint16_t Height = 1;
    std::uint8_t PixelSize = 24;
    std::uint8_t Descriptor = 0;
};

Bytes Header(const THeaderFields& F)
{
    return Bytes{F.IdLength, F.ColorMapType, F.ImageType, 0, 0,
                 static_cast<std::uint8_t>(F.ColorMapLength), static_cast<std::uint8_t>(F.ColorMapLength >> 8),
                 F.EntrySize, 0, 0, 0, 0,
                 static_cast<std::uint8_t>(F.Width), static_cast<std::uint8_t>(F.Width >> 8),
                 static_cast<std::uint8_t>(F.Height), static_cast<std::uint8_t>(F.Height >> 8),
                 F.PixelSize, F.Descriptor};
}

const std::filesystem::path Fixtures = VIDLARK_TARGA_DATA;

} // namespace

TEST(TargaContentTest, AcceptsPlausibleHeadersOnly)
{
    const Bytes Good = Join({Header({}), Bytes{1, 2, 3}});
    TMemoryStream Stream(Good);
    Stream.SetPosition(0);
    EXPECT_TRUE(TTargaGraphic::CanReadStream(Stream));
    EXPECT_EQ(Stream.GetPosition(), 0);

    // 18 bytes are not enough: 19 must remain.
    TMemoryStream Bare(Header({}));
    EXPECT_FALSE(TTargaGraphic::CanReadStream(Bare));
    EXPECT_EQ(Bare.GetPosition(), 0);

    auto Refused = [](THeaderFields F) {
        TMemoryStream S(Join({Header(F), Bytes{0}}));
        const bool Answer = TTargaGraphic::CanReadStream(S);
        EXPECT_EQ(S.GetPosition(), 0);
        return !Answer;
    };
    EXPECT_TRUE(Refused({.ImageType = 4}));
    EXPECT_TRUE(Refused({.ImageType = 32}));
    EXPECT_TRUE(Refused({.ColorMapType = 2}));
    EXPECT_TRUE(Refused({.EntrySize = 0}));
    EXPECT_TRUE(Refused({.EntrySize = 8}));
    EXPECT_TRUE(Refused({.PixelSize = 12}));
    EXPECT_FALSE(Refused({.ImageType = 0}));
    EXPECT_FALSE(Refused({.ImageType = 11, .EntrySize = 15, .PixelSize = 8}));

    // The test starts at the stream's position, not at its beginning.
    TMemoryStream Later(Join({Bytes{9, 9}, Good}));
    Later.SetPosition(2);
    EXPECT_TRUE(TTargaGraphic::CanReadStream(Later));
    EXPECT_EQ(Later.GetPosition(), 2);

    // Other programs leave the entry size 0 without a colour map: such
    // files are not recognised by content.
    EXPECT_FALSE(TTargaGraphic::ClassInfo.CanReadFile(Fixtures / "im-rgb.tga"));
    EXPECT_TRUE(TTargaGraphic::ClassInfo.CanReadFile(Fixtures / "pil-mapped-bottom.tga"));
}

TEST(TargaProperties, LayoutFollowsPixelSizeAndImageType)
{
    struct TCase {
        std::uint8_t ImageType, PixelSize;
        TColorLayout Layout;
        std::uint8_t Bits, Samples;
        TPixelCompression Compression;
    };
    const TCase Cases[] = {
        {3, 8, schGray, 8, 1, cmpNone},     {11, 8, schGray, 8, 1, cmpRLE},  {1, 8, schIndexed, 8, 1, cmpNone},
        {9, 8, schIndexed, 8, 1, cmpRLE},   {2, 15, schRGB, 5, 3, cmpNone},  {10, 16, schRGB, 5, 3, cmpRLE},
        {2, 24, schRGB, 8, 3, cmpNone},     {2, 32, schRGBA, 8, 4, cmpNone},
    };
    for (const TCase& C : Cases) {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Header({.ImageType = C.ImageType, .Width = 300, .Height = 7, .PixelSize = C.PixelSize}));
        EXPECT_TRUE(Graphic.ReadProperties(Stream, 0));
        EXPECT_EQ(Stream.GetPosition(), 0);
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Width, 300u);
        EXPECT_EQ(P.Height, 7u);
        EXPECT_EQ(P.Layout, C.Layout) << int(C.PixelSize);
        EXPECT_EQ(P.BitsPerSample, C.Bits);
        EXPECT_EQ(P.SamplesPerPixel, C.Samples);
        EXPECT_EQ(P.BitsPerPixel, C.Bits * C.Samples);
        EXPECT_EQ(P.Compression, C.Compression);
        EXPECT_EQ(P.Gamma, 1.0f);
    }
    // A header the reader cannot load is no header to it.
    TTargaGraphic Graphic;
    TMemoryStream Odd(Header({.PixelSize = 12}));
    EXPECT_FALSE(Graphic.ReadProperties(Odd, 0));
    EXPECT_EQ(Odd.GetPosition(), 0);
}

TEST(TargaLoad, RowOrderFollowsTheDescriptor)
{
    const Bytes Pixels{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (std::uint8_t Descriptor : {0, 32}) {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Join({Header({.Width = 2, .Height = 2, .Descriptor = Descriptor}), Pixels}));
        Graphic.LoadFromStream(Stream);
        ASSERT_EQ(Graphic.GetPixelFormat(), pf24bit);
        const Bytes First{1, 2, 3, 4, 5, 6}, Second{7, 8, 9, 10, 11, 12};
        EXPECT_EQ(Row(Graphic, 0), Descriptor ? First : Second);
        EXPECT_EQ(Row(Graphic, 1), Descriptor ? Second : First);
    }
}

TEST(TargaLoad, ColourMaps)
{
    // 300 entries of 24 bits: all 900 bytes are read, the first 256 kept.
    Bytes Map;
    for (int i = 0; i < 300; ++i)
        Map.insert(Map.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 2), 7});
    {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Join({Header({.ColorMapType = 1, .ImageType = 1, .ColorMapLength = 300,
                                           .Width = 2, .PixelSize = 8, .Descriptor = 32}),
                                   Map, Bytes{5, 255}}));
        Graphic.LoadFromStream(Stream);
        EXPECT_EQ(Graphic.GetPixelFormat(), pf8bit);
        EXPECT_EQ(Row(Graphic, 0), (Bytes{5, 255}));
        EXPECT_EQ(Graphic.PaletteCount(), 256u);
        EXPECT_EQ(Graphic.PaletteEntries()[255], (TPaletteEntry{7, 127, 255, 0}));
        EXPECT_EQ(Stream.GetPosition(), 18 + 900 + 2);
    }
    // 16- and 15-bit entries: 5-5-5 words whose full level is white, as a
    // 5-5-5 pixel shows; an identification field comes first.
    for (std::uint8_t EntrySize : {16, 15}) {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Join({Header({.IdLength = 3, .ColorMapType = 1, .ImageType = 1, .ColorMapLength = 3,
                                           .EntrySize = EntrySize, .PixelSize = 8}),
                                   Bytes{'i', 'd', '!'}, Bytes{0xFF, 0x7F, 0x1F, 0x00, 0x00, 0xFC}, Bytes{2}}));
        Graphic.LoadFromStream(Stream);
        EXPECT_EQ(Graphic.PaletteCount(), 3u);
        EXPECT_EQ(Graphic.PaletteEntries()[0], (TPaletteEntry{255, 255, 255, 0}));
        EXPECT_EQ(Graphic.PaletteEntries()[1], (TPaletteEntry{0, 0, 255, 0}));
        EXPECT_EQ(Graphic.PaletteEntries()[2], (TPaletteEntry{255, 0, 0, 0}));
        EXPECT_EQ(Row(Graphic, 0), Bytes{2});
    }
    // 32-bit entries: blue, green, red and a byte that is not used.
    {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Join({Header({.ColorMapType = 1, .ImageType = 9, .ColorMapLength = 1, .EntrySize = 32,
                                           .Width = 3, .PixelSize = 8}),
                                   Bytes{10, 20, 30, 40}, Bytes{130, 0}}));
        Graphic.LoadFromStream(Stream);
        EXPECT_EQ(Graphic.PaletteEntries()[0], (TPaletteEntry{30, 20, 10, 0}));
        EXPECT_EQ(Row(Graphic, 0), (Bytes{0, 0, 0}));
    }
}

TEST(TargaLoad, GreyPicturesTakeAGreyRamp)
{
    // A colour map that a grey file carries is passed over, not used.
    TTargaGraphic Graphic;
    TMemoryStream Stream(Join({Header({.ColorMapType = 1, .ImageType = 3, .ColorMapLength = 2, .Width = 3,
                                       .PixelSize = 8}),
                               Bytes{1, 2, 3, 4, 5, 6}, Bytes{0, 128, 255}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Row(Graphic, 0), (Bytes{0, 128, 255}));
    ASSERT_EQ(Graphic.PaletteCount(), 256u);
    for (unsigned i = 0; i < 256; ++i) {
        const std::uint8_t Level = static_cast<std::uint8_t>(i);
        ASSERT_EQ(Graphic.PaletteEntries()[i], (TPaletteEntry{Level, Level, Level, 0}));
    }
}

TEST(TargaLoad, SixteenAndFifteenBitPixelsLandAsStored)
{
    // Built byte by byte: other programs widen 5-bit levels their own way.
    for (std::uint8_t PixelSize : {16, 15}) {
        const Bytes Pixels{0xFF, 0x7F, 0x00, 0x80, 0x1F, 0x00, 0xE0, 0x03};
        TTargaGraphic Graphic;
        TMemoryStream Plain(Join({Header({.Width = 2, .Height = 2, .PixelSize = PixelSize, .Descriptor = 32}), Pixels}));
        Graphic.LoadFromStream(Plain);
        EXPECT_EQ(Graphic.GetPixelFormat(), pf15bit);
        EXPECT_EQ(Row(Graphic, 0), (Bytes{0xFF, 0x7F, 0x00, 0x80}));
        EXPECT_EQ(Row(Graphic, 1), (Bytes{0x1F, 0x00, 0xE0, 0x03}));
        // The top bit is ignored: 0x8000 shows black.
        EXPECT_EQ(Graphic.PixelColor(1, 0), RGBColor(0, 0, 0));
        EXPECT_EQ(Graphic.PixelColor(0, 1), RGBColor(0, 0, 255));

        TTargaGraphic Packed;
        TMemoryStream Encoded(Join({Header({.ImageType = 10, .Width = 3, .Height = 1, .PixelSize = PixelSize}),
                                    Bytes{0x82, 0xE0, 0x03}}));
        Packed.LoadFromStream(Encoded);
        EXPECT_EQ(Row(Packed, 0), (Bytes{0xE0, 0x03, 0xE0, 0x03, 0xE0, 0x03}));
    }
}

TEST(TargaLoad, RunLengthRowsStayInsideTheirRow)
{
    // Row 0 (stored last, descriptor 0): a run of 4 over a row of 3, whose
    // extra pixel is dropped; row 1 starts at the next packet. Trailing
    // bytes after the pixel data must not be taken.
    const Bytes Packets{0x83, 9, 0x00, 1, 0x81, 2};
    TTargaGraphic Graphic;
    TMemoryStream Stream(Join({Header({.ImageType = 11, .Width = 3, .Height = 2, .PixelSize = 8}), Packets,
                               Bytes{0xAA, 0xBB, 0xCC, 0xDD}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Row(Graphic, 1), (Bytes{9, 9, 9}));
    EXPECT_EQ(Row(Graphic, 0), (Bytes{1, 2, 2}));
    // The stream stands at the first byte after the packets, whatever the read-ahead took.
    EXPECT_EQ(Stream.GetPosition(), 18 + 6);

    // A damaged raw packet that claims more than the data hold fills what it can.
    TTargaGraphic Damaged;
    TMemoryStream Short(Join({Header({.ImageType = 10, .Width = 4, .Height = 1, .PixelSize = 24}),
                              Bytes{0x7F, 1, 2, 3, 4, 5, 6}}));
    Damaged.LoadFromStream(Short);
    EXPECT_EQ(Row(Damaged, 0), (Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
}

TEST(TargaLoad, ReportsProgressRowByRow)
{
    TTargaGraphic Graphic;
    std::vector<std::string> Reports;
    Graphic.OnProgress = [&](TGraphic&, TProgressStage Stage, std::uint8_t Percent, bool, const TRect& R,
                             const std::string& Msg) {
        Reports.push_back(std::to_string(int(Stage)) + " " + std::to_string(Percent) + " " + std::to_string(R.Top) +
                          "-" + std::to_string(R.Right) + " " + Msg);
    };
    TMemoryStream Stream(Join({Header({.ImageType = 3, .Width = 2, .Height = 3, .PixelSize = 8}), Bytes(6, 1)}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Reports, (std::vector<std::string>{"0 0 0-2 Preparing...", "2 0 0-2 ", "0 0 0-2 Transfering...",
                                                 "1 0 0-2 ", "1 33 1-2 ", "1 67 2-2 ", "2 0 3-2 "}));
}

TEST(TargaLoad, ImageTypeZeroHasNoPixels)
{
    TTargaGraphic Graphic;
    TMemoryStream Stream(Join({Header({.IdLength = 2, .ImageType = 0, .Width = 5, .Height = 4}), Bytes{1, 2, 3, 4}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Graphic.GetWidth(), 5u);
    EXPECT_EQ(Graphic.GetHeight(), 4u);
    EXPECT_EQ(Row(Graphic, 3), Bytes(15, 0));
    EXPECT_EQ(Stream.GetPosition(), 18 + 2);
}

TEST(TargaLoad, RefusesWhatItCannotRead)
{
    // Every refusal, a cut file included, is the reader's own error, raised
    // before the bitmap or any buffer sized by the header is allocated.
    const Bytes Cases[] = {
        // A header cut short, and a plain picture without all its rows.
        Bytes{0, 0, 2, 0, 0},
        Join({Header({.Width = 2, .Height = 2}), Bytes(11, 0)}),
        // A colour map longer than the file.
        Join({Header({.ColorMapType = 1, .ImageType = 1, .ColorMapLength = 10, .PixelSize = 8}), Bytes(29, 0)}),
        // A pixel size no bitmap holds, an image type without a reader, and
        // colour map entries of no known size.
        Join({Header({.PixelSize = 12}), Bytes(8, 0)}),
        Join({Header({.ImageType = 32}), Bytes(8, 0)}),
        Join({Header({.ColorMapType = 1, .ImageType = 1, .ColorMapLength = 1, .EntrySize = 8, .PixelSize = 8}),
              Bytes(8, 0)}),
        // Sizes beyond the limits, and run-length data far too short for the
        // size announced.
        Join({Header({.ImageType = 0, .Width = 65535, .Height = 65535}), Bytes(8, 0)}),
        Join({Header({.ImageType = 10, .Width = 4000, .Height = 4000}), Bytes(64, 0x80)}),
        Join({Header({.ColorMapType = 1, .ImageType = 9, .ColorMapLength = 65535, .EntrySize = 32, .Width = 9000,
                      .Height = 9000, .PixelSize = 8}),
              Bytes(64, 0x80)}),
    };
    for (const Bytes& Data : Cases) {
        TTargaGraphic Graphic;
        TMemoryStream Stream(Data);
        test::ResetLargestAllocation();
        try {
            Graphic.LoadFromStream(Stream);
            ADD_FAILURE() << "loaded a file of " << Data.size() << " bytes";
        } catch (const EInvalidGraphic& E) {
            EXPECT_STREQ(E.what(), "Cannot load image. Invalid or unexpected Targa image format.");
        }
        EXPECT_LT(test::LargestAllocation(), 4096u) << Data.size();
    }
    // An empty colour map needs no entry size.
    TTargaGraphic Graphic;
    TMemoryStream Stream(Join({Header({.ColorMapType = 1, .ImageType = 1, .EntrySize = 0, .PixelSize = 8}), Bytes{4}}));
    EXPECT_NO_THROW(Graphic.LoadFromStream(Stream));
}

TEST(TargaLoad, RunLengthPacketsMayCrossRowEnds)
{
    // Two full packets cover 16 x 16 grey pixels in 4 bytes: the file is
    // valid. Each row ends its packet, so rows 0 and 1 (stored last and one
    // before) take one packet each and the rest stay 0.
    TTargaGraphic Graphic;
    TMemoryStream Stream(Join({Header({.ImageType = 11, .Width = 16, .Height = 16, .PixelSize = 8}),
                               Bytes{0xFF, 7, 0xFF, 9}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Row(Graphic, 15), Bytes(16, 7));
    EXPECT_EQ(Row(Graphic, 14), Bytes(16, 9));
    EXPECT_EQ(Row(Graphic, 0), Bytes(16, 0));
}

namespace {

struct TFixture {
    const char* Name;
    TPixelFormat Format;
};

class TargaFixture : public ::testing::TestWithParam<TFixture> {};

} // namespace

TEST_P(TargaFixture, MatchesTheWritersOwnDecoding)
{
    const TFixture& F = GetParam();
    TTargaGraphic Graphic;
    Graphic.LoadFromFile(Fixtures / (std::string(F.Name) + ".tga"));
    EXPECT_EQ(Graphic.GetPixelFormat(), F.Format);
    test::ExpectPixels(Graphic.ToRGBA(true), test::ReadFileBytes(Fixtures / (std::string(F.Name) + ".rgba")));
}

INSTANTIATE_TEST_SUITE_P(
    WrittenByOtherPrograms, TargaFixture,
    ::testing::Values(TFixture{"pil-grey-top", pf8bit}, TFixture{"pil-grey-rle-bottom", pf8bit},
                      TFixture{"pil-mapped-bottom", pf8bit}, TFixture{"pil-mapped-rle-top", pf8bit},
                      TFixture{"pil-rgb-top", pf24bit}, TFixture{"pil-rgb-rle-bottom", pf24bit},
                      TFixture{"pil-rgb-rle-top", pf24bit}, TFixture{"pil-rgba-bottom", pf32bit},
                      TFixture{"pil-rgba-rle-top", pf32bit}, TFixture{"pil-wide-rle-top", pf24bit},
                      TFixture{"im-grey", pf8bit}, TFixture{"im-grey-rle", pf8bit}, TFixture{"im-mapped", pf8bit},
                      TFixture{"im-mapped-rle", pf8bit}, TFixture{"im-rgb", pf24bit}, TFixture{"im-rgb-rle", pf24bit},
                      TFixture{"im-rgba", pf32bit}, TFixture{"im-rgba-rle", pf32bit}),
    [](const ::testing::TestParamInfo<TFixture>& Info) { return test::TestName(Info.param.Name); });

namespace {

// Saves Source, keeps the file in Saved and loads it into Loaded.
void SaveAndLoad(TTargaGraphic& Source, std::string& Saved, TTargaGraphic& Loaded)
{
    std::ostringstream Out;
    Source.SaveToStream(Out);
    Saved = Out.str();
    TMemoryStream In(Saved.data(), Saved.size());
    Loaded.LoadFromStream(In);
    EXPECT_EQ(In.GetPosition(), static_cast<std::int64_t>(Saved.size()));
}

} // namespace

TEST(TargaSave, EightBitPictureComesBackWithItsPalette)
{
    TTargaGraphic Source;
    TMemoryStream Stream(test::ReadFileBytes(Fixtures / "im-mapped.tga"));
    Source.LoadFromStream(Stream);
    std::string Saved;
    TTargaGraphic Loaded;
    SaveAndLoad(Source, Saved, Loaded);

    const TTargaHeader& H = *reinterpret_cast<const TTargaHeader*>(Saved.data());
    EXPECT_EQ(H.ImageType, 9);
    EXPECT_EQ(H.ColorMapType, 1);
    EXPECT_EQ(H.ColorMapLength, 256);
    EXPECT_EQ(H.ColorMapEntrySize, 24);
    EXPECT_EQ(H.PixelSize, 8);
    EXPECT_EQ(H.Descriptor, TargaTopRowFirst);
    EXPECT_EQ(Loaded.PaletteEntries(), Source.PaletteEntries());
    for (std::uint32_t y = 0; y < Source.GetHeight(); ++y)
        ASSERT_EQ(Row(Loaded, y), Row(Source, y));
}

TEST(TargaSave, TrueColourPicturesComeBackTheRightWayUp)
{
    for (const char* Name : {"pil-rgb-top", "im-rgba-rle", "pil-wide-rle-top"}) {
        TTargaGraphic Source;
        Source.LoadFromFile(Fixtures / (std::string(Name) + ".tga"));
        std::string Saved;
        TTargaGraphic Loaded;
    SaveAndLoad(Source, Saved, Loaded);
        EXPECT_EQ(Saved[2], 10);
        EXPECT_EQ(Saved[1], 0);
        EXPECT_EQ(Loaded.GetPixelFormat(), Source.GetPixelFormat());
        EXPECT_EQ(Loaded.ToRGBA(true).Pixels, Source.ToRGBA(true).Pixels) << Name;
    }
}

TEST(TargaSave, NarrowFormatsAreWidenedOrNarrowed)
{
    // 4-bit indices become bytes with the same palette.
    TTargaGraphic Nibbles;
    Nibbles.SetPixelFormat(pf4bit);
    Nibbles.SetSize(3, 1);
    Nibbles.SetPalette(TPalette{{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
    Nibbles.ScanLine(0)[0] = 0x21;
    Nibbles.ScanLine(0)[1] = 0x00;
    std::string Saved;
    TTargaGraphic Bytes8;
    SaveAndLoad(Nibbles, Saved, Bytes8);
    EXPECT_EQ(Bytes8.GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(Bytes8, 0), (Bytes{2, 1, 0}));
    EXPECT_EQ(Bytes8.PaletteEntries()[2], (TPaletteEntry{7, 8, 9, 0}));

    // 5-6-5 words are written as the 5-5-5 words the format holds.
    TTargaGraphic Wide;
    Wide.SetPixelFormat(pf16bit);
    Wide.SetSize(1, 1);
    Wide.ScanLine(0)[0] = 0xFF; // red 31, green 63, blue 31
    Wide.ScanLine(0)[1] = 0xFF;
    TTargaGraphic Narrow;
    SaveAndLoad(Wide, Saved, Narrow);
    EXPECT_EQ(Row(Narrow, 0), (Bytes{0xFF, 0x7F}));

    // An empty picture writes nothing.
    TTargaGraphic Empty;
    std::ostringstream Out;
    Empty.SaveToStream(Out);
    EXPECT_TRUE(Out.str().empty());
}

TEST(TargaSave, AStreamThatFailsRaises)
{
    TTargaGraphic Graphic;
    Graphic.SetPixelFormat(pf24bit);
    Graphic.SetSize(4, 4);
    std::ostringstream Out;
    Out.setstate(std::ios::badbit);
    try {
        Graphic.SaveToStream(Out);
        ADD_FAILURE() << "a failing stream took the picture";
    } catch (const EStreamError& E) {
        EXPECT_STREQ(E.what(), "ストリームへの書き込みエラー");
    }
}

TEST(TargaRegistration, FiveExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"win", "vst", "vda", "tga", "icb"}) {
        const int Index = List.IndexOfExtension(Extension);
        ASSERT_GE(Index, 0) << Extension;
        EXPECT_EQ(List.ExtensionList()[Index]->ClassEntry->GraphicClass, &TTargaGraphic::ClassInfo);
        EXPECT_EQ(Loader.ClassForExtension(Extension), &TTargaGraphic::ClassInfo);
    }
    const int Class = List.IndexOfClass(&TTargaGraphic::ClassInfo);
    ASSERT_GE(Class, 0);
    EXPECT_EQ(List.ClassList()[Class]->Description, "Truevision images");
    EXPECT_EQ(List.ClassList()[Class]->ExtensionCount, 5);

    EXPECT_EQ(List.ClassForContent(Fixtures / "pil-rgb-rle-top.tga"), nullptr);
    EXPECT_EQ(List.ClassForContent(Fixtures / "im-mapped-rle.tga"), &TTargaGraphic::ClassInfo);
    // What the content test passes over still loads by its extension.
    TPicture Picture(Loader);
    Picture.LoadFromFile(Fixtures / "im-rgb.tga");
    ASSERT_NE(Picture.Graphic(), nullptr);
    EXPECT_EQ(&Picture.Graphic()->ClassType(), &TTargaGraphic::ClassInfo);
    EXPECT_EQ(Picture.Graphic()->GetWidth(), 37u);
    UnregisterImageFormats(List);
}
