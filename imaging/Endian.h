#pragma once
// Multi-byte fields in a stated byte order, independent of the host's. File
// headers are declared as structs of these (and single bytes), so a header
// is read in one piece and its layout is checked by static_assert.

#include <cstddef>
#include <cstdint>

namespace vidlark {

// Loads from and stores to bytes in memory, most significant byte first
// when BigEndian.
template <typename T, bool BigEndian>
constexpr T LoadEndian(const std::uint8_t* bytes)
{
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t shift = 8 * (BigEndian ? sizeof(T) - 1 - i : i);
        value = static_cast<T>(value | static_cast<T>(T{bytes[i]} << shift));
    }
    return value;
}

template <typename T, bool BigEndian>
constexpr void StoreEndian(std::uint8_t* bytes, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t shift = 8 * (BigEndian ? sizeof(T) - 1 - i : i);
        bytes[i] = static_cast<std::uint8_t>(value >> shift);
    }
}

template <typename T, bool BigEndian>
struct TEndianField {
    std::uint8_t Bytes[sizeof(T)];

    constexpr operator T() const { return LoadEndian<T, BigEndian>(Bytes); }
    constexpr void Set(T value) { StoreEndian<T, BigEndian>(Bytes, value); }
};

using TLittleEndian16 = TEndianField<std::uint16_t, false>;
using TLittleEndian32 = TEndianField<std::uint32_t, false>;
using TBigEndian16 = TEndianField<std::uint16_t, true>;
using TBigEndian32 = TEndianField<std::uint32_t, true>;

static_assert(sizeof(TLittleEndian16) == 2 && sizeof(TBigEndian32) == 4 && alignof(TBigEndian32) == 1);

} // namespace vidlark
