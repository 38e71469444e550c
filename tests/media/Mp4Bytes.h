#pragma once
// Byte-by-byte MP4 pieces for the metadata and listing tests.

#include <cstdint>
#include <string>
#include <string_view>

namespace vidlark::test {

using TBytes = std::string;

inline TBytes U16(std::uint16_t value)
{
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

inline TBytes U32(std::uint32_t value)
{
    return U16(static_cast<std::uint16_t>(value >> 16)) + U16(static_cast<std::uint16_t>(value));
}

// A box whose size field counts its header and body.
inline TBytes Box(std::string_view type, const TBytes& body)
{
    return U32(static_cast<std::uint32_t>(8 + body.size())) + TBytes(type) + body;
}

// A box header with the size given as it is to be stored.
inline TBytes BoxHeader(std::uint32_t size, std::string_view type)
{
    return U32(size) + TBytes(type);
}

inline TBytes Uuid() { return TBytes("0123456789abcdef"); }

constexpr std::uint16_t Japanese = 0x2A0E;
constexpr std::uint16_t English = 0x15C7;

inline TBytes Utf16Be(std::u16string_view text)
{
    TBytes bytes;
    for (const char16_t unit : text)
        bytes += U16(unit);
    return bytes;
}

// One MTDT entry: size, 4 bytes, language, 2 bytes, text (zero unit appended
// unless told otherwise).
inline TBytes MtdtEntry(std::uint16_t language, std::u16string_view text, bool zeroEnded = true)
{
    const TBytes body = Utf16Be(text) + (zeroEnded ? U16(0) : TBytes());
    return U16(static_cast<std::uint16_t>(10 + body.size())) + U32(1) + U16(language) + U16(1) + body;
}

inline TBytes Mtdt(const TBytes& entries) { return Box("MTDT", U16(1) + entries); }

// moov with a uuid child holding the given boxes behind its UUID.
inline TBytes MoovWithUuid(const TBytes& uuidContent, const TBytes& before = Box("mvhd", TBytes(20, '\0')))
{
    return Box("moov", before + Box("uuid", Uuid() + uuidContent));
}

struct TVprfFields {
    std::string Codec = "mp4v";
    std::uint32_t BitRate = 768;
    std::uint32_t FrameRate = 30u << 16;
    std::uint16_t Width = 0x01E0;
    std::uint16_t Height = 272;
};

inline TBytes Vprf(const TVprfFields& f)
{
    return Box("VPRF", TBytes(8, '\0') + f.Codec + TBytes(8, '\0') + U32(f.BitRate) + U32(0) +
                           U32(f.FrameRate) + U32(0) + U16(f.Width) + U16(f.Height));
}

// A top-level uuid box: UUID, 8 bytes, then child boxes.
inline TBytes ProfileUuid(const TBytes& children)
{
    return Box("uuid", Uuid() + TBytes(8, '\0') + children);
}

inline TBytes Ftyp() { return Box("ftyp", TBytes("MSNV") + U32(0x200) + "MSNVisom"); }

} // namespace vidlark::test
