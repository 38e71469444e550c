// The platform's JPEG, icon and metafile pictures against files written by
// Pillow (JPEG within a small tolerance), and their refusals.

#include "imaging/Icon.h"
#include "imaging/JPEGImage.h"
#include "imaging/Metafile.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vidlark {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::ReadPnm;

// The largest difference of any sample from the reference (grey references
// are compared with all three colour samples).
int WorstDifference(const TRGBAImage& image, const test::TPnm& ref)
{
    EXPECT_EQ(image.Width, ref.Width);
    EXPECT_EQ(image.Height, ref.Height);
    if (image.Width != ref.Width || image.Height != ref.Height)
        return 255;
    int worst = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(ref.Width) * ref.Height; ++i)
        for (int c = 0; c < 3; ++c) {
            const int expected = ref.Data[i * ref.Samples + (ref.Samples == 3 ? c : 0)];
            worst = std::max(worst, std::abs(image.Pixels[4 * i + c] - expected));
        }
    return worst;
}

std::unique_ptr<TJPEGImage> LoadJpeg(const std::string& name)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromFile(Fixture(name));
    return jpeg;
}

TEST(JPEGImage, ColourGreyProgressiveAndCmykFilesMatchTheirReferences)
{
    const test::TPnm gradient = ReadPnm(Fixture("gradient.ppm"));
    for (const char* name : {"photo.jpg", "progressive.jpg", "subsampled.jpg", "cmyk.jpg"}) {
        const auto jpeg = LoadJpeg(name);
        EXPECT_EQ(jpeg->Bitmap().GetPixelFormat(), pf24bit) << name;
        EXPECT_LE(WorstDifference(jpeg->ToRGBA(true), gradient), 8) << name;
    }
    const auto gray = LoadJpeg("gray.jpg");
    EXPECT_EQ(gray->Bitmap().GetPixelFormat(), pf8bit);
    EXPECT_LE(WorstDifference(gray->ToRGBA(true), ReadPnm(Fixture("gradient-gray.pgm"))), 4);
}

TEST(JPEGImage, DctScalingGivesSmallPictures)
{
    TJPEGImage jpeg;
    jpeg.Scale = TJPEGScale::jsEighth;
    jpeg.LoadFromFile(Fixture("photo.jpg"));
    EXPECT_EQ(jpeg.GetWidth(), 6u);
    EXPECT_EQ(jpeg.GetHeight(), 4u);
    // The strongest reduction that still covers 20 x 10: a quarter (12 x 8)
    // does not, a half (24 x 16) does.
    jpeg.MinWidth = 20;
    jpeg.MinHeight = 10;
    jpeg.LoadFromFile(Fixture("photo.jpg"));
    EXPECT_EQ(jpeg.GetWidth(), 24u);
    EXPECT_EQ(jpeg.GetHeight(), 16u);
    const test::TPnm gradient = ReadPnm(Fixture("gradient.ppm"));
    // A scaled pixel is close to the reference pixel at its centre.
    const TRGBAImage image = jpeg.ToRGBA(true);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(image.Pixels[(5 * 24 + 7) * 4 + c], gradient.Data[(11 * 48 + 15) * 3 + c], 8);
}

void ExpectJpegRefused(const std::vector<std::uint8_t>& bytes, int maxScans = TJPEGImage::DefaultMaxScans)
{
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.MaxScans = maxScans;
    test::ResetLargestAllocation();
    EXPECT_THROW(jpeg.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_LT(test::LargestAllocation(), 4u << 20);
}

// The frame header (SOF) of a JPEG file: offset of its height field.
std::size_t FrameSizeOffset(const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t i = 2; i + 9 < bytes.size();) {
        const std::uint8_t marker = bytes[i + 1];
        const std::size_t length = (bytes[i + 2] << 8) | bytes[i + 3];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
            return i + 5;
        i += 2 + length;
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

TEST(JPEGImage, AbsurdSizesTruncationAndTooManyScansAreRefused)
{
    for (const char* name : {"photo.jpg", "progressive.jpg"}) {
        std::vector<std::uint8_t> bytes = ReadFileBytes(Fixture(name));
        const std::size_t at = FrameSizeOffset(bytes);
        // 65535 x 65535, and a size within the limits that the data cannot fill.
        for (std::uint16_t size : {0xFFFF, 5000}) {
            std::vector<std::uint8_t> big = bytes;
            big[at] = big[at + 2] = static_cast<std::uint8_t>(size >> 8);
            big[at + 1] = big[at + 3] = static_cast<std::uint8_t>(size);
            ExpectJpegRefused(big);
        }
        // Cut anywhere: refused, never shown half grey.
        for (std::size_t length = 0; length + 2 < bytes.size(); length += 7)
            ExpectJpegRefused(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length));
    }
    // Progressive data with more scans than allowed.
    ExpectJpegRefused(ReadFileBytes(Fixture("progressive.jpg")), 2);
    // Progressive data whose coefficient buffer exceeds the memory cap.
    TJPEGImage capped;
    capped.MaxMemory = 4096;
    EXPECT_THROW(capped.LoadFromFile(Fixture("progressive.jpg")), EInvalidGraphic);
    capped.MaxMemory = TJPEGImage::DefaultMaxMemory;
    capped.LoadFromFile(Fixture("progressive.jpg"));
    EXPECT_EQ(capped.GetWidth(), 48u);
    ExpectJpegRefused(ReadFileBytes(Fixture("bmp24.bmp")));
}

TEST(Icon, LargestEntryWithItsOwnAlpha)
{
    TIcon icon;
    icon.LoadFromFile(Fixture("rgba.ico"));
    EXPECT_EQ(icon.GetWidth(), 32u);
    const TRGBAImage image = icon.ToRGBA(false);
    EXPECT_EQ(WorstDifference(image, ReadPnm(Fixture("rgba-ref.ppm"))), 0);
    const test::TPnm alpha = ReadPnm(Fixture("rgba-ref.pgm"));
    for (std::size_t i = 0; i < alpha.Data.size(); ++i)
        ASSERT_EQ(image.Pixels[4 * i + 3], alpha.Data[i]) << i;
}

TEST(Icon, PaletteEntryTakesItsAlphaFromTheMask)
{
    TIcon icon;
    icon.LoadFromFile(Fixture("masked.ico"));
    const TRGBAImage image = icon.ToRGBA(true);
    EXPECT_EQ(WorstDifference(image, ReadPnm(Fixture("masked-ref.ppm"))), 0);
    const test::TPnm alpha = ReadPnm(Fixture("masked-ref.pgm"));
    for (std::size_t i = 0; i < alpha.Data.size(); ++i)
        ASSERT_EQ(image.Pixels[4 * i + 3], alpha.Data[i]) << i;
    // As a bitmap it is 32-bit with the alpha in the fourth byte.
    TBitmap bitmap;
    bitmap.Assign(icon);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.ScanLine(0)[3], 0);
    EXPECT_EQ(bitmap.ScanLine(0)[4 + 3], 255);
}

TEST(Icon, EntryStoredAsPng)
{
    TIcon icon;
    icon.LoadFromFile(Fixture("png-only.ico"));
    ASSERT_EQ(icon.GetWidth(), 8u);
    ASSERT_EQ(icon.GetHeight(), 8u);
    const TRGBAImage image = icon.ToRGBA(true);
    for (std::size_t i = 0; i < image.Pixels.size(); i += 4)
        ASSERT_EQ(std::vector<std::uint8_t>(image.Pixels.begin() + i, image.Pixels.begin() + i + 4),
                  (std::vector<std::uint8_t>{1, 2, 3, 255})) << i / 4;
}

TEST(Icon, TruncatedAndAbsurdIconsAreRefused)
{
    TIcon icon;
    const std::vector<std::uint8_t> full = ReadFileBytes(Fixture("masked.ico"));
    // Cut anywhere, even in the mask: the entry no longer fits the file.
    for (std::size_t length = 0; length < full.size(); length += 3) {
        TMemoryStream stream(full.data(), length);
        EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic) << length;
    }
    std::vector<std::uint8_t> huge = full;
    const std::int32_t side = 65535;
    std::memcpy(huge.data() + 22 + 4, &side, 4);
    std::memcpy(huge.data() + 22 + 8, &side, 4);
    TMemoryStream stream(huge);
    test::ResetLargestAllocation();
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_LT(test::LargestAllocation(), 1u << 20);
}

TEST(Metafile, LoadIsRefused)
{
    TMetafile metafile;
    TMemoryStream stream(std::vector<std::uint8_t>{0xD7, 0xCD, 0xC6, 0x9A, 0, 0});
    try {
        metafile.LoadFromStream(stream);
        ADD_FAILURE() << "load did not fail";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), gesMetafileUnsupported);
    }
    EXPECT_TRUE(metafile.Empty());
}

} // namespace
} // namespace vidlark
