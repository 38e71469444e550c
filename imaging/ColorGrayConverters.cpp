// Grey and indexed rows: the grey converter for whole-byte depths and the
// repacks between any two depths of 1 to 16 bits.

#include "imaging/ColorConverters.h"
#include "imaging/ColorRowKernels.h"

#include <algorithm>

namespace vidlark::color {

namespace {

// Reads consecutive samples of a row: below 16 bits packed most significant
// bits first, 16 bits as whole (possibly big-endian) words.
class TSampleReader {
public:
    TSampleReader(const void* data, unsigned bits, bool swap)
        : FData(static_cast<const std::uint8_t*>(data)), FBits(bits), FSwap(swap)
    {
    }

    std::uint32_t Next()
    {
        if (FBits == 16) {
            const std::uint16_t v = Load16(FData + 2 * FIndex++);
            return FSwap ? Swap16(v) : v;
        }
        std::uint64_t bit = FIndex++ * FBits;
        std::uint32_t value = 0;
        for (unsigned need = FBits; need > 0;) {
            const unsigned offset = bit & 7u;
            const unsigned take = std::min(8u - offset, need);
            const unsigned chunk = (FData[bit >> 3] >> (8u - offset - take)) & ((1u << take) - 1u);
            value = (value << take) | chunk;
            need -= take;
            bit += take;
        }
        return value;
    }

private:
    const std::uint8_t* FData;
    std::uint64_t FIndex = 0;
    unsigned FBits;
    bool FSwap;
};

// Stores a sample at a pixel position, keeping the neighbouring bits.
class TSampleWriter {
public:
    TSampleWriter(void* data, unsigned bits, bool swap)
        : FData(static_cast<std::uint8_t*>(data)), FBits(bits), FSwap(swap)
    {
    }

    void Put(std::uint64_t index, std::uint32_t value)
    {
        if (FBits == 16) {
            const auto v = static_cast<std::uint16_t>(value);
            Store16(FData + 2 * index, FSwap ? Swap16(v) : v);
            return;
        }
        std::uint64_t bit = index * FBits;
        for (unsigned remaining = FBits; remaining > 0;) {
            const unsigned offset = bit & 7u;
            const unsigned take = std::min(8u - offset, remaining);
            const unsigned shift = 8u - offset - take;
            const unsigned fieldMask = ((1u << take) - 1u) << shift;
            const unsigned chunk = ((value >> (remaining - take)) << shift) & fieldMask;
            std::uint8_t& byte = FData[bit >> 3];
            byte = static_cast<std::uint8_t>((byte & ~fieldMask) | chunk);
            remaining -= take;
            bit += take;
        }
    }

private:
    std::uint8_t* FData;
    unsigned FBits;
    bool FSwap;
};

// Each source sample scaled to v * (2^m - 1) div (2^n - 1).
template <bool InWide, bool OutWide>
void Repack(const TColorManager& manager, const TRowJob& job)
{
    const unsigned inBits = InWide ? 16 : manager.InBitsPerSample();
    const unsigned outBits = OutWide ? 16 : manager.OutBitsPerSample();
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    // A 16-bit source is swapped when read; a 16-bit target of a narrower
    // source is swapped when written.
    const bool swapIn = InWide && swap;
    const bool swapOut = OutWide && !InWide && swap;

    if (job.Mask == 0xFF && inBits == outBits && !swapIn) {
        std::memcpy(job.Target, job.Sources[0], (std::uint64_t{job.Count} * inBits + 7) / 8);
        return;
    }
    if (InWide && job.Mask == 0xFF && outBits == 8) {
        RowKernels().Narrow16To8(static_cast<const std::uint8_t*>(job.Sources[0]),
                                 static_cast<std::uint8_t*>(job.Target), job.Count, swapIn);
        return;
    }
    const std::uint32_t inMax = (1u << inBits) - 1u;
    const std::uint32_t outMax = (1u << outBits) - 1u;
    TSampleReader reader(job.Sources[0], inBits, swapIn);
    TSampleWriter writer(job.Target, outBits, swapOut);
    for (std::uint32_t i = 0; i < job.Count; ++i) {
        if (job.Mask != 0xFF && !MaskSelects(job.Mask, i))
            continue;
        const std::uint32_t v = reader.Next();
        writer.Put(i, inMax == outMax ? v : v * outMax / inMax);
    }
}

template <bool InWide, bool OutWide>
void ConvertGrayRow(const TColorManager& manager, const TRowJob& job)
{
    constexpr unsigned inBytes = InWide ? 2 : 1;
    constexpr unsigned outBytes = OutWide ? 2 : 1;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    TSourceCursor source(job.Sources, 1, inBytes, manager.InLayout() == schGrayAlpha ? 2 : 1);
    auto* target = static_cast<std::uint8_t*>(job.Target);
    for (std::uint32_t i = 0; i < job.Count; ++i, target += outBytes) {
        if (job.Mask != 0xFF && !MaskSelects(job.Mask, i))
            continue;
        const std::uint32_t v = ReadSample(source[0], InWide, swap);
        if constexpr (InWide == OutWide) {
            if constexpr (OutWide)
                Store16(target, static_cast<std::uint16_t>(v));
            else
                *target = static_cast<std::uint8_t>(v);
        } else if constexpr (OutWide) {
            Store16(target, Scale8To16(static_cast<std::uint8_t>(v)));
        } else {
            *target = Scale16To8(static_cast<std::uint16_t>(v));
        }
        source.Next();
    }
}

} // namespace

void ConvertGray(const TColorManager& manager, const TRowJob& job)
{
    const bool in16 = manager.InBitsPerSample() == 16;
    const bool out16 = manager.OutBitsPerSample() == 16;
    const bool plainGray = manager.InLayout() == schGray && job.Sources.size() == 1 && job.Mask == 0xFF;
    if (in16 && !out16 && plainGray)
        RowKernels().Narrow16To8(static_cast<const std::uint8_t*>(job.Sources[0]),
                                 static_cast<std::uint8_t*>(job.Target), job.Count,
                                 (manager.InFlags & cfSwapBytes) != 0);
    else if (in16 && out16)
        ConvertGrayRow<true, true>(manager, job);
    else if (in16)
        ConvertGrayRow<true, false>(manager, job);
    else if (out16)
        ConvertGrayRow<false, true>(manager, job);
    else
        ConvertGrayRow<false, false>(manager, job);
}

void Repack16To16(const TColorManager& manager, const TRowJob& job) { Repack<true, true>(manager, job); }

void Repack16ToN(const TColorManager& manager, const TRowJob& job) { Repack<true, false>(manager, job); }

void RepackNTo16(const TColorManager& manager, const TRowJob& job) { Repack<false, true>(manager, job); }

void RepackNToM(const TColorManager& manager, const TRowJob& job) { Repack<false, false>(manager, job); }

} // namespace vidlark::color
