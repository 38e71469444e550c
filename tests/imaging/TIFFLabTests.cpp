// CIE L*a*b* TIFF files of ImageMagick and Pillow
// (tests/data/tiff/make-lab-fixtures.sh) against libtiff's and Little CMS's
// readings of them.

#include "imaging/TIFFGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::filesystem::path Fixtures = VIDLARK_TIFF_DATA;

Bytes RgbOf(const Bytes& File)
{
    TTIFFGraphic Graphic;
    TMemoryStream Stream(File);
    Graphic.LoadFromStream(Stream);
    const TRGBAImage Image = Graphic.ToRGBA(false);
    Bytes Rgb;
    for (std::size_t i = 0; i < Image.Pixels.size(); i += 4)
        Rgb.insert(Rgb.end(), {Image.Pixels[i], Image.Pixels[i + 1], Image.Pixels[i + 2]});
    return Rgb;
}

Bytes RgbOf(const std::string& Name) { return RgbOf(test::ReadFileBytes(Fixtures / Name)); }

Bytes Reference(const std::string& Name) { return test::ReadPnm(Fixtures / Name).Data; }

double SrgbLevel(double Linear)
{
    const double V = std::clamp(Linear, 0.0, 1.0);
    return 255 * (V <= 0.0031308 ? 12.92 * V : 1.055 * std::pow(V, 1 / 2.4) - 0.055);
}

// libtiff shows Lab on a display of its own: the luminance Y (percent)
// clipped to 1..100 picks entry i = (Y - 1) / (99 / 1500) of a table of
// 255 (i / 1500)^(1 / 2.4), rounded. Undone, a level of its output is a
// range of linear light, here as the range of sRGB levels it covers.
std::pair<double, double> SrgbRangeOfLibtiffLevel(int Level)
{
    const double Step = 99.0 / 1500;
    const auto Entry = [](double V) { return 1500 * std::pow(std::max(V, 0.0) / 255, 2.4); };
    const double Low = Level == 0 ? 0 : 1 + std::ceil(Entry(Level - 0.5)) * Step;
    const double High = Level == 255 ? 100 : 1 + (std::floor(Entry(Level + 0.5)) + 1) * Step;
    return {SrgbLevel(Low / 100), SrgbLevel(High / 100)};
}

} // namespace

TEST(TIFFLab, ImageMagickFilesLieOnLibtiffsReading)
{
    // Files tagged with a D65 white, which libtiff converts with the sRGB
    // primaries and no adaptation, as this reader does; only its display
    // curve differs from sRGB (up to 27 levels near black, 5 in the middle
    // tones), so each level must lie within the range libtiff's level stands
    // for, give or take one for libtiff's four-digit matrix.
    // tiff2rgba cannot read Lab in separate planes: that file shows what
    // the chunky one shows.
    const char* Files[][2] = {{"lab-magick8.tiff", "lab-magick8.tiff2rgba.ppm"},
                              {"lab-magick8-separate.tiff", "lab-magick8.tiff2rgba.ppm"},
                              {"lab-magick16.tiff", "lab-magick16.tiff2rgba.ppm"}};
    for (const auto& [File, Ppm] : Files) {
        const Bytes Got = RgbOf(File);
        const Bytes Libtiff = Reference(Ppm);
        ASSERT_EQ(Got.size(), Libtiff.size()) << File;
        for (std::size_t i = 0; i < Got.size(); ++i) {
            const auto [Low, High] = SrgbRangeOfLibtiffLevel(Libtiff[i]);
            ASSERT_GE(Got[i], Low - 1) << File << " sample " << i << ", libtiff " << int(Libtiff[i]);
            ASSERT_LE(Got[i], High + 1) << File << " sample " << i << ", libtiff " << int(Libtiff[i]);
        }
    }
}

TEST(TIFFLab, PillowFileMatchesLittleCms)
{
    // D50 Lab, which libtiff shows without adapting it to the display's
    // white (its white is 255, 252, 222); Little CMS's exact pipeline is the
    // reference, one level for rounding apart.
    const Bytes Got = RgbOf("lab-pillow8.tiff");
    const Bytes Lcms = Reference("lab-pillow8.lcms.ppm");
    ASSERT_EQ(Got.size(), Lcms.size());
    for (std::size_t i = 0; i < Got.size(); ++i)
        ASSERT_NEAR(Got[i], Lcms[i], 1) << "sample " << i;
}

TEST(TIFFLab, WhitePointFieldChoosesTheWhite)
{
    const Bytes Tagged = test::ReadFileBytes(Fixtures / "lab-magick8.tiff");
    // The little-endian entry: tag 318, two RATIONALs at an offset.
    const Bytes Entry = {0x3E, 0x01, 5, 0, 2, 0, 0, 0};
    const auto At = std::search(Tagged.begin(), Tagged.end(), Entry.begin(), Entry.end()) - Tagged.begin();
    ASSERT_LT(std::size_t(At), Tagged.size());
    // Without the field (its tag made one nobody reads) the white is D50,
    // which makes the blues purple; a white point of 0/0 is no white and
    // gives D50 too.
    Bytes Untagged = Tagged;
    Untagged[At] = Untagged[At + 1] = 0xFF;
    Bytes ZeroWhite = Tagged;
    std::fill_n(ZeroWhite.begin() + (Tagged[At + 8] | Tagged[At + 9] << 8), 16, 0);

    const Bytes D65 = RgbOf(Tagged);
    const Bytes D50 = RgbOf(Untagged);
    EXPECT_EQ(RgbOf(ZeroWhite), D50);
    int Largest = 0;
    for (std::size_t i = 0; i < D65.size(); ++i)
        Largest = std::max(Largest, std::abs(int(D65[i]) - D50[i]));
    EXPECT_GT(Largest, 60);
}
