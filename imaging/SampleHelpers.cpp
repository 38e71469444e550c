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
    const std::size_t end = bytesPerPixel + std::min<std::size_t>(count, available) * bytesPerPixel;
    for (std::size_t i = bytesPerPixel; i < end; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - bytesPerPixel]);
}

} // namespace vidlark
