// LZW-compressed TIFF files written by libtiff's tiffcp, ImageMagick and
// Pillow (tests/data/tiff/make-lzw-fixtures.sh) against libtiff's own
// reading of them, and a file whose strip is cut short.

#include "imaging/Stream.h"
#include "imaging/TIFFGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::filesystem::path Fixtures = VIDLARK_TIFF_DATA;

TRGBAImage LoadRGBA(const Bytes& File)
{
    TMemoryStream Stream(File);
    TTIFFGraphic Graphic;
    Graphic.LoadFromStream(Stream);
    return Graphic.ToRGBA(false);
}

// The reference picture as opaque RGBA, rows From to To (exclusive) black.
Bytes ReferenceRGBA(const std::string& Name, std::uint32_t BlackFrom = 0, std::uint32_t BlackTo = 0)
{
    const test::TPnm Reference = test::ReadPnm(Fixtures / (Name + ".ppm"));
    Bytes Pixels;
    for (std::size_t i = 0; i < Reference.Data.size(); i += 3) {
        const std::size_t y = i / 3 / Reference.Width;
        const bool Black = y >= BlackFrom && y < BlackTo;
        for (std::size_t c = 0; c < 3; ++c)
            Pixels.push_back(Black ? 0 : Reference.Data[i + c]);
        Pixels.push_back(255);
    }
    return Pixels;
}

} // namespace

TEST(TIFFLZWFixtures, MatchLibtiffsOwnReading)
{
    for (const char* Name : {"rgb-lzw", "rgb-lzw-predictor", "rgb-lzw-predictor-separate", "rgb-lzw-predictor-lsb",
                             "rgb-lzw-predictor-magick", "rgb16-lzw-predictor", "rgb16-lzw-predictor-bigendian",
                             "grey-lzw-predictor", "grey-lzw-pil", "palette-lzw-predictor"}) {
        SCOPED_TRACE(Name);
        const Bytes File = test::ReadFileBytes(Fixtures / (std::string(Name) + ".tif"));
        test::ExpectPixels(LoadRGBA(File), ReferenceRGBA(Name));
    }
}

TEST(TIFFLZWStrips, AStripCutShortKeepsTheRowsItHolds)
{
    // Strips of 16 rows of 64 RGB pixels; the second strip's byte count is
    // halved (tiffcp wrote the three counts as SHORTs after the directory).
    // The predictor leaves rows of 0 black.
    Bytes File = test::ReadFileBytes(Fixtures / "rgb-lzw-predictor.tif");
    auto U16 = [&](std::size_t At) { return std::uint32_t(File[At] | File[At + 1] << 8); };
    const std::size_t Directory = U16(4) | U16(6) << 16;
    std::size_t Second = 0;
    for (std::size_t i = 0; i < U16(Directory); ++i)
        if (const std::size_t Entry = Directory + 2 + 12 * i; U16(Entry) == 279) {
            ASSERT_EQ(U16(Entry + 2), 3u);
            Second = (U16(Entry + 8) | U16(Entry + 10) << 16) + 2;
        }
    ASSERT_NE(Second, 2u);
    const std::uint32_t Half = U16(Second) / 2;
    File[Second] = static_cast<std::uint8_t>(Half);
    File[Second + 1] = static_cast<std::uint8_t>(Half >> 8);
    // Half the strip holds 8 1/2 of its rows: rows 16 to 23 as libtiff reads
    // them, 25 to 31 black (row 24 is neither), the third strip whole.
    const TRGBAImage Image = LoadRGBA(File);
    const Bytes Expected = ReferenceRGBA("rgb-lzw-predictor", 25, 32);
    const std::size_t RowBytes = 64 * 4;
    const auto Rows = [&](const Bytes& Pixels, std::size_t From, std::size_t To) {
        return Bytes(Pixels.begin() + static_cast<std::ptrdiff_t>(From * RowBytes),
                     Pixels.begin() + static_cast<std::ptrdiff_t>(To * RowBytes));
    };
    EXPECT_EQ(Rows(Image.Pixels, 0, 24), Rows(Expected, 0, 24));
    EXPECT_EQ(Rows(Image.Pixels, 25, 48), Rows(Expected, 25, 48));
}
