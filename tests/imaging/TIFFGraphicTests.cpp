// The TIFF reader: files written by Pillow, libtiff's tiffcp and ImageMagick
// against libtiff's own reading (tests/data/tiff/make-fixtures.sh), files
// built here entry by entry for what those tools do not write, and one case
// per refusal.

#include "imaging/EPSGraphic.h"
#include "imaging/FileFormatList.h"
#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "imaging/TIFFGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/TiffBuilder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace vidlark;
using vidlark::test::TTiffBuilder;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::filesystem::path Fixtures = VIDLARK_TIFF_DATA;

// A grey 8-bit picture of Width x Height in the given strips.
TTiffBuilder Grey(std::uint32_t Width, std::uint32_t Height, std::vector<Bytes> Strips, bool Big = false)
{
    TTiffBuilder B(Big);
    B.Set(256, 4, {Width}).Set(257, 4, {Height}).Set(258, 3, {8}).Set(259, 3, {1}).Set(262, 3, {1});
    B.Strips(std::move(Strips));
    return B;
}

std::unique_ptr<TTIFFGraphic> Load(const Bytes& File)
{
    auto Graphic = std::make_unique<TTIFFGraphic>();
    TMemoryStream Stream(File);
    Graphic->LoadFromStream(Stream);
    return Graphic;
}

std::string LoadError(const Bytes& File)
{
    try {
        Load(File);
    } catch (const std::exception& E) {
        return E.what();
    }
    return "loaded";
}

Bytes RgbOf(const TGraphic& Graphic)
{
    const TRGBAImage Image = Graphic.ToRGBA(false);
    Bytes Rgb;
    for (std::size_t i = 0; i < Image.Pixels.size(); i += 4)
        Rgb.insert(Rgb.end(), {Image.Pixels[i], Image.Pixels[i + 1], Image.Pixels[i + 2]});
    return Rgb;
}

std::string Unsupported(const std::string& What)
{
    return "Cannot load image. " + What + " not supported for TIF/TIFF files.";
}
const std::string Invalid = "Cannot load image. Invalid or unexpected TIF/TIFF image format.";

// The picture against libtiff's reading of it, sample by sample.
void ExpectLikeReference(const TGraphic& Graphic, const std::string& Name, int Tolerance)
{
    const test::TPnm Reference = test::ReadPnm(Fixtures / (Name + ".ppm"));
    ASSERT_EQ(Graphic.GetWidth(), Reference.Width);
    ASSERT_EQ(Graphic.GetHeight(), Reference.Height);
    const Bytes Got = RgbOf(Graphic);
    for (std::size_t i = 0; i < Got.size(); ++i)
        ASSERT_NEAR(Got[i], Reference.Data[i], Tolerance) << "sample " << i;
}

} // namespace

TEST(TIFFFixtures, MatchLibtiffsOwnReading)
{
    struct TCase {
        const char* Name;
        int Tolerance;
    };
    // Palette: Pillow stores levels times 256 and 16-bit levels are scaled
    // down truncating, where libtiff takes the high byte; CMYK: libtiff
    // rounds the product of the inks its own way; JPEG: the colour
    // conversion of the strips differs in the last bit or two.
    const TCase Cases[] = {
        {"rgb-plain", 0},          {"rgba-plain", 0},           {"rgb-bigendian", 0},      {"rgb-packbits-pil", 0},
        {"rgb-packbits-strips", 0}, {"rgb-separate", 0},         {"rgb16-bigendian", 0},    {"rgb16-littleendian", 0},
        {"grey-plain", 0},         {"grey-minwhite", 0},        {"grey2", 0},              {"grey4", 0},
        {"palette-plain", 1},      {"cmyk-plain", 1},           {"rgb-jpeg-ycbcr", 3},     {"grey-jpeg", 1},
        {"bilevel-g3", 0},         {"bilevel-g3-fill-lsb", 0},  {"bilevel-g3-magick", 0},  {"bilevel-packbits-lsb", 0},
        {"rgb-deflate", 0},        {"rgb-deflate-predictor", 0}, {"rgb-deflate-predictor-separate", 0},
        {"rgb16-deflate-predictor-bigendian", 0},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const Bytes File = test::ReadFileBytes(Fixtures / (std::string(C.Name) + ".tif"));
        TMemoryStream Stream(File);
        ASSERT_TRUE(TTIFFGraphic::CanReadStream(Stream));
        std::unique_ptr<TTIFFGraphic> Graphic;
        ASSERT_NO_THROW(Graphic = Load(File));
        ExpectLikeReference(*Graphic, C.Name, C.Tolerance);
    }
}

TEST(TIFFHeader, ContentTestAndProperties)
{
    const Bytes Big = Grey(2, 1, {{1, 2}}, true).Build();
    TMemoryStream BigStream(Big);
    EXPECT_TRUE(TTIFFGraphic::CanReadStream(BigStream));
    Bytes Version43 = Grey(2, 1, {{1, 2}}).Build();
    Version43[2] = 43;
    TMemoryStream Stream43(Version43);
    EXPECT_FALSE(TTIFFGraphic::CanReadStream(Stream43));

    // 100 per centimetre is 254 per inch; no photometric field means grey
    // with white at 0.
    TTiffBuilder B;
    B.Set(256, 4, {2}).Set(257, 4, {1}).Set(258, 3, {8}).Set(296, 3, {3});
    B.Raw(282, 5, 1, {100, 0, 0, 0, 1, 0, 0, 0}).Strips({{0, 255}});
    const Bytes File = B.Build();
    TTIFFGraphic Graphic;
    TMemoryStream Stream(File);
    ASSERT_TRUE(Graphic.ReadProperties(Stream, 0));
    EXPECT_FLOAT_EQ(Graphic.ImageProperties.XResolution, 254.0f);
    EXPECT_TRUE(Graphic.ImageProperties.Flags & imgMinIsWhite);
    EXPECT_EQ(RgbOf(*Load(File)), (Bytes{255, 255, 255, 0, 0, 0}));
}

TEST(TIFFStrips, RowsFollowTheStripsWhateverRowsPerStripSays)
{
    // RowsPerStrip beyond the picture, a short last strip, and no
    // RowsPerStrip at all: 3 rows of 2 pixels each time.
    const Bytes Rows{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(RgbOf(*Load(Grey(2, 3, {Rows}).Set(278, 4, {1000}).Build())).size(), 18u);
    const auto Two = Load(Grey(2, 3, {{1, 2, 3, 4}, {5, 6}}).Set(278, 3, {2}).Build());
    EXPECT_EQ(Two->ScanLine(2)[1], 6);
    const auto One = Load(Grey(2, 3, {Rows}).Build());
    EXPECT_EQ(One->ScanLine(1)[0], 3);
    // Strips that are missing leave their rows at 0.
    const auto Short = Load(Grey(2, 3, {{1, 2}}).Set(278, 3, {1}).Build());
    EXPECT_EQ(Short->ScanLine(0)[1], 2);
    EXPECT_EQ(Short->ScanLine(2)[1], 0);
}

TEST(TIFFStrips, PredictorWorksPerSampleAtEightAndSixteenBits)
{
    // Packbits literal runs of the differenced samples.
    auto Literal = [](Bytes Data) {
        Data.insert(Data.begin(), static_cast<std::uint8_t>(Data.size() - 1));
        return Data;
    };
    TTiffBuilder Rgb8;
    Rgb8.Set(256, 4, {3}).Set(257, 4, {1}).Set(258, 3, {8, 8, 8}).Set(259, 3, {32773}).Set(262, 3, {2});
    Rgb8.Set(277, 3, {3}).Set(317, 3, {2}).Strips({Literal({10, 20, 30, 1, 2, 3, 255, 1, 1})});
    EXPECT_EQ(RgbOf(*Load(Rgb8.Build())), (Bytes{10, 20, 30, 11, 22, 33, 10, 23, 34}));

    // 16 bits, big-endian: 0x7F01 + 0x00FF carries into the high byte;
    // 16-bit levels are scaled to 8 bits truncating.
    TTiffBuilder Grey16(true);
    Grey16.Set(256, 4, {2}).Set(257, 4, {1}).Set(258, 3, {16}).Set(259, 3, {32773}).Set(262, 3, {1});
    Grey16.Set(317, 3, {2}).Strips({Literal({0x7F, 0x01, 0x00, 0xFF})});
    const auto Graphic = Load(Grey16.Build());
    EXPECT_EQ(Graphic->ScanLine(0)[0], 126);
    EXPECT_EQ(Graphic->ScanLine(0)[1], 127);
}

TEST(TIFFStrips, DamagedDeflateDataFailTheLoad)
{
    // A zlib header, then a block of the reserved type 3.
    const Bytes File = Grey(2, 1, {{0x78, 0x9C, 0x07, 0x00}}).Set(259, 3, {8}).Build();
    EXPECT_EQ(LoadError(File), "LZ77 decompression error.");
}

TEST(TIFFStrips, SubsampledYCbCrIsExpandedFromItsDataUnits)
{
    // 4 x 2 subsampling given inline in a big-endian file: one data unit of
    // eight luma samples, then Cb and Cr, covers a 4 x 2 block.
    TTiffBuilder B(true);
    B.Set(256, 4, {4}).Set(257, 4, {2}).Set(258, 3, {8, 8, 8}).Set(259, 3, {1}).Set(262, 3, {6}).Set(277, 3, {3});
    B.Set(530, 3, {4, 2}).Strips({{10, 20, 30, 40, 50, 60, 70, 80, 128, 128}});
    const Bytes Rgb = RgbOf(*Load(B.Build()));
    const Bytes Expected{10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40, 50, 50, 50, 60, 60, 60, 70, 70, 70, 80, 80, 80};
    EXPECT_EQ(Rgb, Expected);
}

TEST(TIFFStrips, WordAlignedFaxRowsCountFromTheStrip)
{
    // Width 8, two rows: white 8 = 10011; the second row starts on the next
    // even byte of the strip.
    TTiffBuilder B;
    B.Set(256, 4, {8}).Set(257, 4, {2}).Set(258, 3, {1}).Set(259, 3, {32771}).Set(262, 3, {0});
    // Row 1: white 0 (00110101), black 8 (000101).
    B.Strips({{0b10011000, 0x00, 0b00110101, 0b00010100}});
    const Bytes File = B.Build();
    const auto Graphic = Load(File);
    EXPECT_EQ(RgbOf(*Graphic), (Bytes{255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                      255, 255, 255, 255, 255, 255, 255, 255, 0,   0,   0,   0,   0,   0,   0,   0,
                                      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0}));
}

TEST(TIFFStrips, ThunderScanRowsAreFourBitGrey)
{
    TTiffBuilder B;
    B.Set(256, 4, {3}).Set(257, 4, {1}).Set(258, 3, {4}).Set(259, 3, {32809}).Set(262, 3, {1});
    B.Strips({{0xCF, 0x00, 0xC0}}); // 15, a repeat of no pixels, then 0
    EXPECT_EQ(RgbOf(*Load(B.Build())), (Bytes{255, 255, 255, 0, 0, 0, 0, 0, 0}));
}

TEST(TIFFRefusals, EachInItsOwnWords)
{
    struct TCase {
        const char* Name;
        Bytes File;
        std::string Message;
    };
    Bytes PastEnd = Grey(1, 1, {{7}}).Build();
    PastEnd[4] = 0xF0;
    const TCase Cases[] = {
        {"tiles without offsets", Grey(1, 1, {{7}}).Set(322, 3, {16}).Set(323, 3, {16}).Build(), Invalid},
        {"predictor 3", Grey(1, 1, {{7}}).Set(259, 3, {32773}).Set(317, 3, {3}).Build(), Unsupported("The predictor is")},
        {"no strips", [] {
             TTiffBuilder B;
             B.Set(256, 4, {1}).Set(257, 4, {1}).Set(258, 3, {8}).Set(262, 3, {1});
             return B.Build();
         }(), Invalid},
        {"directory past the end", PastEnd, Invalid},
        {"huge in a tiny file", Grey(65535, 65535, {{7}}).Build(), Invalid},
        {"colour map over 768 values", Grey(1, 1, {{7}}).Set(262, 3, {3}).Set(320, 3, std::vector<std::uint32_t>(771, 0)).Build(), Invalid},
        {"RGB of two samples", Grey(1, 1, {{7}}).Set(262, 3, {2}).Set(277, 3, {2}).Build(), Invalid},
        {"12 bits", Grey(1, 1, {{7}}).Set(258, 3, {12}).Build(), Invalid},
        {"fax of 8-bit grey", Grey(1, 1, {{7}}).Set(259, 3, {4}).Build(), Invalid},
        {"fax of 8-bit RGB",
         Grey(1, 1, {{7, 7, 7}}).Set(258, 3, {8, 8, 8}).Set(259, 3, {2}).Set(262, 3, {2}).Set(277, 3, {3}).Build(),
         Invalid},
    };
    for (const TCase& C : Cases) {
        test::ResetLargestAllocation();
        EXPECT_EQ(LoadError(C.File), C.Message) << C.Name;
        EXPECT_LT(test::LargestAllocation(), 64u * 1024) << C.Name;
    }
    // A directory that points back at itself ends the chain.
    Bytes Looped = Grey(1, 1, {{7}}).Build();
    Looped[8 + 2 + 12 * Looped[8]] = 8;
    TTIFFGraphic Graphic;
    TMemoryStream Stream(Looped);
    EXPECT_TRUE(Graphic.ReadProperties(Stream, 0));
    EXPECT_FALSE(Graphic.ReadProperties(Stream, 5));
}

TEST(TIFFRegistration, ThreeExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"tif", "tiff", "fax"})
        EXPECT_EQ(Loader.ClassForExtension(Extension), &TTIFFGraphic::ClassInfo) << Extension;
    const Bytes File = test::ReadFileBytes(Fixtures / "rgb-plain.tif");
    TMemoryStream Stream(File);
    EXPECT_EQ(List.ClassForContent(Stream), &TTIFFGraphic::ClassInfo);
}

TEST(EPSPreview, TheTIFFPreviewIsThePicture)
{
    const Bytes File = test::ReadFileBytes(Fixtures / "preview.eps");
    TMemoryStream Stream(File);
    ASSERT_TRUE(TEPSGraphic::CanReadStream(Stream));
    EXPECT_EQ(Stream.GetPosition(), 0);
    TEPSGraphic Graphic;
    Graphic.LoadFromStream(Stream);
    // A palette picture: 16-bit levels, see the palette fixture.
    ExpectLikeReference(Graphic, "preview", 1);
}

TEST(EPSPreview, HeadersWithoutAPreviewInsideTheFileAreRefused)
{
    const Bytes Preview = test::ReadFileBytes(Fixtures / "preview.eps");
    auto WithPreviewAt = [&](std::uint32_t Offset, std::uint32_t Length) {
        Bytes File = Preview;
        for (int i = 0; i < 4; ++i) {
            File[20 + i] = static_cast<std::uint8_t>(Offset >> (8 * i));
            File[24 + i] = static_cast<std::uint8_t>(Length >> (8 * i));
        }
        return File;
    };
    const Bytes Cases[] = {
        WithPreviewAt(0, 0),                                            // no preview
        WithPreviewAt(12, 5000),                                        // inside the header
        WithPreviewAt(static_cast<std::uint32_t>(Preview.size()), 10), // past the end
        WithPreviewAt(40, 0),                                           // empty
        Bytes(Preview.begin(), Preview.begin() + 30),                   // the header alone
    };
    for (const Bytes& File : Cases) {
        TMemoryStream Stream(File);
        EXPECT_FALSE(TEPSGraphic::CanReadStream(Stream));
        TEPSGraphic Graphic;
        try {
            Graphic.LoadFromStream(Stream);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& E) {
            EXPECT_STREQ(E.what(), "Cannot load image. Invalid or unexpected EPS image format.");
        }
    }
}

TEST(TIFFJpegStrips, CutStripsGiveOneWarningPerLoad)
{
    // Every strip byte count of the file halved (tiffcp wrote them as SHORTs).
    Bytes File = test::ReadFileBytes(Fixtures / "grey-jpeg.tif");
    auto U16 = [&](std::size_t At) { return std::uint32_t(File[At] | File[At + 1] << 8); };
    auto U32 = [&](std::size_t At) { return U16(At) | U16(At + 2) << 16; };
    const std::size_t Directory = U32(4);
    for (std::size_t i = 0; i < U16(Directory); ++i) {
        const std::size_t Entry = Directory + 2 + 12 * i;
        if (U16(Entry) != 279)
            continue;
        ASSERT_EQ(U16(Entry + 2), 3); // three SHORTs, beyond the entry
        for (std::size_t s = 0, At = U32(Entry + 8); s < U32(Entry + 4); ++s, At += 2) {
            const std::uint32_t Half = U16(At) / 2;
            File[At] = static_cast<std::uint8_t>(Half);
            File[At + 1] = static_cast<std::uint8_t>(Half >> 8);
        }
    }
    std::vector<std::string> Warnings;
    TTIFFGraphic::OnJpegWarning = [&](const std::string& Text) { Warnings.push_back(Text); };
    EXPECT_NO_THROW(Load(File));
    TTIFFGraphic::OnJpegWarning = nullptr;
    EXPECT_EQ(Warnings, std::vector<std::string>{"JPEG decompression error. Unexpected end of input."});
}
