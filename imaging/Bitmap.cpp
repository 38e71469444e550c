#include "imaging/Bitmap.h"

#include "imaging/SampleHelpers.h"

#include <algorithm>
#include <cstring>

namespace vidlark {

constinit const TGraphicClassInfo TBitmap::ClassInfo{"TBitmap", &TGraphic::ClassInfo, CreateGraphic<TBitmap>,
                                                     nullptr};

unsigned BitsPerPixelOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pfDevice:
    case pf32bit: return 32;
    case pfCustom: return 0;
    }
    return 0;
}

std::uint64_t BitmapRowBytes(std::uint32_t width, unsigned bitsPerPixel)
{
    // 32-bit width times at most 64 bits fits comfortably in 64 bits.
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * bitsPerPixel;
    return (bits + 31) / 32 * 4;
}

bool ImageSizeAcceptable(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel)
{
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    if (pixels > MaxImagePixels)
        return false;
    const std::uint64_t rowBytes = BitmapRowBytes(width, bitsPerPixel);
    return rowBytes == 0 || height <= MaxBitmapBytes / rowBytes;
}

void CheckImageSize(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, std::string_view formatName)
{
    if (width == 0 || height == 0 || !ImageSizeAcceptable(width, height, bitsPerPixel))
        RaiseGraphicErrorFmt(gesInvalidImage, {formatName});
}

unsigned TBitmap::BitsPerPixel() const
{
    return PixelFormat == pfCustom ? CustomBits : BitsPerPixelOf(PixelFormat);
}

void TBitmap::Allocate()
{
    if (!ImageSizeAcceptable(Width, Height, BitsPerPixel()))
        RaiseGraphicError(gesBitmapTooLarge);
    RowSize = static_cast<std::size_t>(BitmapRowBytes(Width, BitsPerPixel()));
    Pixels.assign(RowSize * Height, 0);
}

void TBitmap::SetSize(std::uint32_t width, std::uint32_t height)
{
    if (!ImageSizeAcceptable(width, height, BitsPerPixel()))
        RaiseGraphicError(gesBitmapTooLarge);
    Width = width;
    Height = height;
    Allocate();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == PixelFormat)
        return;
    if (!ImageSizeAcceptable(Width, Height, format == pfCustom ? CustomBits : BitsPerPixelOf(format)))
        RaiseGraphicError(gesBitmapTooLarge);
    PixelFormat = format;
    Allocate();
}

void TBitmap::SetCustomBitsPerPixel(unsigned bits)
{
    bits = std::clamp(bits, 1u, 64u);
    if (bits == CustomBits)
        return;
    if (PixelFormat == pfCustom && !ImageSizeAcceptable(Width, Height, bits))
        RaiseGraphicError(gesBitmapTooLarge);
    CustomBits = bits;
    if (PixelFormat == pfCustom)
        Allocate();
}

std::uint8_t* TBitmap::ScanLine(std::uint32_t row)
{
    if (row >= Height)
        RaiseGraphicError(gesScanLineRange);
    return Pixels.data() + static_cast<std::size_t>(row) * RowSize;
}

const std::uint8_t* TBitmap::ScanLine(std::uint32_t row) const
{
    if (row >= Height)
        RaiseGraphicError(gesScanLineRange);
    return Pixels.data() + static_cast<std::size_t>(row) * RowSize;
}

void TBitmap::SetPalette(const TPalette& palette)
{
    Palette.fill(TPaletteEntry{});
    PaletteSize = static_cast<unsigned>(std::min<std::size_t>(palette.size(), MaxPaletteEntries));
    std::copy_n(palette.begin(), PaletteSize, Palette.begin());
}

TPalette TBitmap::GetPalette() const
{
    return TPalette(Palette.begin(), Palette.begin() + PaletteSize);
}

TColor TBitmap::GetTransparentColor() const
{
    if (TransparentMode == TTransparentMode::tmFixed)
        return FixedTransparentColor;
    if (Empty() || PixelFormat == pfCustom)
        return 0;
    return PixelColor(0, Height - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    FixedTransparentColor = color & 0x00FFFFFF;
    TransparentMode = TTransparentMode::tmFixed;
}

void TBitmap::ReleaseImage()
{
    Width = 0;
    Height = 0;
    RowSize = 0;
    std::vector<std::uint8_t>().swap(Pixels);
    Palette.fill(TPaletteEntry{});
    PaletteSize = 0;
}

void TBitmap::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (!source.InheritsFrom(TBitmap::ClassInfo)) {
        source.AssignTo(*this);
        return;
    }
    const auto& other = static_cast<const TBitmap&>(source);
    Width = other.Width;
    Height = other.Height;
    PixelFormat = other.PixelFormat;
    CustomBits = other.CustomBits;
    RowSize = other.RowSize;
    Pixels = other.Pixels;
    Palette = other.Palette;
    PaletteSize = other.PaletteSize;
    TransparentMode = other.TransparentMode;
    FixedTransparentColor = other.FixedTransparentColor;
    Transparent = other.Transparent;
}

void TBitmap::AssignTo(TBitmap& target) const
{
    target.Assign(*this);
}

TColor TBitmap::ColorInRow(const std::uint8_t* row, std::uint32_t x) const
{
    auto fromPalette = [this](unsigned index) {
        const TPaletteEntry& e = Palette[index & 0xFF];
        return RGBColor(e.Red, e.Green, e.Blue);
    };
    switch (PixelFormat) {
    case pf1bit: return fromPalette(PackedSample(row, x, 1));
    case pf4bit: return fromPalette(PackedSample(row, x, 4));
    case pf8bit: return fromPalette(row[x]);
    case pf15bit: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return RGBColor(WidenLevel(v >> 10, 5), WidenLevel(v >> 5, 5), WidenLevel(v, 5));
    }
    case pf16bit: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return RGBColor(WidenLevel(v >> 11, 5), WidenLevel(v >> 5, 6), WidenLevel(v, 5));
    }
    case pf24bit: return RGBColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case pfDevice:
    case pf32bit: return RGBColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    case pfCustom: break;
    }
    RaiseGraphicError(gesCustomFormat);
}

TColor TBitmap::PixelColor(std::uint32_t x, std::uint32_t y) const
{
    if (x >= Width)
        RaiseGraphicError(gesScanLineRange);
    return ColorInRow(ScanLine(y), x);
}

TRGBAImage TBitmap::ToRGBA(bool keepAlpha) const
{
    if (PixelFormat == pfCustom)
        RaiseGraphicError(gesCustomFormat);
    TRGBAImage image;
    image.Width = Width;
    image.Height = Height;
    image.Pixels.resize(static_cast<std::size_t>(Width) * Height * 4);
    const bool clearTransparent = Transparent && !Empty();
    const TColor transparent = clearTransparent ? GetTransparentColor() : 0;
    const bool alphaFromPixels = keepAlpha && (PixelFormat == pf32bit || PixelFormat == pfDevice);
    std::uint8_t* out = image.Pixels.data();
    for (std::uint32_t y = 0; y < Height; ++y) {
        const std::uint8_t* row = ScanLine(y);
        for (std::uint32_t x = 0; x < Width; ++x, out += 4) {
            const TColor c = ColorInRow(row, x);
            out[0] = static_cast<std::uint8_t>(c);
            out[1] = static_cast<std::uint8_t>(c >> 8);
            out[2] = static_cast<std::uint8_t>(c >> 16);
            out[3] = alphaFromPixels ? row[4 * x + 3] : 255;
            if (clearTransparent && c == transparent)
                out[3] = 0;
        }
    }
    return image;
}

} // namespace vidlark
