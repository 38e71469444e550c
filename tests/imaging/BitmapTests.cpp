// The bitmap picture in memory: formats, rows, palette, transparency,
// release, assignment, conversion to RGBA and the PNG writer.

#include "imaging/Bitmap.h"
#include "imaging/Icon.h"
#include "imaging/JPEGImage.h"
#include "imaging/PngWriter.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace vidlark {
namespace {

TEST(Bitmap, RowsArePaddedToWholeWordsForEveryFormat)
{
    struct Case {
        TPixelFormat Format;
        std::size_t RowBytes; // for a width of 5
    };
    for (const Case& c : {Case{pf1bit, 4}, Case{pf4bit, 4}, Case{pf8bit, 8}, Case{pf15bit, 12}, Case{pf16bit, 12},
                          Case{pf24bit, 16}, Case{pf32bit, 20}}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(c.Format);
        bitmap.SetSize(5, 3);
        EXPECT_EQ(bitmap.RowBytes(), c.RowBytes) << int(c.Format);
        // Rows are counted from the top and lie one after the other.
        EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), static_cast<std::ptrdiff_t>(c.RowBytes));
        EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphic);
    }
    TBitmap custom;
    custom.SetPixelFormat(pfCustom);
    custom.SetCustomBitsPerPixel(48);
    custom.SetSize(5, 1);
    EXPECT_EQ(custom.RowBytes(), 32u);
    EXPECT_THROW(custom.ToRGBA(true), EInvalidGraphic);
}

TEST(Bitmap, EveryFormatConvertsToRgba)
{
    TBitmap b;
    TPalette palette(2);
    palette[1] = TPaletteEntry{10, 20, 30, 0};

    b.SetPixelFormat(pf1bit);
    b.SetSize(9, 1);
    b.SetPalette(palette);
    b.ScanLine(0)[1] = 0x80; // pixel 8
    TRGBAImage image = b.ToRGBA(true);
    EXPECT_EQ(image.Pixels[8 * 4 + 0], 10);
    EXPECT_EQ(image.Pixels[8 * 4 + 2], 30);
    EXPECT_EQ(image.Pixels[7 * 4 + 0], 0);

    b.SetPixelFormat(pf4bit);
    b.ScanLine(0)[0] = 0x01; // pixel 1
    image = b.ToRGBA(true);
    EXPECT_EQ(image.Pixels[0], 0);
    EXPECT_EQ(image.Pixels[4 + 1], 20);

    b.SetPixelFormat(pf15bit);
    b.ScanLine(0)[0] = 0x1F; // blue 31
    b.ScanLine(0)[1] = 0x7C; // red 31
    image = b.ToRGBA(true);
    EXPECT_EQ(image.Pixels[0], 255);
    EXPECT_EQ(image.Pixels[1], 0);
    EXPECT_EQ(image.Pixels[2], 255);

    b.SetPixelFormat(pf16bit);
    b.ScanLine(0)[0] = 0xE0; // green 0b000111 -> 7
    b.ScanLine(0)[1] = 0x00;
    image = b.ToRGBA(true);
    EXPECT_EQ(image.Pixels[1], 28); // (7 << 2) | (7 >> 4)

    b.SetPixelFormat(pf24bit);
    b.ScanLine(0)[0] = 1; // blue
    b.ScanLine(0)[2] = 3; // red
    image = b.ToRGBA(true);
    EXPECT_EQ(image.Pixels[0], 3);
    EXPECT_EQ(image.Pixels[2], 1);
    EXPECT_EQ(image.Pixels[3], 255);

    b.SetPixelFormat(pf32bit);
    b.ScanLine(0)[3] = 77;
    EXPECT_EQ(b.ToRGBA(true).Pixels[3], 77);
    EXPECT_EQ(b.ToRGBA(false).Pixels[3], 255);
}

TEST(Bitmap, PaletteIsAFixedArrayOf256Entries)
{
    TPalette big(300, TPaletteEntry{1, 2, 3, 0});
    TBitmap b;
    b.SetPalette(big);
    EXPECT_EQ(b.PaletteCount(), 256u);
    EXPECT_EQ(b.GetPalette().size(), 256u);
    b.SetPalette(TPalette(2, TPaletteEntry{9, 9, 9, 0}));
    EXPECT_EQ(b.PaletteCount(), 2u);
    // Entries past the count are black, so a stray index reads black.
    b.SetPixelFormat(pf8bit);
    b.SetSize(1, 1);
    b.ScanLine(0)[0] = 200;
    EXPECT_EQ(b.PixelColor(0, 0), 0u);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessFixed)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(2, 2);
    std::uint8_t* bottom = b.ScanLine(1);
    bottom[0] = 0x30; bottom[1] = 0x20; bottom[2] = 0x10; // blue, green, red
    EXPECT_EQ(b.GetTransparentColor(), RGBColor(0x10, 0x20, 0x30));
    // Transparency off: everything opaque.
    EXPECT_EQ(b.ToRGBA(true).Pixels[2 * 4 + 3], 255);
    b.Transparent = true;
    TRGBAImage image = b.ToRGBA(false);
    EXPECT_EQ(image.Pixels[2 * 4 + 3], 0);  // the bottom-left pixel
    EXPECT_EQ(image.Pixels[3 * 4 + 3], 255); // black, not the colour
    b.SetTransparentColor(RGBColor(0, 0, 0));
    EXPECT_EQ(b.TransparentMode, TTransparentMode::tmFixed);
    image = b.ToRGBA(false);
    EXPECT_EQ(image.Pixels[2 * 4 + 3], 255);
    EXPECT_EQ(image.Pixels[3 * 4 + 3], 0);
}

TEST(Bitmap, ReleaseLeavesAnEmptyBitmapAndAssignmentCopies)
{
    TBitmap a;
    a.SetPixelFormat(pf8bit);
    a.SetSize(3, 2);
    a.SetPalette(TPalette(4, TPaletteEntry{5, 6, 7, 0}));
    a.ScanLine(1)[2] = 3;
    a.Transparent = true;

    TBitmap b;
    b.Assign(a);
    EXPECT_EQ(b.GetWidth(), 3u);
    EXPECT_EQ(b.GetHeight(), 2u);
    EXPECT_EQ(b.GetPixelFormat(), pf8bit);
    EXPECT_EQ(b.ScanLine(1)[2], 3);
    EXPECT_EQ(b.PaletteCount(), 4u);
    EXPECT_TRUE(b.Transparent);
    // A copy, not a share.
    a.ScanLine(1)[2] = 1;
    EXPECT_EQ(b.ScanLine(1)[2], 3);

    b.ReleaseImage();
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.PaletteCount(), 0u);
    EXPECT_EQ(b.GetPixelFormat(), pf8bit);
    EXPECT_THROW(b.ScanLine(0), EInvalidGraphic);

    // A JPEG or an icon gives its image; a metafile-like empty picture not.
    TJPEGImage jpeg;
    jpeg.LoadFromFile(test::Fixture("photo.jpg"));
    b.Assign(jpeg);
    EXPECT_EQ(b.GetWidth(), 48u);
    EXPECT_EQ(b.GetPixelFormat(), pf24bit);
}

TEST(Bitmap, SizesBeyondTheLimitsAreRefused)
{
    TBitmap b;
    test::ResetLargestAllocation();
    EXPECT_THROW(b.SetSize(65535, 65535), EInvalidGraphic);
    EXPECT_THROW(b.SetSize(100'000'001, 1), EInvalidGraphic);
    b.SetPixelFormat(pf32bit);
    EXPECT_THROW(b.SetSize(12'000, 12'000), EInvalidGraphic); // 549 MB
    EXPECT_LT(test::LargestAllocation(), 1u << 20);
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(ImageSizeAcceptable(10'000, 10'000, 32));
    EXPECT_FALSE(ImageSizeAcceptable(10'000, 10'001, 32));
}

// Reads back the RGBA samples of a PNG this library wrote.
std::vector<std::uint8_t> DecodeOwnPng(const std::vector<std::uint8_t>& png, std::uint32_t& width,
                                       std::uint32_t& height)
{
    auto u32 = [&](std::size_t at) {
        return (std::uint32_t(png[at]) << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    };
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1A\n", 8), 0);
    std::vector<std::uint8_t> idat;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = u32(at);
        const std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, &png[at + 4], length + 4));
        EXPECT_EQ(crc, u32(at + 8 + length)) << type;
        if (type == "IHDR") {
            width = u32(at + 8);
            height = u32(at + 12);
            EXPECT_EQ(png[at + 16], 8);
            EXPECT_EQ(png[at + 17], 6);
        } else if (type == "IDAT") {
            idat.insert(idat.end(), &png[at + 8], &png[at + 8] + length);
        }
        at += 12 + length;
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(height) * (width * 4 + 1));
    uLongf size = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &size, idat.data(), idat.size()), Z_OK);
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        EXPECT_EQ(raw[y * (width * 4 + 1)], 0);
        pixels.insert(pixels.end(), raw.begin() + y * (width * 4 + 1) + 1, raw.begin() + (y + 1) * (width * 4 + 1));
    }
    return pixels;
}

TEST(Bitmap, PngWriterKeepsEverySample)
{
    TIcon icon;
    icon.LoadFromFile(test::Fixture("rgba.ico"));
    const TRGBAImage image = icon.ToRGBA(true);
    std::uint32_t width = 0, height = 0;
    const std::vector<std::uint8_t> pixels = DecodeOwnPng(EncodePNG(image), width, height);
    EXPECT_EQ(width, 32u);
    EXPECT_EQ(height, 32u);
    EXPECT_EQ(pixels, image.Pixels);

    const auto path = std::filesystem::temp_directory_path() / "vidlark-png-writer-test.png";
    SavePNGFile(image, path);
    EXPECT_EQ(test::ReadFileBytes(path), EncodePNG(image));
    std::filesystem::remove(path);
    EXPECT_THROW(SavePNGFile(image, "/nonexistent-folder/x.png"), EFCreateError);
}

} // namespace
} // namespace vidlark
