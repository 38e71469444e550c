#pragma once
// Small byte-order and predictor helpers that the readers share.

#include <cstdint>
#include <span>

namespace vidlark {

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
