#pragma once
// The checks every reader makes before it allocates anything whose size a
// file field decides. A picture over the caps, or one whose data cannot fit
// in what is left of the stream, is refused with the reader's "Cannot load
// image. Invalid or unexpected %s image format." error.

#include "imaging/Stream.h"

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace vidlark {

// a × b, or the largest value when that overflows: a saturated size still
// fails every check against a real limit.
constexpr std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max() : product;
}

// Refuses an empty picture, one over 100 000 000 pixels or whose bitmap at
// bitmapBitsPerPixel would pass 512 MiB, and one whose pixel data need at
// least leastDataBytes when fewer remain in the stream.
void CheckPictureSize(TStream& stream, std::uint32_t width, std::uint32_t height, unsigned bitmapBitsPerPixel,
                      std::uint64_t leastDataBytes, std::string_view formatName);

// Refuses when fewer than count bytes remain in the stream.
void CheckStreamHolds(TStream& stream, std::uint64_t count, std::string_view formatName);

// Reads count bytes into a new buffer, refusing before allocating when the
// stream cannot hold them.
std::vector<std::uint8_t> ReadFileBlock(TStream& stream, std::uint64_t count, std::string_view formatName);

} // namespace vidlark
