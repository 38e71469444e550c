#pragma once
// Small sample, byte-order and predictor helpers that the readers share.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vidlark {

// A level of `bits` bits (1 to 8) on the 0..255 scale, rounded to nearest,
// so the highest level is full scale (31 of 5 bits gives 255).
constexpr std::uint8_t WidenLevel(unsigned level, unsigned bits)
{
    const unsigned highest = (1u << bits) - 1u;
    return static_cast<std::uint8_t>(((level & highest) * 255u + highest / 2) / highest);
}

// Sample number `index` of a row of 1-, 2-, 4- or 8-bit samples packed most
// significant bits first.
constexpr std::uint8_t PackedSample(const std::uint8_t* row, std::size_t index, unsigned bits)
{
    const unsigned perByte = 8u / bits;
    const unsigned shift = 8u - bits * (1u + static_cast<unsigned>(index % perByte));
    return static_cast<std::uint8_t>((row[index / perByte] >> shift) & ((1u << bits) - 1u));
}

// Swap the bytes of each element in place.
void SwapShorts(std::span<std::uint16_t> values);
void SwapLongs(std::span<std::uint32_t> values);
// A 32-bit value with its bytes reversed.
constexpr std::uint32_t SwapLong(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

// Undoes horizontal differencing in place: the `count` pixels that follow
// the first are updated in order, each byte increased (modulo 256) by the
// byte one pixel to its left. bytesPerPixel is 1, 3 or 4. Pixels that the
// row does not hold are left alone.
void UndoPredictor(std::span<std::uint8_t> row, std::uint32_t count, unsigned bytesPerPixel);

} // namespace vidlark
