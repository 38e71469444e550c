#pragma once
// The pixel formats of a bitmap and the palette it carries. Shared by the
// bitmap, the colour manager that decides the format, and every reader.

#include <cstdint>
#include <vector>

namespace vidlark {

// Rows are packed in the format; 15 bits is 5-5-5, 16 bits is 5-6-5 and
// 32 bits is blue, green, red, fourth byte.
enum TPixelFormat : std::uint8_t {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom,
};

// One entry of a logical palette.
struct TPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Flags = 0;

    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

constexpr std::size_t MaxPaletteEntries = 256;

// A logical palette of at most MaxPaletteEntries entries.
using TPalette = std::vector<TPaletteEntry>;

} // namespace vidlark
