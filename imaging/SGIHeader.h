#pragma once
// The 512-byte header that begins every SGI image file, read in one piece.
// All multi-byte fields are big-endian.

#include "imaging/Endian.h"

#include <cstdint>
#include <type_traits>

namespace vidlark {

struct TSGIHeader {
    TBigEndian16 Magic;          // 474
    std::uint8_t Storage;        // 1: run-length encoded; anything else: plain
    std::uint8_t BytesPerSample; // 1 or 2
    TBigEndian16 Dimension;      // 1: one row, 2: one channel, 3: several channels
    TBigEndian16 Width;
    TBigEndian16 Height;
    TBigEndian16 Channels;       // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
    TBigEndian32 MinimumLevel;
    TBigEndian32 MaximumLevel;
    std::uint8_t Reserved[4];
    char Name[80];
    TBigEndian32 ColorMap;       // 0: plain pixels
    std::uint8_t Padding[404];
};
static_assert(sizeof(TSGIHeader) == 512);
static_assert(std::is_trivially_copyable_v<TSGIHeader>);

namespace sgi {

inline constexpr std::uint16_t Magic = 474;
inline constexpr std::uint8_t RunLengthEncoded = 1;
// A run-length packet covers at most this many samples.
inline constexpr std::uint32_t MaxPacketSamples = 127;

// The one check of a header this reader can load: the content test,
// ReadProperties and the load all ask it.
constexpr bool HeaderLoadable(const TSGIHeader& Header)
{
    return Header.Magic == Magic && (Header.BytesPerSample == 1 || Header.BytesPerSample == 2) &&
           Header.Channels >= 1 && Header.Channels <= 4;
}

// Grey with alpha shows its grey channel alone.
constexpr std::uint8_t ShownChannels(const TSGIHeader& Header)
{
    return Header.Channels == 2 ? 1 : static_cast<std::uint8_t>(Header.Channels);
}

} // namespace sgi

} // namespace vidlark
