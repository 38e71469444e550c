#include "imaging/SampleHelpers.h"

#include <algorithm>

namespace vidlark {

void SwapShorts(std::span<std::uint16_t> values)
{
    for (auto& v : values)
        v = static_cast<std::uint16_t>((v >> 8) | (v << 8));
}

void SwapLongs(std::span<std::uint32_t> values)
{
    for (auto& v : values)
        v = SwapLong(v);
}

void UndoPredictor(std::span<std::uint8_t> row, std::uint32_t count, unsigned bytesPerPixel)
{
    if (bytesPerPixel == 0 || row.size() <= bytesPerPixel)
        return;
    const std::size_t available = row.size() / bytesPerPixel - 1;
    const std::size_t bytes = std::min<std::size_t>(count, available) * bytesPerPixel;
    std::uint8_t* p = row.data() + bytesPerPixel;
    for (std::size_t i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(p[i] + p[i - bytesPerPixel]);
}

} // namespace vidlark
