// The Photo-CD reader: the chroma upsampler, content test and header, the
// PhotoYCC conversion, the four rotation codes, files written by
// ImageMagick compared with its own decoding, and what it refuses.

#include "imaging/ChromaUpsampler.h"
#include "imaging/FileFormatList.h"
#include "imaging/ImageFormats.h"
#include "imaging/PCDGraphic.h"
#include "imaging/Picture.h"
#include "tests/imaging/ByteBuiltFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace vidlark;
using namespace vidlark::test;

namespace {

const std::filesystem::path Fixtures = VIDLARK_PCD_DATA;
constexpr std::uint32_t W = 768;
constexpr std::uint32_t H = 512;
constexpr std::size_t BaseOffset = 196608;
constexpr std::size_t RotationOffset = 0xE02;

Bytes Gunzip(const std::filesystem::path& Path)
{
    const std::unique_ptr<gzFile_s, int (*)(gzFile)> File(gzopen(Path.c_str(), "rb"), gzclose);
    if (!File)
        throw std::runtime_error("cannot open " + Path.string());
    Bytes Data;
    std::uint8_t Block[65536];
    for (int Got; (Got = gzread(File.get(), Block, sizeof Block)) > 0;)
        Data.insert(Data.end(), Block, Block + Got);
    return Data;
}

// A binary PPM held in memory, through the suites' own PPM reader.
TPnm GunzipPnm(const std::filesystem::path& Path)
{
    const Bytes Data = Gunzip(Path);
    const std::filesystem::path Plain = std::filesystem::temp_directory_path() /
                                        ("vidlark-pcd-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         Path.stem().string());
    {
        std::ofstream(Plain, std::ios::binary).write(reinterpret_cast<const char*>(Data.data()), Data.size());
    }
    TPnm Pnm = ReadPnm(Plain);
    std::filesystem::remove(Plain);
    return Pnm;
}

// An image pac whose Base planes are filled by the given functions of the
// position (chroma positions are those of the half-size planes).
template <typename TLuma, typename TChroma1, typename TChroma2>
Bytes ImagePac(TLuma Luma, TChroma1 C1, TChroma2 C2, std::uint8_t Rotation = 0)
{
    Bytes File(BaseOffset, 0);
    std::copy_n("PCD_IPI", 7, File.begin() + 2048);
    File[RotationOffset] = Rotation;
    for (std::uint32_t k = 0; k < H / 2; ++k) {
        for (std::uint32_t y : {2 * k, 2 * k + 1})
            for (std::uint32_t x = 0; x < W; ++x)
                File.push_back(Luma(x, y));
        for (std::uint32_t x = 0; x < W / 2; ++x)
            File.push_back(C1(x, k));
        for (std::uint32_t x = 0; x < W / 2; ++x)
            File.push_back(C2(x, k));
    }
    return File;
}

Bytes Constant(std::uint8_t Y, std::uint8_t C1, std::uint8_t C2)
{
    return ImagePac([=](auto, auto) { return Y; }, [=](auto, auto) { return C1; }, [=](auto, auto) { return C2; });
}

std::unique_ptr<TPCDGraphic> Loaded(const Bytes& Data)
{
    auto Graphic = std::make_unique<TPCDGraphic>();
    TMemoryStream Stream(Data);
    Graphic->LoadFromStream(Stream);
    return Graphic;
}

// ImageMagick's luma and chroma planes (doubled and turned as it does)
// made blue, green, red by the colour manager as the reader sets it up, so
// the reader's planes, doubling and turning are compared alone.
Bytes ConvertedReference(const TPnm& Ycc)
{
    TColorManager Manager;
    Manager.SetInLayout(schPhotoYCC);
    Manager.SetOutLayout(schBGR);
    Manager.SetChromaParameters({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    Bytes Bgr(Ycc.Data.size());
    Manager.TransformRow(Ycc.Data.data(), Bgr.data(), Ycc.Width * Ycc.Height);
    return Bgr;
}

Bytes Pixels(const TBitmap& Bitmap)
{
    Bytes All;
    for (std::uint32_t y = 0; y < Bitmap.GetHeight(); ++y) {
        const Bytes Row = test::Row(Bitmap, y);
        All.insert(All.end(), Row.begin(), Row.end());
    }
    return All;
}

Bytes Turned(Bytes Pac, std::uint8_t Rotation)
{
    Pac[RotationOffset] = static_cast<std::uint8_t>(0xFC | Rotation);
    return Pac;
}

} // namespace

TEST(ChromaUpsampler, TwoByTwoBlock)
{
    // Stored in the top-left corner of a 4 x 4 plane with rows of 6 bytes;
    // the two bytes past each row's fourth are left alone.
    Bytes Plane(4 * 6, 0xEE);
    Plane[0] = 10;
    Plane[1] = 20;
    Plane[6] = 30;
    Plane[7] = 40;
    UpsampleChroma(Plane.data(), 2, 2, 6);
    EXPECT_EQ(Plane, (Bytes{10, 15, 20, 20, 0xEE, 0xEE, 20, 25, 30, 30, 0xEE, 0xEE,
                            30, 35, 40, 40, 0xEE, 0xEE, 30, 35, 40, 40, 0xEE, 0xEE}));
}

TEST(ChromaUpsampler, SingleSampleAndSingleRow)
{
    Bytes One{7, 0, 0, 0};
    UpsampleChroma(One.data(), 1, 1, 2);
    EXPECT_EQ(One, (Bytes{7, 7, 7, 7}));
    Bytes Row{1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    UpsampleChroma(Row.data(), 3, 1, 8);
    EXPECT_EQ(Row, (Bytes{1, 3, 4, 2, 0, 0, 0, 0, 1, 3, 4, 2, 0, 0, 0, 0}));
}

TEST(PCDContentTest, ImagePacsOnly)
{
    Bytes Pac(6145, 0);
    std::copy_n("PCD_IPI", 7, Pac.begin() + 2048);
    Bytes Overview = Pac;
    std::copy_n("PCD_OPA", 7, Overview.begin());
    Bytes Lower = Pac;
    Lower[2049] = 'c';
    const struct {
        const char* Case;
        Bytes Data;
        bool Accepted;
    } Cases[] = {
        {"image pac", Pac, true},
        {"6144 bytes", Bytes(Pac.begin(), Pac.end() - 1), false},
        {"overview file", Overview, false},
        {"letter case differs", Lower, false},
        {"neither", Bytes(7000, 0), false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        TMemoryStream Stream(C.Data);
        EXPECT_EQ(TPCDGraphic::CanReadStream(Stream), C.Accepted);
        EXPECT_EQ(Stream.GetPosition(), 0);
    }
}

TEST(PCDProperties, ResolutionRotationAndOverviewCount)
{
    Bytes Pac(6144, 0);
    std::copy_n("PCD_IPI", 7, Pac.begin() + 2048);
    Pac[10] = 1;
    Pac[11] = 2;
    const struct {
        std::uint8_t Rotation;
        std::uint32_t Index, Width, Height;
        TPixelCompression Compression;
    } Cases[] = {
        {0, 2, 768, 512, cmpNone},   {0xF1, 2, 512, 768, cmpNone}, {2, 0, 192, 128, cmpNone},
        {3, 3, 1024, 1536, cmpPCDHuffman}, {0, 9, 6144, 4096, cmpPCDHuffman},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Index);
        TPCDGraphic Graphic;
        Pac[RotationOffset] = C.Rotation;
        TMemoryStream Stream(Pac);
        ASSERT_TRUE(Graphic.ReadProperties(Stream, C.Index));
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Rotation, C.Rotation & 3);
        EXPECT_EQ(P.Width, C.Width);
        EXPECT_EQ(P.Height, C.Height);
        EXPECT_EQ(P.Compression, C.Compression);
        EXPECT_EQ(P.Layout, schPhotoYCC);
        EXPECT_EQ(P.BitsPerPixel, 24);
        EXPECT_EQ(P.OverviewImageCount, 258);
    }
}

TEST(PCDLoad, PhotoYccBecomesBlueGreenRed)
{
    // Luma weights 0.2125, 0.7154, 0.0721; chroma 1 is centred on 156,
    // chroma 2 on 137. Y 100 with C1 200 (+44) and C2 180 (+43): blue
    // 100 + 82, red 100 + 68, green 100 - 8 - 20. Extremes clamp: green
    // 250 - 19 - 55 with both chroma at 255, 5 + 29 + 64 with both at 0.
    const struct {
        std::uint8_t Y, C1, C2;
        Bytes Bgr;
    } Cases[] = {
        {100, 156, 137, {100, 100, 100}},
        {100, 200, 180, {182, 72, 168}},
        {250, 255, 255, {255, 176, 255}},
        {5, 0, 0, {0, 98, 0}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(int(C.C1));
        const auto Graphic = Loaded(Constant(C.Y, C.C1, C.C2));
        ASSERT_EQ(Graphic->GetPixelFormat(), pf24bit);
        EXPECT_EQ(Bytes(Graphic->ScanLine(0), Graphic->ScanLine(0) + 3), C.Bgr);
        EXPECT_EQ(Bytes(Graphic->ScanLine(511) + 3 * 767, Graphic->ScanLine(511) + 3 * 768), C.Bgr);
    }
}

TEST(PCDLoad, RotationCodesTurnThePictureUpright)
{
    // Luma tells each stored pixel's corner: top-left 10, top-right 20,
    // bottom-left 30, bottom-right 40; grey chroma.
    const auto Corner = [](std::uint32_t x, std::uint32_t y) {
        return static_cast<std::uint8_t>((y < H / 2 ? 10 : 30) + (x < W / 2 ? 0 : 10));
    };
    const Bytes Pac = ImagePac(Corner, [](auto, auto) { return 156; }, [](auto, auto) { return 137; });
    const auto Grey = [](const TBitmap& B, std::uint32_t x, std::uint32_t y) { return B.ScanLine(y)[3 * x]; };
    const struct {
        std::uint8_t Rotation;
        std::uint32_t Width;
        // Corners of the bitmap: top-left, top-right, bottom-left, bottom-right.
        std::uint8_t TopLeft, TopRight, BottomLeft, BottomRight;
    } Cases[] = {
        {0, 768, 10, 20, 30, 40},
        // The stored left column becomes the bottom row.
        {1, 512, 20, 40, 10, 30},
        {2, 768, 40, 30, 20, 10},
        // The stored left column becomes the top row, read from right to left.
        {3, 512, 30, 10, 40, 20},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(int(C.Rotation));
        const auto Graphic = Loaded(Turned(Pac, C.Rotation));
        ASSERT_EQ(Graphic->GetWidth(), C.Width);
        ASSERT_EQ(Graphic->GetHeight(), C.Width == 768 ? 512u : 768u);
        const std::uint32_t R = Graphic->GetWidth() - 1, B = Graphic->GetHeight() - 1;
        EXPECT_EQ(Grey(*Graphic, 0, 0), C.TopLeft);
        EXPECT_EQ(Grey(*Graphic, R, 0), C.TopRight);
        EXPECT_EQ(Grey(*Graphic, 0, B), C.BottomLeft);
        EXPECT_EQ(Grey(*Graphic, R, B), C.BottomRight);
    }
}

TEST(PCDLoad, ImageMagickFilesMatchItsOwnPlanes)
{
    // ImageMagick doubles the chroma as this reader does and turns codes 1
    // and 3 the same way, so its planes, converted as the reader converts,
    // must match exactly. Code 2, which it leaves as stored, is compared
    // with its unturned picture read backwards.
    const Bytes Pac = Gunzip(Fixtures / "base.pcd.gz");
    for (std::uint8_t Rotation : {0, 1, 3}) {
        SCOPED_TRACE(int(Rotation));
        const TPnm Ycc = GunzipPnm(Fixtures / ("base-ycc-r" + std::to_string(Rotation) + ".ppm.gz"));
        const auto Graphic = Loaded(Turned(Pac, Rotation));
        ASSERT_EQ(Graphic->GetWidth(), Ycc.Width);
        ASSERT_EQ(Graphic->GetHeight(), Ycc.Height);
        EXPECT_TRUE(Pixels(*Graphic) == ConvertedReference(Ycc));
    }
    Bytes Reversed = ConvertedReference(GunzipPnm(Fixtures / "base-ycc-r0.ppm.gz"));
    for (std::size_t i = 0, j = Reversed.size() - 3; i < j; i += 3, j -= 3)
        std::swap_ranges(Reversed.begin() + i, Reversed.begin() + i + 3, Reversed.begin() + j);
    EXPECT_TRUE(Pixels(*Loaded(Turned(Pac, 2))) == Reversed);
}

TEST(PCDLoad, ImageMagickFilesCloseToItsColours)
{
    // ImageMagick's own conversion scales luma by 1.3584 and then maps it
    // through its Photo-CD table, which this conversion does not: on this
    // picture the two differ by at most 29 levels per sample. A fault of
    // the planes (chroma swapped, rows shifted) is far beyond that.
    const TPnm Srgb = GunzipPnm(Fixtures / "base-srgb.ppm.gz");
    const Bytes Ours = Pixels(*Loaded(Gunzip(Fixtures / "base.pcd.gz")));
    ASSERT_EQ(Ours.size(), Srgb.Data.size());
    int Largest = 0;
    for (std::size_t i = 0; i < Ours.size(); i += 3)
        for (int c = 0; c < 3; ++c)
            Largest = std::max(Largest, std::abs(int(Ours[i + 2 - c]) - int(Srgb.Data[i + c])));
    EXPECT_LE(Largest, 32);
}

TEST(PCDLoad, RefusesWhatIsNotABasePicture)
{
    Bytes Overview(800000, 0);
    std::copy_n("PCD_OPA", 7, Overview.begin());
    std::copy_n("PCD_IPI", 7, Overview.begin() + 2048);
    Bytes HeaderOnly(6145, 0);
    std::copy_n("PCD_IPI", 7, HeaderOnly.begin() + 2048);
    Bytes Cut = Constant(1, 2, 3);
    Cut.resize(Cut.size() - 1);
    const struct {
        const char* Case;
        Bytes Data;
    } Cases[] = {
        {"neither an image pac nor an overview file", Bytes(800000, 0)},
        {"overview file", Overview},
        {"shorter than the header", Bytes(HeaderOnly.begin(), HeaderOnly.begin() + 4000)},
        {"header only", HeaderOnly},
        {"Base picture cut short", Cut},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        ExpectRefused<TPCDGraphic>(C.Data, "PCD");
    }
}

TEST(PCDRegistration, RecognisedByContent)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    EXPECT_EQ(Loader.ClassForExtension("pcd"), &TPCDGraphic::ClassInfo);
    TMemoryStream Stream(Constant(1, 2, 3));
    EXPECT_EQ(List.ClassForContent(Stream), &TPCDGraphic::ClassInfo);
    UnregisterImageFormats(List);
}
