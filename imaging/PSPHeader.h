#pragma once
// The fixed parts of a Paintshop Pro image file: the file header, the block
// header that opens every block, and the general image attributes. All
// numbers are little-endian.

#include "imaging/Endian.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace vidlark {

struct TPSPFileHeader {
    std::uint8_t Signature[32]; // "Paint Shop Pro Image File\n\x1a" and zeros
    TLittleEndian16 MajorVersion;
    TLittleEndian16 MinorVersion;
};
static_assert(sizeof(TPSPFileHeader) == 36);

// Version 3 has a field more ("initial data length") before the total length.
struct TPSPBlockHeader {
    std::uint8_t Identifier[4]; // "~BK\0"
    TLittleEndian16 BlockId;
};
static_assert(sizeof(TPSPBlockHeader) == 6);

struct TPSPImageAttributes {
    TLittleEndian32 Width;
    TLittleEndian32 Height;
    std::uint8_t Resolution[8]; // a little-endian double
    std::uint8_t ResolutionUnit; // 2: per centimetre
    TLittleEndian16 Compression; // 0 none, 1 RLE, 2 LZ77, 3 JPEG
    TLittleEndian16 BitDepth;    // 1, 4, 8 or 24
    TLittleEndian16 PlaneCount;
    TLittleEndian32 ColorCount;
    std::uint8_t GreyscaleFlag;
    std::uint8_t Further[14];
};
static_assert(sizeof(TPSPImageAttributes) == 42);
static_assert(std::is_trivially_copyable_v<TPSPImageAttributes>);

namespace psp {

inline constexpr std::uint16_t PaletteBlock = 2;
inline constexpr std::uint16_t LayerBankBlock = 3;
inline constexpr std::uint16_t LayerBlock = 4;

// Bytes of a block header after the identifier and ID: the total length,
// and in version 3 the initial data length before it.
constexpr std::size_t BlockLengthBytes(unsigned Major) { return Major == 3 ? 8 : 4; }

// The one check of a file header this reader can load: the content test,
// ReadProperties and the load all ask it. Only the signature's first 25
// characters count, without regard to letter case.
constexpr bool HeaderLoadable(const TPSPFileHeader& Header)
{
    constexpr std::string_view Signature = "paint shop pro image file";
    for (std::size_t i = 0; i < Signature.size(); ++i) {
        const std::uint8_t c = Header.Signature[i];
        const std::uint8_t Lower = c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c + 32) : c;
        if (Lower != static_cast<std::uint8_t>(Signature[i]))
            return false;
    }
    return Header.MajorVersion >= 3;
}

} // namespace psp

} // namespace vidlark
