// RGB and BGR rows to RGB and BGR rows, in 8 and 16 bits per sample, with
// byte swap, gamma and alpha, straight or premultiplied. Reverse means the three colour samples are
// written in the opposite order to the one they are read in.

#include "imaging/ColorConverters.h"
#include "imaging/ColorRowKernels.h"

#include <algorithm>

namespace vidlark::color {

namespace {

// One sample's level as read (8 or 16 bits, already in host order) at the
// target's depth. gamma is the table for colour samples, null for alpha.
// swap applies to an 8-bit sample widened to 16.
template <bool InWide, bool OutWide>
inline std::uint16_t ConvertLevel(std::uint32_t v, bool swap, const std::uint8_t* gamma)
{
    if constexpr (!InWide) {
        const std::uint8_t g = gamma ? gamma[v] : static_cast<std::uint8_t>(v);
        if constexpr (!OutWide)
            return g;
        const std::uint16_t w = Scale8To16(g);
        return swap ? Swap16(w) : w;
    } else {
        if constexpr (OutWide)
            return static_cast<std::uint16_t>(v);
        const std::uint8_t b = Scale16To8(static_cast<std::uint16_t>(v));
        return gamma ? gamma[b] : b;
    }
}

// A colour level divided by its alpha, both on the scale 0..full.
inline std::uint32_t Unpremultiplied(std::uint32_t level, std::uint32_t alpha, std::uint32_t full)
{
    if (alpha == 0)
        return 0;
    return std::min(full, (level * full + alpha / 2) / alpha);
}

template <bool OutWide>
inline void StoreSample(std::uint8_t* d, std::uint16_t v)
{
    if constexpr (OutWide)
        Store16(d, v);
    else
        *d = static_cast<std::uint8_t>(v);
}

template <bool Reverse, bool InWide, bool OutWide, bool Premultiplied>
void ConvertRows(const TColorManager& manager, const TRowJob& job)
{
    constexpr unsigned inBytes = InWide ? 2 : 1;
    constexpr unsigned outBytes = OutWide ? 2 : 1;
    constexpr std::uint32_t full = InWide ? 65535 : 255;
    const bool inAlpha = (manager.InFlags & cfAlpha) != 0;
    const bool outAlpha = (manager.OutFlags & cfAlpha) != 0;
    const bool copyAlpha = inAlpha && outAlpha;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const std::uint8_t* gamma = (manager.OutFlags & cfGamma) != 0 ? manager.GammaTable().data() : nullptr;
    const std::size_t outStride = (outAlpha ? 4 : 3) * outBytes;

    TSourceCursor source(job.Sources, copyAlpha ? 4 : 3, inBytes, inAlpha ? 4 : 3);
    auto* target = static_cast<std::uint8_t*>(job.Target);
    for (std::uint32_t i = 0; i < job.Count; ++i, target += outStride) {
        if (job.Mask != 0xFF && !MaskSelects(job.Mask, i))
            continue;
        // The whole pixel is read before it is written, for rows converted in place.
        std::uint32_t first = ReadSample(source[0], InWide, swap);
        std::uint32_t second = ReadSample(source[1], InWide, swap);
        std::uint32_t third = ReadSample(source[2], InWide, swap);
        const std::uint32_t alpha = copyAlpha ? ReadSample(source[3], InWide, swap) : 0;
        if constexpr (Premultiplied) {
            first = Unpremultiplied(first, alpha, full);
            second = Unpremultiplied(second, alpha, full);
            third = Unpremultiplied(third, alpha, full);
        }
        StoreSample<OutWide>(target, ConvertLevel<InWide, OutWide>(Reverse ? third : first, swap, gamma));
        StoreSample<OutWide>(target + outBytes, ConvertLevel<InWide, OutWide>(second, swap, gamma));
        StoreSample<OutWide>(target + 2 * outBytes, ConvertLevel<InWide, OutWide>(Reverse ? first : third, swap, gamma));
        if (copyAlpha)
            StoreSample<OutWide>(target + 3 * outBytes, ConvertLevel<InWide, OutWide>(alpha, swap, nullptr));
        source.Next();
    }
}

// 8 bits on both sides, interleaved, every pixel, no gamma, where only one
// side has alpha: plain loops the compiler turns into vector code.
template <bool Reverse, unsigned InStride, unsigned OutStride, bool CopyAlpha>
void ConvertBytes(const std::uint8_t* s, std::uint8_t* d, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t first = s[0];
        const std::uint8_t second = s[1];
        const std::uint8_t third = s[2];
        d[0] = Reverse ? third : first;
        d[1] = second;
        d[2] = Reverse ? first : third;
        if constexpr (CopyAlpha)
            d[3] = s[3];
        s += InStride;
        d += OutStride;
    }
}

template <bool Reverse>
void ConvertBytesFast(const TColorManager& manager, const TRowJob& job)
{
    const bool inAlpha = (manager.InFlags & cfAlpha) != 0;
    const bool outAlpha = (manager.OutFlags & cfAlpha) != 0;
    const auto* s = static_cast<const std::uint8_t*>(job.Sources[0]);
    auto* d = static_cast<std::uint8_t*>(job.Target);
    const bool sameStride = inAlpha == outAlpha;
    if (!Reverse && sameStride)
        std::memmove(d, s, std::size_t{job.Count} * (inAlpha ? 4 : 3));
    else if (!inAlpha && !outAlpha)
        RowKernels().ExchangeFirstAndThird3(s, d, job.Count);
    else if (inAlpha && outAlpha)
        RowKernels().ExchangeFirstAndThird4(s, d, job.Count);
    else if (inAlpha)
        ConvertBytes<Reverse, 4, 3, false>(s, d, job.Count);
    else
        ConvertBytes<Reverse, 3, 4, false>(s, d, job.Count);
}

// 16 bits to 8 under the same conditions, alpha on both sides or neither.
template <bool Reverse>
void NarrowFast(const TColorManager& manager, const TRowJob& job)
{
    const bool alpha = (manager.InFlags & cfAlpha) != 0;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const auto* s = static_cast<const std::uint8_t*>(job.Sources[0]);
    auto* d = static_cast<std::uint8_t*>(job.Target);
    const TRowKernels& kernels = RowKernels();
    if constexpr (Reverse)
        (alpha ? kernels.NarrowExchange4 : kernels.NarrowExchange3)(s, d, job.Count, swap);
    else
        kernels.Narrow16To8(s, d, std::size_t{job.Count} * (alpha ? 4 : 3), swap);
}

template <bool Reverse, bool Premultiplied>
void ConvertRgb(const TColorManager& manager, const TRowJob& job)
{
    const bool in16 = manager.InBitsPerSample() == 16;
    const bool out16 = manager.OutBitsPerSample() == 16;
    const bool plain = !Premultiplied && job.Mask == 0xFF && job.Sources.size() == 1 &&
                       (manager.OutFlags & cfGamma) == 0;
    const bool sameAlpha = ((manager.InFlags ^ manager.OutFlags) & cfAlpha) == 0;
    if (!in16 && !out16 && plain)
        ConvertBytesFast<Reverse>(manager, job);
    else if (in16 && !out16 && plain && sameAlpha)
        NarrowFast<Reverse>(manager, job);
    else if (!in16 && !out16)
        ConvertRows<Reverse, false, false, Premultiplied>(manager, job);
    else if (!in16)
        ConvertRows<Reverse, false, true, Premultiplied>(manager, job);
    else if (!out16)
        ConvertRows<Reverse, true, false, Premultiplied>(manager, job);
    else
        ConvertRows<Reverse, true, true, Premultiplied>(manager, job);
}

} // namespace

void ConvertRgbKeepOrder(const TColorManager& manager, const TRowJob& job) { ConvertRgb<false, false>(manager, job); }

void ConvertRgbSwapOrder(const TColorManager& manager, const TRowJob& job) { ConvertRgb<true, false>(manager, job); }

void UnpremultiplyRgbKeepOrder(const TColorManager& manager, const TRowJob& job)
{
    ConvertRgb<false, true>(manager, job);
}

void UnpremultiplyRgbSwapOrder(const TColorManager& manager, const TRowJob& job)
{
    ConvertRgb<true, true>(manager, job);
}

} // namespace vidlark::color
