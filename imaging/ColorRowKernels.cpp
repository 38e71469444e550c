// The plain row kernels and the choice among the sets.

#include "imaging/ColorRowKernels.h"

#include "imaging/ColorConverters.h"

#include <bit>

namespace vidlark::color {

namespace {

template <unsigned Stride>
void ExchangeBytewise(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, s += Stride, d += Stride) {
        // The whole pixel is read before it is written, for rows converted in place.
        const std::uint8_t first = s[0];
        const std::uint8_t second = s[1];
        const std::uint8_t third = s[2];
        d[0] = third;
        d[1] = second;
        d[2] = first;
        if constexpr (Stride == 4)
            d[3] = s[3];
    }
}

// Bytes of word `word` of a 24-byte block whose position in the block is
// `phase` modulo 3 (0: first sample of a pixel, 2: third).
constexpr std::uint64_t PhaseMask(unsigned word, unsigned phase)
{
    std::uint64_t mask = 0;
    for (unsigned b = 0; b < 8; ++b)
        if ((8 * word + b) % 3 == phase)
            mask |= std::uint64_t{0xFF} << (8 * b);
    return mask;
}

// Eight pixels (three 64-bit words) at a time without byte shuffles, which
// the base instruction sets lack: the words are shifted by two bytes each
// way and merged under masks. Taking the 24 bytes as one little-endian
// number W, the result is (W >> 16 on phase 0) | (W on phase 1) | (W << 16
// on phase 2).
void ExchangeFirstAndThird3(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t down0 = PhaseMask(0, 0), keep0 = PhaseMask(0, 1), up0 = PhaseMask(0, 2);
        constexpr std::uint64_t down1 = PhaseMask(1, 0), keep1 = PhaseMask(1, 1), up1 = PhaseMask(1, 2);
        constexpr std::uint64_t down2 = PhaseMask(2, 0), keep2 = PhaseMask(2, 1), up2 = PhaseMask(2, 2);
        for (; count - i >= 8; i += 8, s += 24, d += 24) {
            std::uint64_t w0, w1, w2;
            std::memcpy(&w0, s, 8);
            std::memcpy(&w1, s + 8, 8);
            std::memcpy(&w2, s + 16, 8);
            const std::uint64_t r0 = (((w0 >> 16) | (w1 << 48)) & down0) | (w0 & keep0) | ((w0 << 16) & up0);
            const std::uint64_t r1 =
                (((w1 >> 16) | (w2 << 48)) & down1) | (w1 & keep1) | (((w1 << 16) | (w0 >> 48)) & up1);
            const std::uint64_t r2 = ((w2 >> 16) & down2) | (w2 & keep2) | (((w2 << 16) | (w1 >> 48)) & up2);
            std::memcpy(d, &r0, 8);
            std::memcpy(d + 8, &r1, 8);
            std::memcpy(d + 16, &r2, 8);
        }
    }
    ExchangeBytewise<3>(s, d, count - i);
}

void Narrow16To8(const std::uint8_t* s, std::uint8_t* d, std::size_t count, bool swap)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t v = Load16(s + 2 * i);
        d[i] = Scale16To8(swap ? Swap16(v) : v);
    }
}

template <unsigned Stride>
void NarrowExchange(const std::uint8_t* s, std::uint8_t* d, std::size_t count, bool swap)
{
    const auto level = [swap](const std::uint8_t* p) {
        const std::uint16_t v = Load16(p);
        return Scale16To8(swap ? Swap16(v) : v);
    };
    for (std::size_t i = 0; i < count; ++i, s += 2 * Stride, d += Stride) {
        // The whole pixel is read before it is written, for rows converted in place.
        const std::uint8_t first = level(s);
        const std::uint8_t second = level(s + 2);
        const std::uint8_t third = level(s + 4);
        if constexpr (Stride == 4)
            d[3] = level(s + 6);
        d[0] = third;
        d[1] = second;
        d[2] = first;
    }
}

const TRowKernels Plain{"plain", ExchangeFirstAndThird3, ExchangeBytewise<4>, Narrow16To8, NarrowExchange<3>,
                       NarrowExchange<4>};

} // namespace

const TRowKernels& PlainRowKernels() { return Plain; }

const TRowKernels& RowKernels()
{
    static const TRowKernels* const chosen = [] {
        if (const TRowKernels* avx512 = Avx512RowKernels())
            return avx512;
        if (const TRowKernels* avx2 = Avx2RowKernels())
            return avx2;
        if (const TRowKernels* ssse3 = Ssse3RowKernels())
            return ssse3;
        return &Plain;
    }();
    return *chosen;
}

std::vector<const TRowKernels*> SupportedRowKernels()
{
    std::vector<const TRowKernels*> sets{&Plain};
    for (const TRowKernels* set : {Ssse3RowKernels(), Avx2RowKernels(), Avx512RowKernels()})
        if (set)
            sets.push_back(set);
    return sets;
}

} // namespace vidlark::color
