#include "imaging/SampleHelpers.h"

#include <algorithm>
#include <array>

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

namespace {

// Pixels 1 to Pixels - 1 of a row of N-byte pixels, each byte increased by
// the one N bytes before it; the running sums stay in registers rather than
// going through memory a byte at a time.
template <unsigned N>
void AccumulatePixels(std::uint8_t* row, std::size_t pixels)
{
    std::array<std::uint8_t, N> sum;
    std::copy_n(row, N, sum.begin());
    for (std::size_t x = 1; x < pixels; ++x)
        for (unsigned c = 0; c < N; ++c) {
            sum[c] = static_cast<std::uint8_t>(sum[c] + row[x * N + c]);
            row[x * N + c] = sum[c];
        }
}

} // namespace

void UndoPredictor(std::span<std::uint8_t> row, std::uint32_t count, unsigned bytesPerPixel)
{
    if (bytesPerPixel == 0 || row.size() <= bytesPerPixel)
        return;
    const std::size_t available = row.size() / bytesPerPixel - 1;
    const std::size_t pixels = 1 + std::min<std::size_t>(count, available);
    switch (bytesPerPixel) {
    case 1: AccumulatePixels<1>(row.data(), pixels); break;
    case 2: AccumulatePixels<2>(row.data(), pixels); break;
    case 3: AccumulatePixels<3>(row.data(), pixels); break;
    case 4: AccumulatePixels<4>(row.data(), pixels); break;
    default:
        for (std::size_t i = bytesPerPixel; i < pixels * bytesPerPixel; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - bytesPerPixel]);
    }
}

} // namespace vidlark
