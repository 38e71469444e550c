// Two-dimensional fax pages, group 3 2-D and group 4, written by libtiff's
// tiffcp and fax2tiff, ImageMagick and Pillow
// (tests/data/tiff/make-fax2d-fixtures.sh), loaded the way the thumbnail
// pane loads a file and compared with libtiff's own reading; and a damaged
// strip among good ones.

#include "imaging/FileFormatList.h"
#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "imaging/TIFFDirectory.h"
#include "imaging/TIFFGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::filesystem::path Fixtures = VIDLARK_TIFF_DATA;

// libtiff's reading of a fixture, grey levels as opaque RGBA.
Bytes Reference(const std::string& Name)
{
    const test::TPnm Grey = test::ReadPnm(Fixtures / (Name + ".pgm"));
    Bytes Rgba;
    for (std::uint8_t Level : Grey.Data)
        Rgba.insert(Rgba.end(), {Level, Level, Level, 255});
    return Rgba;
}

std::unique_ptr<TGraphic> LoadPicture(const std::filesystem::path& Path)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    TPicture Picture(Loader);
    Picture.LoadFromFile(Path);
    UnregisterImageFormats(List);
    return Picture.TakeGraphic();
}

class TFax2DFixture : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(TFax2DFixture, MatchesLibtiffsOwnReading)
{
    const std::string Name = GetParam();
    const std::unique_ptr<TGraphic> Graphic = LoadPicture(Fixtures / (Name + ".tif"));
    ASSERT_NE(Graphic, nullptr);
    test::ExpectPixels(Graphic->ToRGBA(false), Reference(Name));
}

INSTANTIATE_TEST_SUITE_P(WrittenByOtherPrograms, TFax2DFixture,
                         ::testing::Values("fax2d-g3-2d", "fax2d-g3-2d-fill", "fax2d-g3-2d-fill-lsb", "fax2d-g4",
                                           "fax2d-g4-lsb", "fax2d-g4-magick", "fax2d-g4-magick-lsb", "fax2d-g4-pil",
                                           "fax2d-fax2tiff-lsb", "fax2d-fax2tiff-g4"),
                         [](const ::testing::TestParamInfo<const char*>& Info) { return test::TestName(Info.param); });

TEST(TIFFFax2D, ADamagedStripEndsItselfAndTheNextStartsAfresh)
{
    // fax2d-g4 has strips of 16 rows; the second begins with uncompressed
    // mode (0000001 111), which is not decoded.
    Bytes File = test::ReadFileBytes(Fixtures / "fax2d-g4.tif");
    TMemoryStream Stream(File);
    const std::optional<tiff::THeader> Header = tiff::ReadHeader(Stream);
    ASSERT_TRUE(Header);
    const std::optional<TTIFFDirectory> Directory = TTIFFDirectory::Read(Stream, 0, *Header, 0);
    ASSERT_TRUE(Directory);
    const std::vector<std::uint32_t> Offsets = Directory->Integers(tiff::tagStripOffsets, 3);
    ASSERT_EQ(Offsets.size(), 3u);
    File[Offsets[1]] = 0b0000'0011;
    File[Offsets[1] + 1] = 0b1100'0000;

    TTIFFGraphic Graphic;
    TMemoryStream Damaged(File);
    Graphic.LoadFromStream(Damaged);
    // Fax white is 0, which this page (black is zero) shows black.
    Bytes Expected = Reference("fax2d-g4");
    const std::size_t RowBytes = std::size_t{Graphic.GetWidth()} * 4;
    for (std::size_t i = 16 * RowBytes; i < 32 * RowBytes; ++i)
        Expected[i] = i % 4 == 3 ? 255 : 0;
    test::ExpectPixels(Graphic.ToRGBA(false), Expected);
}
