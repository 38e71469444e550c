#pragma once
// The fixed 18-byte header that begins every Truevision Targa file, read and
// written in one piece. All multi-byte fields are little-endian.

#include "imaging/Endian.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vidlark {

struct TTargaHeader {
    std::uint8_t IdLength;          // bytes of the identification field after the header
    std::uint8_t ColorMapType;      // 0: none, 1: a colour map follows the identification
    std::uint8_t ImageType;         // 0 none, 1 mapped, 2 true colour, 3 grey; +8 run-length encoded
    TLittleEndian16 FirstColorMapIndex;
    TLittleEndian16 ColorMapLength; // entries
    std::uint8_t ColorMapEntrySize; // bits: 15, 16, 24 or 32
    TLittleEndian16 XOrigin;
    TLittleEndian16 YOrigin;
    TLittleEndian16 Width;
    TLittleEndian16 Height;
    std::uint8_t PixelSize;         // bits: 8, 15, 16, 24 or 32
    std::uint8_t Descriptor;        // bit 5: the first stored row is the top row
};
static_assert(sizeof(TTargaHeader) == 18);
static_assert(std::is_trivially_copyable_v<TTargaHeader>);

inline constexpr std::uint8_t TargaTopRowFirst = 32;

namespace targa {

constexpr bool KnownImageType(std::uint8_t Type)
{
    return Type <= 3 || (Type >= 9 && Type <= 11);
}
constexpr bool RunLengthEncoded(std::uint8_t Type) { return Type >= 9 && Type <= 11; }
constexpr bool Grey(std::uint8_t Type) { return Type == 3 || Type == 11; }
constexpr bool KnownSize(std::uint8_t Bits) { return Bits == 8 || Bits == 15 || Bits == 16 || Bits == 24 || Bits == 32; }
// Bytes of a pixel or colour map entry: 15-bit values take two bytes as 16-bit ones do.
constexpr std::size_t BytesFor(std::uint8_t Bits) { return Bits == 15 ? 2 : Bits / 8u; }
constexpr bool KnownEntrySize(std::uint8_t Bits) { return Bits != 8 && KnownSize(Bits); }

// The one check of a header this reader can load: the content test,
// ReadProperties and the load all ask it.
constexpr bool HeaderLoadable(const TTargaHeader& Header)
{
    const bool MapReadable =
        Header.ColorMapType == 0 || Header.ColorMapLength == 0 || KnownEntrySize(Header.ColorMapEntrySize);
    return KnownImageType(Header.ImageType) && Header.ColorMapType <= 1 && MapReadable &&
           KnownSize(Header.PixelSize);
}

} // namespace targa

} // namespace vidlark
