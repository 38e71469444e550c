#pragma once
// A bounds-checked little-endian reader over bytes held in memory. Reading
// past the end raises the owner's "Cannot load image. Invalid or unexpected
// %s image format." error instead of running off the buffer.

#include "imaging/GraphicErrors.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vidlark {

class TByteReader {
public:
    TByteReader(std::span<const std::uint8_t> data, std::string_view formatName)
        : Data(data), FormatName(formatName)
    {
    }

    std::size_t Position() const { return Pos; }
    std::size_t Remaining() const { return Data.size() - Pos; }
    bool AtEnd() const { return Pos >= Data.size(); }

    std::uint8_t U8()
    {
        Need(1);
        return Data[Pos++];
    }
    std::uint16_t U16()
    {
        Need(2);
        const auto v = static_cast<std::uint16_t>(Data[Pos] | (Data[Pos + 1] << 8));
        Pos += 2;
        return v;
    }
    std::uint32_t U32()
    {
        Need(4);
        const std::uint32_t v = static_cast<std::uint32_t>(Data[Pos]) | (static_cast<std::uint32_t>(Data[Pos + 1]) << 8) |
                                (static_cast<std::uint32_t>(Data[Pos + 2]) << 16) |
                                (static_cast<std::uint32_t>(Data[Pos + 3]) << 24);
        Pos += 4;
        return v;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::span<const std::uint8_t> Bytes(std::size_t count)
    {
        Need(count);
        auto result = Data.subspan(Pos, count);
        Pos += count;
        return result;
    }
    void Skip(std::size_t count) { Bytes(count); }
    void Seek(std::size_t position)
    {
        if (position > Data.size())
            Fail();
        Pos = position;
    }

    [[noreturn]] void Fail() const { RaiseGraphicErrorFmt(gesInvalidImage, {FormatName}); }

private:
    void Need(std::size_t count) const
    {
        if (count > Data.size() - Pos)
            Fail();
    }

    std::span<const std::uint8_t> Data;
    std::size_t Pos = 0;
    std::string_view FormatName;
};

} // namespace vidlark
