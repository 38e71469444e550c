#pragma once
// The fixed 128-byte header that begins every ZSoft Paintbrush file. All
// multi-byte fields are little-endian.

#include "imaging/Endian.h"

#include <cstdint>
#include <type_traits>

namespace vidlark {

struct TPCXHeader {
    std::uint8_t Manufacturer;  // 10 for Paintbrush files, 205 for screen captures
    std::uint8_t Version;       // 3: no palette information
    std::uint8_t Encoding;      // 1: run-length encoded; anything else: plain
    std::uint8_t BitsPerPixel;  // of one plane
    TLittleEndian16 XMin;
    TLittleEndian16 YMin;
    TLittleEndian16 XMax;
    TLittleEndian16 YMax;
    TLittleEndian16 XResolution; // dots per inch
    TLittleEndian16 YResolution;
    std::uint8_t ColorMap[48];  // 16 entries of red, green, blue
    std::uint8_t Reserved;
    std::uint8_t Planes;
    TLittleEndian16 BytesPerLine; // of one plane of one row
    TLittleEndian16 PaletteInfo;  // 2: grey levels
    std::uint8_t Filler[58];
};
static_assert(sizeof(TPCXHeader) == 128);
static_assert(std::is_trivially_copyable_v<TPCXHeader>);

namespace pcx {

inline constexpr std::uint8_t Paintbrush = 10;
inline constexpr std::uint8_t ScreenCapture = 205;
inline constexpr std::uint16_t GreyPalette = 2;

constexpr std::uint32_t Width(const TPCXHeader& Header) { return Header.XMax - Header.XMin + 1u; }
constexpr std::uint32_t Height(const TPCXHeader& Header) { return Header.YMax - Header.YMin + 1u; }

// The one check of a header this reader can load: the content test,
// ReadProperties and the load all ask it. A plane row must hold the
// pixels of its row.
constexpr bool HeaderLoadable(const TPCXHeader& Header)
{
    const bool KnownMaker = Header.Manufacturer == Paintbrush || Header.Manufacturer == ScreenCapture;
    if (!KnownMaker || Header.XMax < Header.XMin || Header.YMax < Header.YMin)
        return false;
    const std::uint64_t PlaneRowBits = std::uint64_t{Width(Header)} * Header.BitsPerPixel;
    return Header.BytesPerLine > 0 && std::uint64_t{Header.BytesPerLine} * 8 >= PlaneRowBits;
}

// Planes x bits that a bitmap can hold: 1, 2, 4 or 8 bits in one plane,
// four planes of one bit (16 colours), three planes of 8 bits (RGB) and
// four of 8 bits (RGBA).
constexpr bool ColorFormatSupported(const TPCXHeader& Header)
{
    const unsigned Bits = Header.BitsPerPixel;
    switch (Header.Planes) {
    case 1: return Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8;
    case 3: return Bits == 8;
    case 4: return Bits == 1 || Bits == 8;
    default: return false;
    }
}

} // namespace pcx

} // namespace vidlark
