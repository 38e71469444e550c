// Windows BMP, DIB and RLE files against references written by Pillow and
// ImageMagick, pixel by pixel; damaged and absurd headers.

#include "imaging/Bitmap.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vidlark {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::ReadPnm;

std::unique_ptr<TBitmap> LoadBitmap(const std::string& name)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromFile(Fixture(name));
    return bitmap;
}

// Compares a picture with a PPM reference (and a PGM alpha reference when
// given) within a tolerance per sample.
void ExpectPixels(const TRGBAImage& image, const std::string& rgbRef, int tolerance = 0,
                  const std::string& alphaRef = "")
{
    const test::TPnm rgb = ReadPnm(Fixture(rgbRef));
    ASSERT_EQ(image.Width, rgb.Width);
    ASSERT_EQ(image.Height, rgb.Height);
    test::TPnm alpha;
    if (!alphaRef.empty())
        alpha = ReadPnm(Fixture(alphaRef));
    int worst = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(rgb.Width) * rgb.Height; ++i) {
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(image.Pixels[4 * i + c] - rgb.Data[3 * i + c]);
            worst = std::max(worst, d);
            ASSERT_LE(d, tolerance) << rgbRef << " pixel " << i << " sample " << c;
        }
        const int expectedAlpha = alphaRef.empty() ? 255 : alpha.Data[i];
        ASSERT_EQ(image.Pixels[4 * i + 3], expectedAlpha) << rgbRef << " alpha of pixel " << i;
    }
}

TEST(BitmapFile, TrueColourFilesMatchTheirReferences)
{
    const auto b24 = LoadBitmap("bmp24.bmp");
    EXPECT_EQ(b24->GetPixelFormat(), pf24bit);
    ExpectPixels(b24->ToRGBA(true), "pattern.ppm");
    ExpectPixels(LoadBitmap("topdown.bmp")->ToRGBA(true), "pattern.ppm");
    ExpectPixels(LoadBitmap("os2.bmp")->ToRGBA(true), "pattern.ppm");

    const auto b32 = LoadBitmap("bmp32.bmp");
    EXPECT_EQ(b32->GetPixelFormat(), pf32bit);
    ExpectPixels(b32->ToRGBA(true), "pattern.ppm", 0, "pattern-alpha.pgm");
    // Drawn opaque, as the window does.
    ExpectPixels(b32->ToRGBA(false), "pattern.ppm");
    ExpectPixels(LoadBitmap("v5alpha.bmp")->ToRGBA(true), "pattern.ppm", 0, "pattern-alpha.pgm");
}

TEST(BitmapFile, SixteenBitFilesKeepTheirLayout)
{
    const auto b565 = LoadBitmap("bmp565.bmp");
    EXPECT_EQ(b565->GetPixelFormat(), pf16bit);
    ExpectPixels(b565->ToRGBA(true), "bmp565.ppm", 1);
    const auto b555 = LoadBitmap("bmp555.bmp");
    EXPECT_EQ(b555->GetPixelFormat(), pf15bit);
    ExpectPixels(b555->ToRGBA(true), "bmp555.ppm", 1);
}

TEST(BitmapFile, PaletteFilesMatchTheirReferences)
{
    const auto b8 = LoadBitmap("bmp8.bmp");
    EXPECT_EQ(b8->GetPixelFormat(), pf8bit);
    ExpectPixels(b8->ToRGBA(true), "pattern16.ppm");
    const auto b4 = LoadBitmap("bmp4.bmp");
    EXPECT_EQ(b4->GetPixelFormat(), pf4bit);
    EXPECT_EQ(b4->PaletteCount(), 16u);
    ExpectPixels(b4->ToRGBA(true), "pattern16.ppm");

    const auto b1 = LoadBitmap("bmp1.bmp");
    EXPECT_EQ(b1->GetPixelFormat(), pf1bit);
    const test::TPnm mono = ReadPnm(Fixture("bmp1.pgm"));
    const TRGBAImage image = b1->ToRGBA(true);
    for (std::size_t i = 0; i < mono.Data.size(); ++i)
        ASSERT_EQ(image.Pixels[4 * i], mono.Data[i]) << i;
}

TEST(BitmapFile, RunLengthFilesMatchTheirReferences)
{
    const auto rle8 = LoadBitmap("rle8.bmp");
    EXPECT_EQ(rle8->GetPixelFormat(), pf8bit);
    ExpectPixels(rle8->ToRGBA(true), "pattern.ppm");
    // Encoded and absolute runs, a delta that leaves pixels at index 0.
    const auto rle4 = LoadBitmap("rle4.bmp");
    EXPECT_EQ(rle4->GetPixelFormat(), pf4bit);
    ExpectPixels(rle4->ToRGBA(true), "rle4.ppm");
}

TEST(BitmapFile, PackedDibWithoutFileHeaderLoads)
{
    std::vector<std::uint8_t> bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes.erase(bytes.begin(), bytes.begin() + 14);
    TMemoryStream stream(std::move(bytes));
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    ExpectPixels(bitmap.ToRGBA(true), "pattern.ppm");
}

TEST(BitmapFile, LoadStartsAtTheStreamPosition)
{
    std::vector<std::uint8_t> bytes(5, 0xEE);
    const std::vector<std::uint8_t> file = ReadFileBytes(Fixture("bmp8.bmp"));
    bytes.insert(bytes.end(), file.begin(), file.end());
    TMemoryStream stream(std::move(bytes));
    stream.SetPosition(5);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    ExpectPixels(bitmap.ToRGBA(true), "pattern16.ppm");
}

// The file with bytes 18..25 (width and height of the info header) replaced.
std::vector<std::uint8_t> WithSize(std::int32_t width, std::int32_t height, const std::string& name = "bmp24.bmp")
{
    std::vector<std::uint8_t> bytes = ReadFileBytes(Fixture(name));
    std::memcpy(bytes.data() + 18, &width, 4);
    std::memcpy(bytes.data() + 22, &height, 4);
    return bytes;
}

void ExpectRefusedSmall(std::vector<std::uint8_t> bytes)
{
    TMemoryStream stream(std::move(bytes));
    TBitmap bitmap;
    test::ResetLargestAllocation();
    try {
        bitmap.LoadFromStream(stream);
        ADD_FAILURE() << "load did not fail";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. Invalid or unexpected BMP image format.");
    }
    EXPECT_LT(test::LargestAllocation(), 1u << 20);
}

TEST(BitmapFile, AbsurdSizesAreRefusedBeforeAllocating)
{
    ExpectRefusedSmall(WithSize(65535, 65535));
    ExpectRefusedSmall(WithSize(65535, -65535));
    ExpectRefusedSmall(WithSize(0x7FFFFFFF, 0x7FFFFFFF));
    ExpectRefusedSmall(WithSize(100'000'001, 1));
    // Within the pixel limit but a bitmap over 512 MiB.
    ExpectRefusedSmall(WithSize(10'000, 10'000, "bmp32.bmp"));
    // Within both limits but far more pixels than the file holds.
    ExpectRefusedSmall(WithSize(4000, 4000));
    // The run-length file cannot hide a huge size either.
    ExpectRefusedSmall(WithSize(65535, 65535, "rle8.bmp"));
}

TEST(BitmapFile, MalformedHeadersAreRefused)
{
    ExpectRefusedSmall(WithSize(0, 7));
    ExpectRefusedSmall(WithSize(-13, 7));
    ExpectRefusedSmall(WithSize(13, 0));
    std::vector<std::uint8_t> bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes[28] = 7; // bits per pixel
    ExpectRefusedSmall(bytes);
    bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes[14] = 99; // header size
    ExpectRefusedSmall(bytes);
    bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes[30] = 1; // RLE8 with 24 bits
    ExpectRefusedSmall(bytes);
    bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes[30] = 4; // embedded JPEG
    ExpectRefusedSmall(bytes);
    bytes = ReadFileBytes(Fixture("bmp24.bmp"));
    bytes[10] = 0xF0; // pixel data beyond the end
    bytes[11] = 0xFF;
    ExpectRefusedSmall(bytes);
    // A top-down run-length file does not exist.
    ExpectRefusedSmall(WithSize(13, -7, "rle8.bmp"));
    // Bit-field masks that are not one run of bits.
    bytes = ReadFileBytes(Fixture("bmp565.bmp"));
    bytes[54] = 0x05;
    ExpectRefusedSmall(bytes);
}

TEST(BitmapFile, TruncatedFilesAreRefusedAtEveryLength)
{
    for (const char* name : {"bmp24.bmp", "bmp8.bmp", "bmp4.bmp", "rle8.bmp", "rle4.bmp", "v5alpha.bmp", "os2.bmp"}) {
        const std::vector<std::uint8_t> full = ReadFileBytes(Fixture(name));
        // Run-length data that end early give the rows decoded so far.
        const bool encoded = full[30] == 1 || full[30] == 2;
        const std::size_t dataOffset = full[10] | (full[11] << 8);
        // Uncompressed files may lack the padding of their last row.
        for (std::size_t length = 0; length + 4 < full.size(); ++length) {
            TMemoryStream stream(full.data(), length);
            TBitmap bitmap;
            if (encoded && length >= dataOffset)
                EXPECT_NO_THROW(bitmap.LoadFromStream(stream)) << name << " cut at " << length;
            else
                EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic) << name << " cut at " << length;
        }
    }
}

TEST(BitmapFile, RunsThatLeaveTheBitmapAreDropped)
{
    // A 4 x 2 RLE8 file: a run of 200 pixels, a delta far outside, the end.
    std::vector<std::uint8_t> bytes = ReadFileBytes(Fixture("rle8.bmp"));
    const std::uint32_t offset = bytes[10] | (bytes[11] << 8);
    bytes.resize(offset);
    for (std::uint8_t b : {200, 3, 0, 2, 255, 255, 0, 1})
        bytes.push_back(b);
    std::int32_t width = 4, height = 2;
    std::memcpy(bytes.data() + 18, &width, 4);
    std::memcpy(bytes.data() + 22, &height, 4);
    TMemoryStream stream(std::move(bytes));
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    const std::uint8_t* bottom = bitmap.ScanLine(1);
    const std::uint8_t* top = bitmap.ScanLine(0);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(bottom[x], 3);
        EXPECT_EQ(top[x], 0);
    }
}

TEST(BitmapFile, MissingFileRaisesTheOpenError)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(Fixture("no-such-file.bmp"));
        ADD_FAILURE() << "load did not fail";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("は開けません"), std::string::npos);
    }
}

} // namespace
} // namespace vidlark
