#pragma once
// A bounds-checked reader over bytes held in memory, little- or big-endian.
// Reading past the end raises the owner's "Cannot load image. Invalid or
// unexpected %s image format." error instead of running off the buffer.

#include "imaging/Endian.h"
#include "imaging/GraphicErrors.h"
#include "imaging/Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vidlark {

class TByteReader {
public:
    TByteReader(std::span<const std::uint8_t> data, std::string_view formatName)
        : Data(data), FormatName(formatName)
    {
    }

    // Holds a copy of the first `count` bytes at the stream's position, fewer
    // when the stream ends sooner; the stream's position is kept. Headers are
    // read this way, so a short file fails in the reader's own words.
    TByteReader(TStream& stream, std::size_t count, std::string_view formatName);

    // The copy of a stream's bytes moves along with the reader; a copy of
    // the reader would point into the original's.
    TByteReader(TByteReader&&) = default;
    TByteReader(const TByteReader&) = delete;
    TByteReader& operator=(const TByteReader&) = delete;

    std::size_t Position() const { return Pos; }
    std::size_t Size() const { return Data.size(); }
    std::size_t Remaining() const { return Data.size() - Pos; }
    bool AtEnd() const { return Pos >= Data.size(); }

    std::uint8_t U8() { return Next<std::uint8_t, false>(); }
    std::uint16_t U16() { return Next<std::uint16_t, false>(); }
    std::uint32_t U32() { return Next<std::uint32_t, false>(); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint16_t U16BE() { return Next<std::uint16_t, true>(); }
    std::uint32_t U32BE() { return Next<std::uint32_t, true>(); }

    // A fixed header declared as a struct of bytes and endian fields.
    template <typename THeader>
    THeader Struct()
    {
        static_assert(std::is_trivially_copyable_v<THeader> && alignof(THeader) == 1);
        THeader header;
        std::memcpy(&header, Bytes(sizeof header).data(), sizeof header);
        return header;
    }

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

    template <typename T, bool BigEndian>
    T Next()
    {
        return LoadEndian<T, BigEndian>(Bytes(sizeof(T)).data());
    }

    std::vector<std::uint8_t> Owned;
    std::span<const std::uint8_t> Data;
    std::size_t Pos = 0;
    std::string_view FormatName;
};

} // namespace vidlark
