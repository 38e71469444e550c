#pragma once
// The start of every PNG file: the signature, then the IHDR chunk. All
// multi-byte numbers of the format are big-endian.

#include "imaging/Endian.h"

#include <cstdint>
#include <type_traits>

namespace vidlark {

inline constexpr std::uint8_t PNGSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Length and type that open every chunk; the data and a CRC-32 over type and data follow.
struct TPNGChunkHead {
    TBigEndian32 Length; // of the data only
    TBigEndian32 Type;   // four letters
};
static_assert(sizeof(TPNGChunkHead) == 8);

// The data of the IHDR chunk.
struct TPNGImageHeader {
    TBigEndian32 Width;
    TBigEndian32 Height;
    std::uint8_t BitDepth;          // bits per sample (per index for palette images)
    std::uint8_t ColorType;         // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    std::uint8_t CompressionMethod; // 0: deflate
    std::uint8_t FilterMethod;
    std::uint8_t InterlaceMethod;   // 0: none, 1: Adam7
};
static_assert(sizeof(TPNGImageHeader) == 13);

struct TPNGFileStart {
    std::uint8_t Signature[8];
    TPNGChunkHead Head;
    TPNGImageHeader Image;
};
static_assert(sizeof(TPNGFileStart) == 29);
static_assert(std::is_trivially_copyable_v<TPNGFileStart>);

namespace png {

// Chunk types as big-endian numbers of their four letters.
constexpr std::uint32_t ChunkCode(const char (&Name)[5])
{
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(Name[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(Name[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(Name[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(Name[3]));
}
inline constexpr std::uint32_t IHDR = ChunkCode("IHDR");
inline constexpr std::uint32_t PLTE = ChunkCode("PLTE");
inline constexpr std::uint32_t IDAT = ChunkCode("IDAT");
inline constexpr std::uint32_t IEND = ChunkCode("IEND");
inline constexpr std::uint32_t gAMA = ChunkCode("gAMA");
inline constexpr std::uint32_t bKGD = ChunkCode("bKGD");
inline constexpr std::uint32_t tRNS = ChunkCode("tRNS");

// Types compare without regard to the letter case of their four letters.
constexpr bool ChunkIs(std::uint32_t Type, std::uint32_t Code)
{
    return (Type & 0xDFDFDFDFu) == (Code & 0xDFDFDFDFu);
}
// Bit 5 of the first letter (lower case) marks a chunk a reader may pass over.
constexpr bool Ancillary(std::uint32_t Type) { return (Type & 0x20000000u) != 0; }

// The standard allows no chunk longer than this.
inline constexpr std::uint32_t MaxChunkLength = 0x7FFFFFFFu;

// The one check of a file start this reader can load: the content test,
// ReadProperties and the load all ask it.
constexpr bool HeaderLoadable(const TPNGFileStart& Start)
{
    for (std::size_t i = 0; i < sizeof PNGSignature; ++i)
        if (Start.Signature[i] != PNGSignature[i])
            return false;
    return ChunkIs(Start.Head.Type, IHDR) && Start.Head.Length >= sizeof(TPNGImageHeader) &&
           Start.Head.Length <= MaxChunkLength && Start.Image.Width != 0 && Start.Image.Height != 0;
}

} // namespace png

} // namespace vidlark
