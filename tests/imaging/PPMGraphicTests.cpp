// The portable map reader: content test, header forms, sample scaling,
// plain data, refusals, files written by netpbm and ImageMagick, and the
// registration.

#include "imaging/ImageFormats.h"
#include "imaging/PPMGraphic.h"
#include "imaging/Picture.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;
using test::Row;

namespace {

const std::filesystem::path Fixtures = VIDLARK_PPM_DATA;

TMemoryStream StreamOf(const std::string& Text) { return TMemoryStream(Text.data(), Text.size()); }

// A literal's bytes, zeros included.
template <std::size_t N>
std::string Binary(const char (&Literal)[N])
{
    return std::string(Literal, N - 1);
}

void Load(TPPMGraphic& Graphic, const std::string& File)
{
    TMemoryStream Stream = StreamOf(File);
    Graphic.LoadFromStream(Stream);
}

// The grey levels of a picture loaded from an 8-bit grey map.
Bytes Levels(const std::string& File)
{
    TPPMGraphic Graphic;
    Load(Graphic, File);
    EXPECT_EQ(Graphic.GetPixelFormat(), pf8bit);
    Bytes All;
    for (std::uint32_t y = 0; y < Graphic.GetHeight(); ++y) {
        const Bytes Line = Row(Graphic, y);
        All.insert(All.end(), Line.begin(), Line.end());
    }
    return All;
}

} // namespace

TEST(PPMContentTest, AcceptsHeadersItCanLoad)
{
    const auto Recognised = [](const std::string& File) {
        TMemoryStream Stream = StreamOf("xy" + File);
        Stream.SetPosition(2);
        const bool Answer = TPPMGraphic::CanReadStream(Stream);
        EXPECT_EQ(Stream.GetPosition(), 2);
        return Answer;
    };
    EXPECT_TRUE(Recognised("P6 1 1 255\nabc"));
    EXPECT_TRUE(Recognised("P4\n8 1\n\x81......"));
    EXPECT_TRUE(Recognised("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 1\nTUPLTYPE GRAYSCALE\nENDHDR\n\x01"));
    // Ten bytes are not enough, more are needed.
    EXPECT_FALSE(Recognised("P6 1 1 255"));
    EXPECT_FALSE(Recognised("P6 1 1 0\nabcdef"));
    EXPECT_FALSE(Recognised("P8 1 1 255\nabc"));
    EXPECT_FALSE(Recognised("P6 x 1 255\nabc"));
    EXPECT_FALSE(Recognised("Q6 1 1 255\nabc"));
    // An image viewer's thumbnail that shares the PAM magic.
    EXPECT_FALSE(Recognised("P7 332\n#XVVERSION:Version 3.10\nabc"));
}

TEST(PPMProperties, FollowTheTypeAndTheMaximumValue)
{
    struct TCase {
        std::string Header;
        TColorLayout Layout;
        std::uint8_t Bits, Samples;
        bool Alpha;
    };
    const std::string Pam = "P7\nWIDTH 300\nHEIGHT 7\n";
    const TCase Cases[] = {
        {"P1 300 7 ", schIndexed, 1, 1, false},
        {"P4 300 7 ", schIndexed, 1, 1, false},
        {"P2 300 7 255 ", schIndexed, 8, 1, false},
        {"P5 300 7 256 ", schIndexed, 16, 1, false},
        {"P3 300 7 15 ", schRGB, 8, 3, false},
        {"P6 300 7 65535 ", schRGB, 16, 3, false},
        {Pam + "DEPTH 1\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\nENDHDR\n", schIndexed, 8, 1, false},
        {Pam + "DEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n", schGrayAlpha, 8, 2, true},
        {Pam + "DEPTH 3\nMAXVAL 1000\nTUPLTYPE RGB\nENDHDR\n", schRGB, 16, 3, false},
        {Pam + "DEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", schRGBA, 8, 4, true},
    };
    for (const TCase& C : Cases) {
        TPPMGraphic Graphic;
        TMemoryStream Stream = StreamOf(C.Header + std::string(8, '1'));
        ASSERT_TRUE(Graphic.ReadProperties(Stream, 0)) << C.Header;
        EXPECT_EQ(Stream.GetPosition(), 0);
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Width, 300u);
        EXPECT_EQ(P.Height, 7u);
        EXPECT_EQ(P.Layout, C.Layout) << C.Header;
        EXPECT_EQ(P.BitsPerSample, C.Bits) << C.Header;
        EXPECT_EQ(P.SamplesPerPixel, C.Samples);
        EXPECT_EQ(P.BitsPerPixel, C.Bits * C.Samples);
        EXPECT_EQ(P.AlphaPresent, C.Alpha);
        EXPECT_EQ(P.Compression, cmpNone);
    }
    TPPMGraphic Graphic;
    TMemoryStream Seven = StreamOf("P7 1 1 255\n...");
    EXPECT_FALSE(Graphic.ReadProperties(Seven, 0));
}

TEST(PPMHeader, EveryWayOfWritingItGivesThePicture)
{
    // Numbers after the magic on its line, the header on one line, any
    // whitespace, comments anywhere and one after another, even right
    // after the maximum value; the pixel data start after the one
    // character that ends it.
    const std::string Headers[] = {
        "P5\n3 1\n255\n",
        "P5 3 1 255\n",
        "P5\t3\r\n1\v\f255 ",
        "P5#comment\n3 1 255\n",
        "P5\n# one\n# two\n#three 9 9\n3\n#\n1\n255\n",
        "P5 3#comment 7\r1 255#comment 7\n",
        "P5 003 1 255\n",
    };
    for (const std::string& Header : Headers)
        EXPECT_EQ(Levels(Header + "\x0A\x20\x23"), (Bytes{0x0A, 0x20, 0x23})) << Header;

    // PAM: keyword lines in any order, comments and blank lines between them.
    const std::string Pam = "P7\n# written by hand\nMAXVAL 255\n\nDEPTH 1\nHEIGHT 1\n  WIDTH 3\n"
                            "TUPLTYPE GRAYSCALE\n#\nENDHDR\n";
    EXPECT_EQ(Levels(Pam + "\x0A\x20\x23"), (Bytes{0x0A, 0x20, 0x23}));
}

TEST(PPMSamples, TheMaximumValueScalesToEightBits)
{
    // Rounded to the nearest level; a value above the maximum is full.
    EXPECT_EQ(Levels("P2 5 1 15\n0 1 7 15 16"), (Bytes{0, 17, 119, 255, 255}));
    EXPECT_EQ(Levels("P2 3 1 1000\n2 500 998"), (Bytes{1, 128, 254}));
    EXPECT_EQ(Levels(Binary("P5 2 1 1\n\x01\x00")), (Bytes{255, 0}));
    // Binary samples above 255 are two bytes, the most significant first.
    EXPECT_EQ(Levels(Binary("P5 4 1 65535\n\x80\x00\xFF\xFF\x00\x81\x00\x80")),
              (Bytes{128, 255, 1, 0}));
    EXPECT_EQ(Levels(Binary("P5 2 1 300\n\x01\x2C\x01\x2D")), (Bytes{255, 255}));
    // Numbers saturate rather than wrap around.
    EXPECT_EQ(Levels("P2 2 1 255\n99999999999999999999 4294967296"), (Bytes{255, 255}));

    TPPMGraphic Colour;
    Load(Colour, "P3 2 1 15\n15 0 0  1 2 3");
    ASSERT_EQ(Colour.GetPixelFormat(), pf24bit);
    EXPECT_EQ(Row(Colour, 0), (Bytes{0, 0, 255, 51, 34, 17}));
}

TEST(PPMBitmaps, OneIsBlackAndRowsEndInsideAByte)
{
    // Plain bits need no whitespace; width 10 fills two bytes a row.
    for (const std::string& File : {std::string("P1 10 2\n1000000001\n0 1 1 1 1 1 1 1 1 0"),
                                   std::string("P1 10 2 10000000010111111110"),
                                   Binary("P4 10 2\n\x80\x40\x7F\x80")}) {
        TPPMGraphic Graphic;
        Load(Graphic, File);
        ASSERT_EQ(Graphic.GetPixelFormat(), pf1bit);
        EXPECT_EQ(Row(Graphic, 0), (Bytes{0x80, 0x40})) << File;
        EXPECT_EQ(Row(Graphic, 1), (Bytes{0x7F, 0x80})) << File;
        EXPECT_EQ(Graphic.PixelColor(0, 0), RGBColor(0, 0, 0));
        EXPECT_EQ(Graphic.PixelColor(1, 0), RGBColor(255, 255, 255));
    }
}

TEST(PPMAlpha, IsKeptInAThirtyTwoBitBitmap)
{
    TPPMGraphic Grey;
    Load(Grey, Binary("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 2\nMAXVAL 15\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n\x0F\x05\x03\x00"));
    ASSERT_EQ(Grey.GetPixelFormat(), pf32bit);
    EXPECT_EQ(Row(Grey, 0), (Bytes{255, 255, 255, 85, 51, 51, 51, 0}));

    TPPMGraphic Colour;
    Load(Colour, Binary("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                        "\xFF\xFF\x00\x00\x80\x00\x12\x34"));
    ASSERT_EQ(Colour.GetPixelFormat(), pf32bit);
    EXPECT_EQ(Row(Colour, 0), (Bytes{128, 0, 255, 18}));
}

TEST(PPMPlainData, EndingEarlyLeavesTheRowsAfterThemBlank)
{
    // Room for the least bytes the pixels take, but only 1100 of 3000
    // samples, so the buffer is refilled short after a full fill: nothing
    // of the earlier fill may come back as pixels.
    std::string File = "P2 1 3000 255\n";
    for (int i = 0; i < 1100; ++i)
        File += "200 ";
    File += std::string(1800, ' ');
    TPPMGraphic Graphic;
    Load(Graphic, File);
    EXPECT_EQ(Row(Graphic, 1099), Bytes{200});
    for (std::uint32_t y = 1100; y < 3000; ++y)
        ASSERT_EQ(Row(Graphic, y), Bytes{0}) << y;

    // A row cut short by something that is no number is not shown.
    TPPMGraphic Junk;
    Load(Junk, "P3 2 2 255\n1 2 3 4 5 6 7 8 9 x 1 2 ");
    EXPECT_EQ(Row(Junk, 0), (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(Row(Junk, 1), Bytes(6, 0));
}

TEST(PPMLoad, RefusesWhatItCannotShow)
{
    // Every refusal is the reader's own error, raised before the bitmap or
    // any buffer sized by the header is allocated.
    const std::string Pam = "P7\nWIDTH 2\nHEIGHT 2\n";
    const std::string Cases[] = {
        "P6\n",
        "P6 2 2",
        "P5 2 2 0\n\x01\x02\x03\x04",
        "P5 2 2 65536\n12345678",
        "P5 0 2 255\n\x01\x02",
        "P9 2 2 255\n\x01\x02\x03\x04",
        "P5 2 2 255\n\x01\x02\x03",
        "P5 4294967297 1 255\n\x01\x02",
        "P4 65535 65535\n\x01\x02\x03\x04\x05\x06\x07\x08",
        "P6 20000 20000 255\n\x01\x02\x03\x04\x05\x06\x07\x08",
        "P6 5000 5000 255\n\x01\x02\x03\x04\x05\x06\x07\x08",
        "P7\nWIDTH 65535\nHEIGHT 65535\nDEPTH 1\nMAXVAL 255\nTUPLTYPE GRAYSCALE\nENDHDR\n\x01\x02\x03\x04",
        "P1 3 3\n1 0 1 0",
        "P2 2 2 255\n1 2 3",
        "P2 2 2 255\nx 2 3 4 5",
        Pam + "DEPTH 3\nMAXVAL 255\nTUPLTYPE CMYK\nENDHDR\n" + std::string(12, 'x'),
        Pam + "DEPTH 3\nMAXVAL 255\nENDHDR\n" + std::string(12, 'x'),
        Pam + "DEPTH 4\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n" + std::string(16, 'x'),
        Pam + "DEPTH 1\nTUPLTYPE GRAYSCALE\nENDHDR\n" + std::string(4, 'x'),
        Pam + "DEPTH 1\nMAXVAL 255\nTUPLTYPE GRAYSCALE\n" + std::string(4, 'x'),
        Pam + "DEPTH 1\nMAXVAL 255\nTUPLTYPE GRAYSCALE\nCOLOUR 1\nENDHDR\n" + std::string(4, 'x'),
        "P7 332\n#XVVERSION:Version 3.10\n#BUILTIN:STIPPLE\n#END_OF_COMMENTS\nIMGINFO:2x2\n\x01\x02\x03\x04",
    };
    for (const std::string& File : Cases) {
        TPPMGraphic Graphic;
        TMemoryStream Stream = StreamOf(File);
        test::ResetLargestAllocation();
        try {
            Graphic.LoadFromStream(Stream);
            ADD_FAILURE() << "loaded " << File;
        } catch (const EInvalidGraphic& E) {
            EXPECT_STREQ(E.what(), "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.")
                << File;
        }
        EXPECT_LT(test::LargestAllocation(), 4096u) << File;
    }
}

TEST(PPMLoad, ReportsProgressRowByRow)
{
    TPPMGraphic Graphic;
    std::vector<std::string> Reports;
    Graphic.OnProgress = [&](TGraphic&, TProgressStage Stage, std::uint8_t Percent, bool, const TRect& R,
                             const std::string& Msg) {
        Reports.push_back(std::to_string(int(Stage)) + " " + std::to_string(Percent) + " " + std::to_string(R.Top) +
                          "-" + std::to_string(R.Right) + " " + Msg);
    };
    Load(Graphic, "P5 2 3 255\n123456");
    EXPECT_EQ(Reports, (std::vector<std::string>{"0 0 0-2 Transfering...", "1 0 0-2 ", "1 33 1-2 ", "1 67 2-2 ",
                                                 "2 0 3-2 "}));
}

namespace {

struct TFixture {
    const char* Name;
    TPixelFormat Format;
};

class PPMFixture : public ::testing::TestWithParam<TFixture> {};

std::string FixtureName(const ::testing::TestParamInfo<TFixture>& Info)
{
    std::string Name = Info.param.Name;
    std::replace_if(Name.begin(), Name.end(), [](char C) { return C == '-' || C == '.'; }, '_');
    return Name;
}

} // namespace

// The reference is netpbm's decoding; the script that wrote the files checks
// that ImageMagick decodes its own files the same way.
TEST_P(PPMFixture, MatchesNetpbmsDecoding)
{
    const std::filesystem::path File = Fixtures / GetParam().Name;
    TPPMGraphic Graphic;
    Graphic.LoadFromFile(File);
    EXPECT_EQ(Graphic.GetPixelFormat(), GetParam().Format);
    const TRGBAImage Image = Graphic.ToRGBA(true);
    const Bytes Expected = test::ReadFileBytes(std::filesystem::path(File).replace_extension(".rgba"));
    ASSERT_EQ(Image.Pixels.size(), Expected.size());
    for (std::size_t i = 0; i < Expected.size(); ++i)
        ASSERT_EQ(Image.Pixels[i], Expected[i]) << "pixel " << i / 4 % Image.Width << ", " << i / 4 / Image.Width;
}

INSTANTIATE_TEST_SUITE_P(
    WrittenByNetpbm, PPMFixture,
    ::testing::Values(
        TFixture{"nb-pbm-plain.pbm", pf1bit}, TFixture{"nb-pbm-raw.pbm", pf1bit},
        TFixture{"nb-pgm-1-plain.pgm", pf8bit}, TFixture{"nb-pgm-1-raw.pgm", pf8bit},
        TFixture{"nb-pgm-15-plain.pgm", pf8bit}, TFixture{"nb-pgm-15-raw.pgm", pf8bit},
        TFixture{"nb-pgm-255-plain.pgm", pf8bit}, TFixture{"nb-pgm-255-raw.pgm", pf8bit},
        TFixture{"nb-pgm-300-plain.pgm", pf8bit}, TFixture{"nb-pgm-300-raw.pgm", pf8bit},
        TFixture{"nb-pgm-1000-plain.pgm", pf8bit}, TFixture{"nb-pgm-1000-raw.pgm", pf8bit},
        TFixture{"nb-pgm-65535-plain.pgm", pf8bit}, TFixture{"nb-pgm-65535-raw.pgm", pf8bit},
        TFixture{"nb-ppm-1-plain.ppm", pf24bit}, TFixture{"nb-ppm-1-raw.ppm", pf24bit},
        TFixture{"nb-ppm-15-plain.ppm", pf24bit}, TFixture{"nb-ppm-15-raw.ppm", pf24bit},
        TFixture{"nb-ppm-255-plain.ppm", pf24bit}, TFixture{"nb-ppm-255-raw.ppm", pf24bit},
        TFixture{"nb-ppm-300-plain.ppm", pf24bit}, TFixture{"nb-ppm-300-raw.ppm", pf24bit},
        TFixture{"nb-ppm-1000-plain.ppm", pf24bit}, TFixture{"nb-ppm-1000-raw.ppm", pf24bit},
        TFixture{"nb-ppm-65535-plain.ppm", pf24bit}, TFixture{"nb-ppm-65535-raw.ppm", pf24bit},
        TFixture{"nb-pam-bw.pam", pf8bit}, TFixture{"nb-pam-bw-alpha.pam", pf32bit},
        TFixture{"nb-pam-grey-8.pam", pf8bit}, TFixture{"nb-pam-grey-16.pam", pf8bit},
        TFixture{"nb-pam-grey-alpha-8.pam", pf32bit}, TFixture{"nb-pam-grey-alpha-16.pam", pf32bit},
        TFixture{"nb-pam-rgb-8.pam", pf24bit}, TFixture{"nb-pam-rgb-16.pam", pf24bit},
        TFixture{"nb-pam-rgba-8.pam", pf32bit}, TFixture{"nb-pam-rgba-16.pam", pf32bit}),
    FixtureName);

INSTANTIATE_TEST_SUITE_P(
    WrittenByImageMagick, PPMFixture,
    ::testing::Values(TFixture{"im-pbm-plain.pbm", pf1bit}, TFixture{"im-pbm-raw.pbm", pf1bit},
                      TFixture{"im-pgm-plain.pgm", pf8bit}, TFixture{"im-pgm-raw.pgm", pf8bit},
                      TFixture{"im-pgm-16-plain.pgm", pf8bit}, TFixture{"im-ppm-plain.ppm", pf24bit},
                      TFixture{"im-ppm-raw.ppm", pf24bit}, TFixture{"im-ppm-16-raw.ppm", pf24bit},
                      TFixture{"im-pam-grey-16.pam", pf8bit}, TFixture{"im-pam-grey-alpha-8.pam", pf32bit},
                      TFixture{"im-pam-rgb-8.pam", pf24bit}, TFixture{"im-pam-rgba-8.pam", pf32bit},
                      TFixture{"im-pam-rgba-16.pam", pf32bit}),
    FixtureName);

TEST(PPMRegistration, FourExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"ppm", "pgm", "pbm", "pam"})
        EXPECT_EQ(Loader.ClassForExtension(Extension), &TPPMGraphic::ClassInfo) << Extension;
    const int Index = List.IndexOfExtension("pam");
    ASSERT_GE(Index, 0);
    EXPECT_EQ(List.ExtensionList()[Index]->ClassEntry->Description, "Portable map images");
    EXPECT_EQ(List.ClassForContent(Fixtures / "nb-pam-rgba-8.pam"), &TPPMGraphic::ClassInfo);
    EXPECT_EQ(List.ClassForContent(Fixtures / "im-pbm-raw.pbm"), &TPPMGraphic::ClassInfo);
}
