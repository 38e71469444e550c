// The PNG reader: files of three writers compared pixel by pixel with
// libpng's decoding, the row filters, the ancillary chunks, and refusals.

#include "imaging/Icon.h"
#include "imaging/ImageFormats.h"
#include "imaging/PNGFilters.h"
#include "imaging/PNGGraphic.h"
#include "imaging/PNGHeader.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/LoadAttempt.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::filesystem::path PngFixture(const std::string& Name) { return std::filesystem::path(VIDLARK_PNG_DATA) / Name; }

// A PAM file as pngtopam writes it: any depth, maxval up to 65535.
struct TPam {
    std::uint32_t Width = 0, Height = 0, Depth = 0, MaxVal = 0;
    std::vector<std::uint32_t> Samples;
    std::uint32_t At(std::uint32_t x, std::uint32_t y, std::uint32_t c) const { return Samples[(y * Width + x) * Depth + c]; }
};

TPam ReadPam(const std::filesystem::path& Path)
{
    const Bytes File = test::ReadFileBytes(Path);
    const std::string Text(File.begin(), File.end());
    const std::size_t End = Text.find("ENDHDR\n");
    std::istringstream Header(Text.substr(0, End));
    TPam Pam;
    for (std::string Key; Header >> Key;) {
        if (Key == "WIDTH") Header >> Pam.Width;
        else if (Key == "HEIGHT") Header >> Pam.Height;
        else if (Key == "DEPTH") Header >> Pam.Depth;
        else if (Key == "MAXVAL") Header >> Pam.MaxVal;
    }
    const std::size_t Bytes_ = Pam.MaxVal > 255 ? 2 : 1;
    for (std::size_t i = End + 7; i + Bytes_ <= File.size(); i += Bytes_)
        Pam.Samples.push_back(Bytes_ == 2 ? File[i] << 8 | File[i + 1] : File[i]);
    EXPECT_EQ(Pam.Samples.size(), std::size_t{Pam.Width} * Pam.Height * Pam.Depth) << Path;
    return Pam;
}

// A reference sample on the bitmap's 0..255 scale: 16-bit samples cut
// (not rounded) to 8 bits, lower depths widened.
std::uint8_t Scaled(std::uint32_t Value, std::uint32_t MaxVal)
{
    return static_cast<std::uint8_t>(MaxVal == 65535 ? Value * 255 / 65535 : Value * 255 / MaxVal);
}

std::uint8_t Gamma(std::uint8_t Level, float FileGamma)
{
    return static_cast<std::uint8_t>(std::lround(std::pow(Level / 255.0, 1.0 / (FileGamma * 2.2)) * 255));
}

// Every PNG fixture against its reference: colour everywhere, alpha where
// the bitmap keeps it (RGBA), gamma applied where the file gives one.
class PNGFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(PNGFixture, MatchesLibpngPixelByPixel)
{
    const std::string Name = GetParam();
    TPNGGraphic Picture;
    Picture.LoadFromFile(PngFixture(Name + ".png"));
    const TPam Reference = ReadPam(PngFixture(Name + ".pam"));
    ASSERT_EQ(Picture.GetWidth(), Reference.Width);
    ASSERT_EQ(Picture.GetHeight(), Reference.Height);
    const TImageProperties& P = Picture.ImageProperties;
    const bool HasGamma = (P.Flags & imgFileGamma) != 0;
    const bool Colour = Reference.Depth >= 3;
    const bool KeepsAlpha = P.Layout == schRGBA;
    EXPECT_EQ(Picture.GetPixelFormat(), KeepsAlpha ? pf32bit : P.Layout == schRGB ? pf24bit
                                        : P.BitsPerSample == 1 ? pf1bit : P.BitsPerSample <= 4 ? pf4bit : pf8bit);
    int Mismatches = 0;
    for (std::uint32_t y = 0; y < Reference.Height; ++y)
        for (std::uint32_t x = 0; x < Reference.Width; ++x) {
            std::uint8_t Expected[3];
            for (std::uint32_t c = 0; c < 3; ++c) {
                const std::uint8_t Level = Scaled(Reference.At(x, y, Colour ? c : 0), Reference.MaxVal);
                Expected[c] = HasGamma ? Gamma(Level, P.Gamma) : Level;
            }
            const TColor Got = Picture.PixelColor(x, y);
            bool Same = Got == RGBColor(Expected[0], Expected[1], Expected[2]);
            if (KeepsAlpha)
                Same = Same && Picture.ScanLine(y)[4 * x + 3] == Scaled(Reference.At(x, y, 3), Reference.MaxVal);
            if (!Same && ++Mismatches <= 3)
                ADD_FAILURE() << Name << " differs at " << x << "," << y << ": " << std::hex << Got;
        }
    EXPECT_EQ(Mismatches, 0) << Name;
}

std::vector<std::string> FixtureNames()
{
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(VIDLARK_PNG_DATA))
        if (Entry.path().extension() == ".png")
            Names.push_back(Entry.path().stem().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

INSTANTIATE_TEST_SUITE_P(Writers, PNGFixture, ::testing::ValuesIn(FixtureNames()),
                         [](const auto& Info) {
                             std::string Name = Info.param;
                             std::replace(Name.begin(), Name.end(), '-', '_');
                             return Name;
                         });

// Files built chunk by chunk.
Bytes Chunk(const char* Type, const Bytes& Data, bool GoodCrc = true)
{
    Bytes Out{static_cast<std::uint8_t>(Data.size() >> 24), static_cast<std::uint8_t>(Data.size() >> 16),
              static_cast<std::uint8_t>(Data.size() >> 8), static_cast<std::uint8_t>(Data.size())};
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Data.begin(), Data.end());
    std::uint32_t Crc = static_cast<std::uint32_t>(crc32(0, Out.data() + 4, static_cast<uInt>(Data.size() + 4)));
    if (!GoodCrc)
        Crc ^= 1;
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<std::uint8_t>(Crc >> Shift));
    return Out;
}

Bytes Ihdr(std::uint32_t Width, std::uint32_t Height, std::uint8_t Depth, std::uint8_t ColorType,
           std::uint8_t Interlace = 0, std::uint8_t Compression = 0)
{
    return Chunk("IHDR", {static_cast<std::uint8_t>(Width >> 24), static_cast<std::uint8_t>(Width >> 16),
                          static_cast<std::uint8_t>(Width >> 8), static_cast<std::uint8_t>(Width),
                          static_cast<std::uint8_t>(Height >> 24), static_cast<std::uint8_t>(Height >> 16),
                          static_cast<std::uint8_t>(Height >> 8), static_cast<std::uint8_t>(Height), Depth,
                          ColorType, Compression, 0, Interlace});
}

Bytes Deflated(const Bytes& Raw)
{
    uLongf Size = compressBound(static_cast<uLong>(Raw.size()));
    Bytes Out(Size);
    compress(Out.data(), &Size, Raw.data(), static_cast<uLong>(Raw.size()));
    Out.resize(Size);
    return Out;
}

// A zlib stream whose last block is not followed by its check value: the
// image data end without an error.
Bytes WithoutCheckValue(const Bytes& Raw)
{
    const Bytes Full = Deflated(Raw);
    return Bytes(Full.begin(), Full.end() - 4);
}

Bytes Png(std::initializer_list<Bytes> Chunks)
{
    Bytes File(std::begin(PNGSignature), std::end(PNGSignature));
    for (const Bytes& C : Chunks)
        File.insert(File.end(), C.begin(), C.end());
    return File;
}

// Raw rows of a 2 x 2 grey picture, filter none: 10 20 / 30 40.
const Bytes GreyRows{0, 10, 20, 0, 30, 40};

using TLoad = test::TLoadAttempt<TPNGGraphic>;
TLoad Load(const Bytes& File) { return test::LoadBytes<TPNGGraphic>(File); }

const std::string Invalid = "Cannot load image. Invalid or unexpected PNG image format.";

} // namespace

TEST(PNGGraphic, ContentTestNeedsTheSignatureAndAnImageHeader)
{
    const Bytes Good = Png({Ihdr(2, 2, 8, 0), Chunk("IDAT", Deflated(GreyRows)), Chunk("IEND", {})});
    TMemoryStream Stream(Good);
    Stream.SetPosition(0);
    EXPECT_TRUE(TPNGGraphic::CanReadStream(Stream));
    EXPECT_EQ(Stream.GetPosition(), 0);
    TMemoryStream SignatureOnly(PNGSignature, sizeof PNGSignature);
    EXPECT_FALSE(TPNGGraphic::CanReadStream(SignatureOnly));
    // A 5-byte IHDR is no header.
    Bytes Short = Png({Chunk("IHDR", {0, 0, 0, 2, 0}), Chunk("IEND", {}), Chunk("IEND", {}), Chunk("IEND", {})});
    TMemoryStream ShortStream(Short);
    EXPECT_FALSE(TPNGGraphic::CanReadStream(ShortStream));
    EXPECT_EQ(Load(Short).Error, Invalid);
    // The registry finds the reader by content.
    TImageLibrary Library;
    TMemoryStream Again(Good);
    EXPECT_EQ(ImageFormatList->ClassForContent(Again), &TPNGGraphic::ClassInfo);
}

TEST(PNGGraphic, ReadPropertiesTakesHeaderAndGamma)
{
    const Bytes File = Png({Ihdr(3, 2, 16, 6, 1), Chunk("gAMA", {0, 0, 0xB1, 0x8F}), Chunk("IEND", {})});
    TMemoryStream Stream(File);
    TPNGGraphic Picture;
    ASSERT_TRUE(Picture.ReadProperties(Stream, 0));
    EXPECT_EQ(Stream.GetPosition(), 0);
    const TImageProperties& P = Picture.ImageProperties;
    EXPECT_EQ(P.Width, 3u);
    EXPECT_EQ(P.Height, 2u);
    EXPECT_EQ(P.Layout, schRGBA);
    EXPECT_EQ(P.BitsPerSample, 16);
    EXPECT_EQ(P.SamplesPerPixel, 4);
    EXPECT_EQ(P.BitsPerPixel, 64);
    EXPECT_EQ(P.Compression, cmpDeflate);
    EXPECT_TRUE(P.IsInterlaced);
    EXPECT_TRUE(P.AlphaPresent);
    EXPECT_EQ(P.Flags, imgBigEndian);
    EXPECT_FLOAT_EQ(P.Gamma, 0.45455f);
    // A 2-byte gAMA is passed over, never read past.
    const Bytes ShortGamma = Png({Ihdr(2, 2, 8, 0), Chunk("gAMA", {0, 1}), Chunk("IDAT", Deflated(GreyRows)), Chunk("IEND", {})});
    TMemoryStream ShortStream(ShortGamma);
    ASSERT_TRUE(Picture.ReadProperties(ShortStream, 0));
    EXPECT_FLOAT_EQ(Picture.ImageProperties.Gamma, 1.0f);
    TLoad Loaded = Load(ShortGamma);
    EXPECT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->ImageProperties.Flags & imgFileGamma, 0);
}

TEST(PNGGraphic, ChunkTypesIgnoreLetterCaseAndAncillaryChunksArePassedOver)
{
    const Bytes File = Png({Ihdr(2, 2, 8, 0), Chunk("tEXt", {'a', 0, 'b'}, false), Chunk("idat", Deflated(GreyRows)),
                            Chunk("zzZZ", {1, 2, 3}, false), Chunk("iEND", {}), Chunk("ABCD", {})});
    TLoad Loaded = Load(File);
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(1, 1), RGBColor(40, 40, 40));
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 0), RGBColor(10, 10, 10));
}

TEST(PNGGraphic, RefusalsWithTheirMessages)
{
    const Bytes Idat = Chunk("IDAT", Deflated(GreyRows));
    const Bytes Iend = Chunk("IEND", {});
    Bytes BadCrc = Idat;
    BadCrc.back() ^= 0xFF;
    Bytes Damaged = Deflated(GreyRows);
    Damaged[2] = 0xFF; // block type 3
    Bytes Padded = Deflated(GreyRows);
    Padded.insert(Padded.end(), {1, 2, 3});
    const struct {
        const char* Name;
        Bytes File;
        std::string Error;
    } Cases[] = {
        {"bad CRC", Png({Ihdr(2, 2, 8, 0), BadCrc, Iend}), "Cannot load image. CRC error found in PNG file."},
        {"unknown critical chunk", Png({Ihdr(2, 2, 8, 0), Chunk("ABCD", {1}), Idat, Iend}),
         "Cannot load PNG image. Unexpected but critical chunk detected."},
        {"no image data", Png({Ihdr(2, 2, 8, 0), Iend, Idat}), Invalid},
        {"palette of 10 bytes", Png({Ihdr(2, 2, 8, 3), Chunk("PLTE", Bytes(10)), Idat, Iend}),
         "Cannot load image. Palette in PNG file is invalid."},
        {"palette image without palette", Png({Ihdr(2, 2, 8, 3), Idat, Iend}),
         "Cannot load image. Palette in PNG file is invalid."},
        {"colour type 2 at 4 bits", Png({Ihdr(2, 2, 4, 2), Idat, Iend}), "Invalid color format in PNG file."},
        {"colour type 4 at 2 bits", Png({Ihdr(2, 2, 2, 4), Idat, Iend}), "Invalid color format in PNG file."},
        {"colour type 5", Png({Ihdr(2, 2, 8, 5), Idat, Iend}), "Invalid color format in PNG file."},
        {"compression method 1", Png({Ihdr(2, 2, 8, 0, 0, 1), Idat, Iend}),
         "Cannot load image. The compression scheme is not supported for PNG files."},
        {"damaged deflate data", Png({Ihdr(2, 2, 8, 0), Chunk("IDAT", Damaged), Iend}),
         "Cannot load image. Compression error found in PNG file."},
        {"bytes after the stream", Png({Ihdr(2, 3, 8, 0), Chunk("IDAT", Padded), Iend}),
         "Cannot load image. Extra compressed data found in PNG file."},
        {"stream that yields no row", Png({Ihdr(2, 2, 8, 0), Chunk("IDAT", Bytes(Idat.begin() + 8, Idat.begin() + 11)), Iend}),
         Invalid},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Load(Case.File).Error, Case.Error) << Case.Name;
}

TEST(PNGGraphic, AbsurdSizesAreRefusedBeforeAllocating)
{
    const Bytes Idat = Chunk("IDAT", Deflated(GreyRows));
    Bytes HugeLength = Chunk("tEXt", {1, 2, 3});
    HugeLength[0] = 0xFF, HugeLength[1] = 0xFF, HugeLength[2] = 0xFF, HugeLength[3] = 0xF0;
    Bytes PastTheEnd = Chunk("PLTE", Bytes(30));
    PastTheEnd[2] = 0x10; // 1 MiB more than the file holds
    const struct {
        const char* Name;
        Bytes File;
    } Cases[] = {
        {"chunk length 0xFFFFFFF0", Png({Ihdr(2, 2, 8, 0), HugeLength, Idat})},
        {"chunk past the end", Png({Ihdr(2, 2, 8, 3), PastTheEnd, Idat})},
        {"65535 x 65535", Png({Ihdr(65535, 65535, 8, 2), Idat, Chunk("IEND", {})})},
        {"image data that cannot fit the file", Png({Ihdr(20000, 4000, 8, 6), Idat, Chunk("IEND", {})})},
        {"row longer than the caps allow", Png({Ihdr(50000000, 1, 16, 6), Idat, Chunk("IEND", {})})},
    };
    for (const auto& Case : Cases) {
        const TLoad Loaded = Load(Case.File);
        EXPECT_EQ(Loaded.Error, Invalid) << Case.Name;
        EXPECT_LT(Loaded.Largest, 1u << 20) << Case.Name;
    }
}

TEST(PNGGraphic, DataThatEndEarlyLeaveTheBackgroundBelow)
{
    // Four rows of a grey picture whose image data hold two.
    const Bytes File = Png({Ihdr(2, 4, 8, 0), Chunk("bKGD", {0, 200}), Chunk("IDAT", WithoutCheckValue({0, 10, 20, 0, 30, 40})),
                            Chunk("IEND", {})});
    TLoad Loaded = Load(File);
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(1, 1), RGBColor(40, 40, 40));
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 2), RGBColor(200, 200, 200));
    EXPECT_EQ(Loaded.Picture->PixelColor(1, 3), RGBColor(200, 200, 200));
    // The same with the file cut inside its only image data chunk after a
    // first chunk of one row: the second chunk cannot be read.
    const Bytes All = Deflated({0, 10, 20, 0, 30, 40, 0, 50, 60});
    const Bytes Cut = Png({Ihdr(2, 3, 8, 0), Chunk("IDAT", Bytes(All.begin(), All.begin() + 6)),
                           Chunk("IDAT", Bytes(All.begin() + 6, All.end()))});
    TLoad Partial = Load(Bytes(Cut.begin(), Cut.end() - 3));
    ASSERT_EQ(Partial.Error, "");
    EXPECT_EQ(Partial.Picture->PixelColor(1, 2), RGBColor(255, 255, 255));
}

TEST(PNGGraphic, BackgroundAndTransparentColourFollowTheDepth)
{
    // Grey at 2 bits: level 1 is 85, level 2 is 170. The image data hold
    // the first row only, so the second shows the background.
    const Bytes Grey2 = Png({Ihdr(4, 2, 2, 0), Chunk("bKGD", {0, 2}), Chunk("tRNS", {0, 1}),
                             Chunk("IDAT", WithoutCheckValue({0, 0x1B})),
                             Chunk("IEND", {})});
    TLoad Loaded = Load(Grey2);
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(1, 0), RGBColor(85, 85, 85));
    EXPECT_EQ(Loaded.Picture->PixelColor(3, 0), RGBColor(255, 255, 255));
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 1), RGBColor(170, 170, 170));
    EXPECT_TRUE(Loaded.Picture->Transparent);
    EXPECT_EQ(Loaded.Picture->GetTransparentColor(), RGBColor(85, 85, 85));

    // 16-bit colour scales by 255 / 65535 without overflowing.
    const Bytes Rgb16Row{0, 0, 1, 0, 2, 0, 3};
    const Bytes Rgb16 = Png({Ihdr(1, 2, 16, 2), Chunk("bKGD", {0xFF, 0xFF, 0x80, 0x00, 0x01, 0x01}),
                             Chunk("tRNS", {0, 0, 0, 0, 0xFF, 0xFF}),
                             Chunk("IDAT", WithoutCheckValue(Rgb16Row)),
                             Chunk("IEND", {})});
    Loaded = Load(Rgb16);
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 1), RGBColor(255, 127, 1));
    EXPECT_EQ(Loaded.Picture->GetTransparentColor(), RGBColor(0, 0, 255));

    // A palette image's background is its entry's colour, white past the palette.
    const Bytes PaletteRow{0, 1};
    for (const auto& [Index, Expected] : {std::pair{1, RGBColor(4, 5, 6)}, std::pair{7, RGBColor(255, 255, 255)}}) {
        const Bytes File = Png({Ihdr(1, 2, 8, 3), Chunk("PLTE", {1, 2, 3, 4, 5, 6, 255, 255, 250}),
                                Chunk("bKGD", {static_cast<std::uint8_t>(Index)}),
                                Chunk("IDAT", WithoutCheckValue(PaletteRow)),
                                Chunk("IEND", {})});
        Loaded = Load(File);
        ASSERT_EQ(Loaded.Error, "");
        EXPECT_EQ(Loaded.Picture->PixelColor(0, 0), RGBColor(4, 5, 6));
        // White is not in the palette: the nearest entry shows it.
        EXPECT_EQ(Loaded.Picture->PixelColor(0, 1), Index == 1 ? Expected : RGBColor(255, 255, 250));
    }
    // Short chunks are ignored.
    Loaded = Load(Png({Ihdr(1, 2, 8, 2), Chunk("bKGD", {1, 2}), Chunk("tRNS", {1}),
                       Chunk("IDAT", WithoutCheckValue({0, 9, 9, 9})),
                       Chunk("IEND", {})}));
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 1), RGBColor(255, 255, 255));
    EXPECT_FALSE(Loaded.Picture->Transparent);
}

TEST(PNGGraphic, TinyInterlacedPicturesSkipPassesOutsideThePicture)
{
    // 1 x 1: only pass 1 has a pixel. Data for a row of pass 7 follow it,
    // which must not reach the picture.
    const Bytes File = Png({Ihdr(1, 1, 8, 2, 1), Chunk("IDAT", Deflated({0, 7, 8, 9, 2, 100, 100, 100})), Chunk("IEND", {})});
    TLoad Loaded = Load(File);
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(0, 0), RGBColor(7, 8, 9));
    // 2 x 2: passes 1, 6 and 7; pass 7 filters Up against zeros, not
    // against pass 6's row.
    const Bytes Rows{0, 1, /*pass 6*/ 0, 2, /*pass 7*/ 2, 3, 4};
    TLoad Small = Load(Png({Ihdr(2, 2, 8, 0, 1), Chunk("IDAT", Deflated(Rows)), Chunk("IEND", {})}));
    ASSERT_EQ(Small.Error, "");
    EXPECT_EQ(Small.Picture->PixelColor(0, 0), RGBColor(1, 1, 1));
    EXPECT_EQ(Small.Picture->PixelColor(1, 0), RGBColor(2, 2, 2));
    EXPECT_EQ(Small.Picture->PixelColor(0, 1), RGBColor(3, 3, 3));
    EXPECT_EQ(Small.Picture->PixelColor(1, 1), RGBColor(4, 4, 4));
}

TEST(PNGGraphic, IconEntriesStoredAsPngKeepTheirAlpha)
{
    const Bytes Png_ = test::ReadFileBytes(PngFixture("lp-rgba8.png"));
    const TPam Reference = ReadPam(PngFixture("lp-rgba8.pam"));
    // One directory entry (64 x 48, 32 bits) pointing at the PNG file.
    Bytes Icon{0, 0, 1, 0, 1, 0, 64, 48, 0, 0, 1, 0, 32, 0};
    for (const std::uint32_t Value : {static_cast<std::uint32_t>(Png_.size()), 22u})
        for (int Shift = 0; Shift < 32; Shift += 8)
            Icon.push_back(static_cast<std::uint8_t>(Value >> Shift));
    Icon.insert(Icon.end(), Png_.begin(), Png_.end());
    TMemoryStream Stream(Icon);
    TIcon Loaded;
    Loaded.LoadFromStream(Stream);
    const TRGBAImage Image = Loaded.ToRGBA(true);
    ASSERT_EQ(Image.Width, Reference.Width);
    ASSERT_EQ(Image.Height, Reference.Height);
    for (std::size_t i = 0; i < Reference.Samples.size(); ++i)
        ASSERT_EQ(Image.Pixels[i], Reference.Samples[i]) << i;
}

TEST(PNGFilters, VectorCodeMatchesThePortableOneForEveryTypeAndStride)
{
    std::uint32_t Seed = 5;
    const auto Random = [&] { return static_cast<std::uint8_t>((Seed = Seed * 1103515245u + 12345u) >> 16); };
    for (const unsigned Stride : {1u, 2u, 3u, 4u, 6u, 8u})
        for (std::uint8_t Type = 0; Type <= 5; ++Type)
            for (const std::size_t Length : {Stride, Stride * 5, Stride * 67}) {
                Bytes Prior(Length + png::RowSlack), Row(Length + png::RowSlack);
                for (auto& B : Prior) B = Random();
                for (auto& B : Row) B = Random();
                Bytes Expected = Row, Got = Row;
                png::UnfilterRowPortable(Type, Expected.data(), Prior.data(), Length, Stride);
                png::UnfilterRow(Type, Got.data(), Prior.data(), Length, Stride);
                EXPECT_EQ(Got, Expected) << "type " << int(Type) << " stride " << Stride << " length " << Length;
            }
}

TEST(PNGFilters, PortableFiltersByTheStandard)
{
    // Two grey pixels of stride 1 over a prior row 100 50.
    const Bytes Prior{100, 50};
    const struct {
        std::uint8_t Type;
        Bytes Expected;
    } Cases[] = {
        {0, {10, 20}},
        {1, {10, 30}},
        {2, {110, 70}},
        {3, {60, 75}},  // 10 + 100 / 2, 20 + (60 + 50) / 2
        {4, {110, 70}}, // b for the first; then p = 110 + 50 - 100 = 60, nearest to it b = 50
        {5, {10, 20}},
    };
    for (const auto& Case : Cases) {
        Bytes Row{10, 20};
        png::UnfilterRowPortable(Case.Type, Row.data(), Prior.data(), 2, 1);
        EXPECT_EQ(Row, Case.Expected) << int(Case.Type);
    }
}
