#pragma once
// The 32-byte header of an Autodesk Animator cel or picture file; all
// multi-byte fields are little-endian. A 768-byte palette of 6-bit levels
// and the pixel rows (one byte per pixel, top row first) follow it.

#include "imaging/Endian.h"

#include <cstdint>
#include <type_traits>

namespace vidlark {

struct TAutodeskHeader {
    TLittleEndian16 Magic;
    TLittleEndian16 Width;
    TLittleEndian16 Height;
    TLittleEndian16 XOffset;
    TLittleEndian16 YOffset;
    std::uint8_t BitsPerPixel;
    std::uint8_t Compression;
    std::uint8_t ImageSizeAndReserved[20];
};
static_assert(sizeof(TAutodeskHeader) == 32);
static_assert(std::is_trivially_copyable_v<TAutodeskHeader>);

namespace autodesk {

inline constexpr std::uint16_t Magic = 0x9119;
inline constexpr std::size_t PaletteBytes = 256 * 3;

// The one check of a header this reader can load. The bits-per-pixel and
// compression bytes are the content test's business only: a file chosen by
// its extension loads as 8-bit pixels whatever they say.
constexpr bool HeaderLoadable(const TAutodeskHeader& Header)
{
    return Header.Magic == Magic;
}

} // namespace autodesk

} // namespace vidlark
