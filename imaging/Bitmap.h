#pragma once
// TBitmap, the bitmap picture: a width, a height, a pixel format, rows of
// pixels counted from the top, a palette of up to 256 entries and a
// transparent colour. It loads Windows BMP, DIB and RLE files; every image
// reader of the library derives from it.

#include "imaging/Graphic.h"
#include "imaging/PixelFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vidlark {

// A picture whose header announces more pixels, or a bitmap of more bytes,
// is refused before anything is allocated.
inline constexpr std::uint64_t MaxImagePixels = 100'000'000;
inline constexpr std::uint64_t MaxBitmapBytes = 512ull * 1024 * 1024;

inline constexpr const char* gesBitmapTooLarge = "Bitmap is too large.";
inline constexpr const char* gesScanLineRange = "Scan line index out of range.";
inline constexpr const char* gesCustomFormat = "A bitmap of a custom pixel format cannot be converted.";
inline constexpr const char* gesCannotAssign = "Cannot assign a %s to a %s.";

// Bits per pixel of a fixed format: 15 and 16 bits take two bytes; pfDevice
// is 32 bits here. pfCustom has none (the bitmap keeps its own).
unsigned BitsPerPixelOf(TPixelFormat format);

// Row bytes of a bitmap: rows are padded to whole 32-bit words, as in a
// device-independent bitmap. Zero when the result would overflow.
std::uint64_t BitmapRowBytes(std::uint32_t width, unsigned bitsPerPixel);

// True when a picture of this size fits the limits above.
bool ImageSizeAcceptable(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel);

// Raises the reader's "Cannot load image. Invalid or unexpected %s image
// format." when the size is 0 or beyond the limits, before any allocation.
void CheckImageSize(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel,
                    std::string_view formatName);

// A colour value as the platform writes it: 0x00BBGGRR.
using TColor = std::uint32_t;
constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

enum class TTransparentMode : std::uint8_t {
    tmAuto,  // the colour of the bottom-left pixel
    tmFixed, // TransparentColor as set
};

class TBitmap : public TGraphic {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "BMP";

    TBitmap() = default;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    std::uint32_t GetWidth() const override { return Width; }
    std::uint32_t GetHeight() const override { return Height; }
    // Resizing keeps the pixel format and clears the pixels to zero.
    // EInvalidGraphic ("Bitmap is too large.") beyond the size limits.
    void SetWidth(std::uint32_t width) { SetSize(width, Height); }
    void SetHeight(std::uint32_t height) { SetSize(Width, height); }
    void SetSize(std::uint32_t width, std::uint32_t height);

    TPixelFormat GetPixelFormat() const { return PixelFormat; }
    // Changing the format clears the pixels to zero.
    void SetPixelFormat(TPixelFormat format);
    // The row width of pfCustom rows (1 to 64 bits per pixel; 32 to start with).
    void SetCustomBitsPerPixel(unsigned bits);
    unsigned BitsPerPixel() const;
    std::size_t RowBytes() const { return RowSize; }

    // The pixels of row `row`, counted from the top; EInvalidGraphic for a
    // row outside the bitmap.
    std::uint8_t* ScanLine(std::uint32_t row);
    const std::uint8_t* ScanLine(std::uint32_t row) const;

    // The palette; entries beyond the count are black. An 8-bit index can
    // never reach outside it.
    void SetPalette(const TPalette& palette);
    const std::array<TPaletteEntry, MaxPaletteEntries>& PaletteEntries() const { return Palette; }
    unsigned PaletteCount() const { return PaletteSize; }
    TPalette GetPalette() const;

    TTransparentMode TransparentMode = TTransparentMode::tmAuto;
    // The transparent colour: as set in tmFixed mode, else the colour of the
    // bottom-left pixel (0 for an empty bitmap).
    TColor GetTransparentColor() const;
    void SetTransparentColor(TColor color);

    // Drops the image, so that an empty bitmap remains (pixel format kept).
    void ReleaseImage();

    // From a bitmap: a copy of its image, palette and transparency. From
    // another picture: what its AssignTo gives.
    void Assign(const TGraphic& source) override;
    void AssignTo(TBitmap& target) const override;

    // Windows BMP, DIB and RLE files: uncompressed, RLE4, RLE8, bit fields.
    void LoadFromStream(TStream& stream) override;

    // EInvalidGraphic for a pfCustom bitmap, whose samples have no fixed meaning.
    TRGBAImage ToRGBA(bool keepAlpha) const override;

    // The colour of one pixel as 0x00BBGGRR.
    TColor PixelColor(std::uint32_t x, std::uint32_t y) const;

private:
    void Allocate();
    // The colour of pixel x of a row of this bitmap, without range checks.
    TColor ColorInRow(const std::uint8_t* row, std::uint32_t x) const;

    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    TPixelFormat PixelFormat = pf24bit;
    unsigned CustomBits = 32;
    std::size_t RowSize = 0;
    std::vector<std::uint8_t> Pixels;
    std::array<TPaletteEntry, MaxPaletteEntries> Palette{};
    unsigned PaletteSize = 0;
    TColor FixedTransparentColor = 0;
};

} // namespace vidlark
