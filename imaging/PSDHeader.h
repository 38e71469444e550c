#pragma once
// The fixed 26-byte header that begins every Photoshop file. All numbers
// are big-endian.

#include "imaging/Endian.h"

#include <cstdint>
#include <type_traits>

namespace vidlark {

struct TPSDHeader {
    char Signature[4]; // "8BPS"
    TBigEndian16 Version; // 1 (2 is the large document format)
    std::uint8_t Reserved[6];
    TBigEndian16 Channels;
    TBigEndian32 Height;
    TBigEndian32 Width;
    TBigEndian16 Depth; // bits per channel sample
    TBigEndian16 Mode;  // colour mode
};
static_assert(sizeof(TPSDHeader) == 26);
static_assert(std::is_trivially_copyable_v<TPSDHeader>);

namespace psd {

enum TColorMode : std::uint16_t {
    Bitmap = 0,
    Grayscale = 1,
    Indexed = 2,
    RGB = 3,
    CMYK = 4,
    Multichannel = 7,
    Duotone = 8,
    Lab = 9,
};

// The format allows at most this many channels.
inline constexpr std::uint16_t MaxChannels = 56;

// Channels a mode's picture is made of: the planes shown, in file order.
constexpr unsigned ShownChannels(std::uint16_t Mode, std::uint16_t Channels)
{
    switch (Mode) {
    case RGB: return Channels >= 4 ? 4 : 3;
    case CMYK: return 4;
    case Lab: return 3;
    default: return 1;
    }
}

constexpr bool DepthFits(std::uint16_t Mode, std::uint16_t Depth)
{
    switch (Mode) {
    case Bitmap: return Depth == 1;
    case Indexed: return Depth == 8;
    case Grayscale:
    case RGB:
    case CMYK:
    case Lab: return Depth == 8 || Depth == 16;
    default: return false;
    }
}

// The one check of a header this reader can load: the content test,
// ReadProperties and the load all ask it. Multichannel and duotone
// pictures have no conversion; a mode needs the channels it is made of.
constexpr bool HeaderLoadable(const TPSDHeader& Header)
{
    const bool Signed = Header.Signature[0] == '8' && Header.Signature[1] == 'B' && Header.Signature[2] == 'P' &&
                        Header.Signature[3] == 'S';
    return Signed && Header.Version == 1 && DepthFits(Header.Mode, Header.Depth) && Header.Channels <= MaxChannels &&
           Header.Channels >= ShownChannels(Header.Mode, Header.Channels);
}

} // namespace psd

} // namespace vidlark
