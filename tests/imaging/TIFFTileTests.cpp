// Tiled TIFF files and extra samples: files written by tiffcp, ImageMagick
// and Pillow against libtiff's own reading (tests/data/tiff/make-tiles-fixtures.sh),
// files built here for edge tiles, damaged tile tables and extra samples, and
// the refusals, which come before anything sized by the file is allocated.

#include "imaging/TIFFGraphic.h"
#include "tests/imaging/ByteBuiltFiles.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/LoadAttempt.h"
#include "tests/imaging/TiffBuilder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using namespace vidlark;
using vidlark::test::Bytes;
using vidlark::test::TTiffBuilder;

namespace {

const std::filesystem::path Fixtures = VIDLARK_TIFF_DATA;

// The picture as RGBA bytes, alpha as the bitmap keeps it (255 without).
Bytes RgbaOf(const Bytes& File)
{
    const auto Attempt = test::LoadBytes<TTIFFGraphic>(File);
    EXPECT_EQ(Attempt.Error, "");
    return Attempt.Picture->ToRGBA(true).Pixels;
}

Bytes Grey(std::initializer_list<std::uint8_t> Levels)
{
    Bytes Rgba;
    for (std::uint8_t Level : Levels)
        Rgba.insert(Rgba.end(), {Level, Level, Level, 255});
    return Rgba;
}

// An 8-bit grey picture in tiles of TileWidth x TileLength.
TTiffBuilder GreyTiles(std::uint32_t Width, std::uint32_t Height, std::uint32_t TileWidth, std::uint32_t TileLength,
                       std::vector<Bytes> Tiles)
{
    TTiffBuilder B;
    B.Set(256, 4, {Width}).Set(257, 4, {Height}).Set(258, 3, {8}).Set(259, 3, {1}).Set(262, 3, {1});
    B.Set(322, 4, {TileWidth}).Set(323, 4, {TileLength}).Tiles(std::move(Tiles));
    return B;
}

// A row of Width pixels of Count 8-bit samples, Extra giving the kinds of
// the samples after the colour, in one strip of chunky pixels.
TTiffBuilder Samples(std::uint32_t Width, std::uint32_t Count, unsigned Photometric, std::vector<std::uint32_t> Extra,
                     Bytes Strip = {})
{
    TTiffBuilder B;
    B.Set(256, 4, {Width}).Set(257, 4, {1}).Set(258, 3, std::vector<std::uint32_t>(Count, 8)).Set(259, 3, {1});
    B.Set(262, 3, {Photometric}).Set(277, 3, {Count}).Set(338, 3, std::move(Extra)).Strips({std::move(Strip)});
    return B;
}

// Value Index of the LONG array of Tag in a little-endian file that holds
// it after its directory.
void PatchLong(Bytes& File, std::uint16_t Tag, std::size_t Index, std::uint32_t Value)
{
    auto U32 = [&](std::size_t At) {
        return std::uint32_t(File[At] | File[At + 1] << 8 | File[At + 2] << 16 | File[At + 3] << 24);
    };
    const std::size_t Directory = U32(4);
    for (std::size_t Entry = Directory + 2; Entry < Directory + 2 + 12 * File[Directory]; Entry += 12)
        if ((File[Entry] | File[Entry + 1] << 8) == Tag)
            for (int i = 0; i < 4; ++i)
                File[U32(Entry + 8) + 4 * Index + i] = static_cast<std::uint8_t>(Value >> (8 * i));
}

} // namespace

TEST(TIFFTileFixtures, MatchLibtiffsOwnReading)
{
    struct TCase {
        const char* Name;
        int Tolerance;
    };
    // JPEG: the colour conversion differs in the last bit or two; CMYK:
    // libtiff rounds the product of the inks its own way.
    const TCase Cases[] = {
        {"tiled-rgb-plain", 0},
        {"tiled-rgb-packbits", 0},
        {"tiled-rgb-deflate-predictor", 0},
        {"tiled-rgb-jpeg-ycbcr", 3},
        {"tiled-rgb-separate", 0},
        {"tiled-rgb-deflate-predictor-separate", 0},
        {"tiled-grey-jpeg", 1},
        {"tiled-bilevel-g3", 0},
        {"tiled-bilevel-packbits", 0},
        {"tiled-rgb-deflate-magick", 0},
        {"tiled-rgb16-deflate-predictor-bigendian", 0},
        {"tiled-grey4-magick", 0},
        {"rgba-unassociated", 0},
        {"tiled-rgba-unassociated", 0},
        {"rgba-associated", 0},
        {"tiled-rgba-associated", 0},
        {"tiled-rgba-associated-separate", 0},
        {"cmyka", 1},
        {"tiled-cmyka-deflate-predictor", 1},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const Bytes File = test::ReadFileBytes(Fixtures / (std::string(C.Name) + ".tif"));
        TMemoryStream Stream(File);
        ASSERT_TRUE(TTIFFGraphic::CanReadStream(Stream));
        const Bytes Got = RgbaOf(File);
        const test::TPnm Colour = test::ReadPnm(Fixtures / (std::string(C.Name) + ".ppm"));
        const auto AlphaFile = Fixtures / (std::string(C.Name) + ".alpha.pgm");
        const test::TPnm Alpha = std::filesystem::exists(AlphaFile) ? test::ReadPnm(AlphaFile) : test::TPnm{};
        ASSERT_EQ(Got.size(), std::size_t{Colour.Width} * Colour.Height * 4);
        for (std::size_t Pixel = 0; Pixel < Got.size() / 4; ++Pixel) {
            const std::uint8_t Reference = Alpha.Data.empty() ? 255 : Alpha.Data[Pixel];
            ASSERT_EQ(Got[4 * Pixel + 3], Reference) << "alpha of pixel " << Pixel;
            // libtiff's colour is premultiplied: only opaque pixels compare.
            for (int c = 0; c < 3 && Reference == 255; ++c)
                ASSERT_NEAR(Got[4 * Pixel + c], Colour.Data[3 * Pixel + c], C.Tolerance) << "pixel " << Pixel;
        }
    }
}

TEST(TIFFTiles, EachTileDecodesAtItsOwnSizeAndIsClippedToThePicture)
{
    struct TCase {
        const char* Name;
        Bytes File;
        Bytes Expected;
    };
    // 3 x 3 in tiles of 2 x 2: the right and bottom tiles hold full tile
    // data, of which 99 lies outside the picture.
    const Bytes Edges = GreyTiles(3, 3, 2, 2, {{1, 2, 11, 12}, {3, 99, 13, 99}, {21, 22, 99, 99}, {23, 99, 99, 99}}).Build();
    // The predictor restarts at each tile's left edge (Packbits literals).
    TTiffBuilder Predicted = GreyTiles(4, 1, 2, 1, {{1, 10, 5}, {1, 20, 1}});
    Predicted.Set(259, 3, {32773}).Set(317, 3, {2});
    // YCbCr data units (2 x 2 luma, Cb, Cr) per tile of 2 x 2.
    TTiffBuilder Units;
    Units.Set(256, 4, {4}).Set(257, 4, {2}).Set(258, 3, {8, 8, 8}).Set(259, 3, {1}).Set(262, 3, {6}).Set(277, 3, {3});
    Units.Set(530, 3, {2, 2}).Set(322, 4, {2}).Set(323, 4, {2});
    Units.Tiles({{10, 20, 30, 40, 128, 128}, {50, 60, 70, 80, 128, 128}});
    // ThunderScan rows of the tile's width: 15, 0 | 0, 15 then 15 | 0.
    TTiffBuilder Thunder;
    Thunder.Set(256, 4, {3}).Set(257, 4, {2}).Set(258, 3, {4}).Set(259, 3, {32809}).Set(262, 3, {1});
    Thunder.Set(322, 4, {2}).Set(323, 4, {2}).Tiles({{0xCF, 0xC0, 0xC0, 0xCF}, {0xCF, 0xC0}});
    const TCase Cases[] = {
        {"edge tiles", Edges, Grey({1, 2, 3, 11, 12, 13, 21, 22, 23})},
        {"predictor", Predicted.Build(), Grey({10, 15, 20, 21})},
        {"data units", Units.Build(), Grey({10, 20, 50, 60, 30, 40, 70, 80})},
        {"ThunderScan", Thunder.Build(), Grey({255, 0, 255, 0, 255, 0})},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(RgbaOf(C.File), C.Expected) << C.Name;
}

TEST(TIFFTiles, TilesTheFileDoesNotHoldLeaveZeros)
{
    // Four tiles of 2 x 1; the second lies past the end of the file, the
    // third and fourth have no offsets at all.
    TTiffBuilder B = GreyTiles(4, 2, 2, 1, {{1, 2}, {3, 4}});
    Bytes File = B.Build();
    PatchLong(File, 324, 1, 0xFFFFFF00);
    EXPECT_EQ(RgbaOf(File), Grey({1, 2, 0, 0, 0, 0, 0, 0}));

    // Deflate tiles of 4 x 1, the second cut two bytes into its stored
    // block: what it lacks is 0, not what the tile before it left.
    auto Stored = [](Bytes Data, std::size_t Keep) {
        Bytes Packed(compressBound(Data.size()));
        uLongf Size = Packed.size();
        compress2(Packed.data(), &Size, Data.data(), Data.size(), 0);
        Packed.resize(std::min<std::size_t>(Keep, Size));
        return Packed;
    };
    TTiffBuilder Cut = GreyTiles(8, 1, 4, 1, {Stored({1, 2, 3, 4}, 100), Stored({5, 6, 7, 8}, 2 + 5 + 2)});
    Cut.Set(259, 3, {8});
    EXPECT_EQ(RgbaOf(Cut.Build()), Grey({1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST(TIFFTiles, RefusedBeforeAllocating)
{
    struct TCase {
        const char* Name;
        Bytes File;
        bool HeaderRefused; // by the content test and ReadProperties already
    };
    TTiffBuilder HugeCount = GreyTiles(16, 16, 16, 16, {});
    HugeCount.Raw(324, 4, 0xFFFFFFFF, {0, 0, 0, 0}).Raw(325, 4, 0xFFFFFFFF, {0, 0, 0, 0});
    const TCase Cases[] = {
        {"2^32 - 1 tile offsets", HugeCount.Build(), false},
        {"2^32 - 1 tiles across", GreyTiles(0xFFFFFFFF, 1, 1, 1, {{7}}).Build(), true},
        {"a tile over the caps", GreyTiles(16000, 16000, 16000, 16000, {{7}}).Build(), true},
        {"a tile far larger than the picture", GreyTiles(1, 1, 1040, 16, {{7}}).Build(), true},
        {"tiles of 1024 rows over a long row", GreyTiles(1000000, 1, 16, 1024, {{7}}).Build(), true},
        {"1-bit tiles that start inside a byte", GreyTiles(6, 1, 3, 1, {{7}, {7}}).Set(258, 3, {1}).Build(), true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        test::ExpectRefused<TTIFFGraphic>(C.File, "TIF/TIFF");
        TMemoryStream Stream(C.File);
        EXPECT_EQ(TTIFFGraphic::CanReadStream(Stream), !C.HeaderRefused);
        TTIFFGraphic Graphic;
        EXPECT_EQ(Graphic.ReadProperties(Stream, 0), !C.HeaderRefused);
    }
}

TEST(TIFFExtraSamples, AlphaIsKeptOrDividedOutAndFurtherSamplesSkipped)
{
    struct TCase {
        const char* Name;
        Bytes File;
        Bytes Expected;
    };
    // Separate planes: red, green, blue, alpha and one unspecified sample.
    TTiffBuilder Planes = Samples(2, 5, 2, {2, 0});
    Planes.Set(284, 3, {2}).Strips({{10, 40}, {20, 50}, {30, 60}, {128, 255}, {99, 99}});
    const TCase Cases[] = {
        {"RGB, unassociated alpha and one more", Samples(2, 5, 2, {2, 0}, {10, 20, 30, 128, 99, 40, 50, 60, 255, 99}).Build(),
         {10, 20, 30, 128, 40, 50, 60, 255}},
        {"the same in separate planes", Planes.Build(), {10, 20, 30, 128, 40, 50, 60, 255}},
        // 64 and 32 over 128 are 128 and 64; alpha 0 leaves no colour.
        {"RGB, associated alpha", Samples(2, 4, 2, {1}, {64, 32, 0, 128, 9, 9, 9, 0}).Build(), {128, 64, 0, 128, 0, 0, 0, 0}},
        // The alpha of CMYK is dropped: no ink is white.
        {"CMYK and alpha", Samples(1, 5, 5, {2}, {0, 0, 0, 0, 77}).Build(), {255, 255, 255, 255}},
        {"grey and two more", Samples(1, 3, 1, {2, 0}, {100, 7, 9}).Build(), Grey({100})},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(RgbaOf(C.File), C.Expected) << C.Name;
}
