#pragma once
// The 740-byte header of an Alias/Wavefront run-length image. Numbers are
// big-endian and signed unless noted; texts are zero-terminated within their
// width. A table of row offsets (32-bit, from the start of the file) follows.

#include "imaging/Endian.h"

#include <cstdint>
#include <string_view>
#include <type_traits>

namespace vidlark {

struct TRLAHeader {
    TBigEndian16 Window[4];        // outer window: left, right, bottom, top
    TBigEndian16 Left;             // the image area
    TBigEndian16 Right;
    TBigEndian16 Bottom;
    TBigEndian16 Top;
    TBigEndian16 FrameNumber;
    TBigEndian16 StorageType;
    TBigEndian16 ColorChannels;
    TBigEndian16 MatteChannels;
    TBigEndian16 AuxChannels;
    TBigEndian16 Revision;         // 0xFFFE in this layout
    char Gamma[16];                // decimal text
    char Primaries[96];            // red, green, blue primaries and white point
    TBigEndian32 JobNumber;
    char Texts[436];               // name, description, program, machine, user, date, aspect
    char ChannelSpace[32];         // "rgb" or "xyz"
    TBigEndian16 Field;
    char TimeAndFilter[44];
    TBigEndian16 ColorChannelBits;
    TBigEndian16 MatteType;
    TBigEndian16 MatteBits;
    TBigEndian16 AuxType;
    TBigEndian16 AuxBits;
    char AuxAndSpare[68];
    TBigEndian32 NextOffset;
};
static_assert(sizeof(TRLAHeader) == 740);
static_assert(std::is_trivially_copyable_v<TRLAHeader>);

namespace rla {

inline constexpr std::uint16_t Revision = 0xFFFE;

// A zero-terminated text field as a view of its characters.
template <std::size_t N>
constexpr std::string_view Text(const char (&Field)[N])
{
    std::size_t Length = 0;
    while (Length < N && Field[Length] != '\0')
        ++Length;
    return std::string_view(Field, Length);
}

// Channel space "rgb" in any letter case.
constexpr bool IsRgb(const TRLAHeader& Header)
{
    const std::string_view Space = Text(Header.ChannelSpace);
    constexpr std::string_view Rgb = "rgb";
    if (Space.size() != Rgb.size())
        return false;
    for (std::size_t i = 0; i < Rgb.size(); ++i)
        if ((Space[i] | 0x20) != Rgb[i])
            return false;
    return true;
}

constexpr int Width(const TRLAHeader& Header)
{
    return static_cast<std::int16_t>(Header.Right) - static_cast<std::int16_t>(Header.Left) + 1;
}
constexpr int Height(const TRLAHeader& Header)
{
    return static_cast<std::int16_t>(Header.Top) - static_cast<std::int16_t>(Header.Bottom) + 1;
}

// The one check of a header this reader can load: red, green and blue
// channels of 8 or 16 bits, and an image area that is not turned inside out.
constexpr bool HeaderLoadable(const TRLAHeader& Header)
{
    const unsigned Bits = Header.ColorChannelBits;
    return IsRgb(Header) && Header.ColorChannels == 3 && (Bits == 8 || Bits == 16) && Width(Header) > 0 &&
           Height(Header) > 0;
}

} // namespace rla

} // namespace vidlark
