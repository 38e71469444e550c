// CMYK, CIE L*a*b* and luma-chroma (YCbCr, Photo-CD) rows to RGB or BGR.
// None of them applies gamma; a target alpha sample is skipped, not written.

#include "imaging/ColorConverters.h"

#include <cmath>

namespace vidlark::color {

namespace {

struct TRgb {
    std::uint32_t Red;
    std::uint32_t Green;
    std::uint32_t Blue;
};

// Runs pixel(source) -> TRgb over the selected pixels of a row. The result
// is at depth resultWide (16 or 8 bits) and stored at the target's depth.
template <bool Bgr, typename PixelFn>
void ConvertToRgb(const TColorManager& manager, const TRowJob& job, unsigned components, bool resultWide,
                  PixelFn pixel)
{
    const bool inWide = manager.InBitsPerSample() == 16;
    const bool outWide = manager.OutBitsPerSample() == 16;
    const unsigned outBytes = outWide ? 2 : 1;
    const std::size_t outStride = ((manager.OutFlags & cfAlpha) != 0 ? 4 : 3) * outBytes;
    const auto store = [&](std::uint8_t* d, std::uint32_t v) {
        if (outWide)
            Store16(d, resultWide ? static_cast<std::uint16_t>(v) : Scale8To16(static_cast<std::uint8_t>(v)));
        else
            *d = resultWide ? Scale16To8(static_cast<std::uint16_t>(v)) : static_cast<std::uint8_t>(v);
    };

    TSourceCursor source(job.Sources, components, inWide ? 2 : 1, components);
    auto* target = static_cast<std::uint8_t*>(job.Target);
    for (std::uint32_t i = 0; i < job.Count; ++i, target += outStride) {
        if (job.Mask != 0xFF && !MaskSelects(job.Mask, i))
            continue;
        const TRgb c = pixel(source);
        store(target, Bgr ? c.Blue : c.Red);
        store(target + outBytes, c.Green);
        store(target + 2 * outBytes, Bgr ? c.Red : c.Blue);
        source.Next();
    }
}

template <bool Bgr>
void ConvertCmyk(const TColorManager& manager, const TRowJob& job)
{
    const bool wide = manager.InBitsPerSample() == 16;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const std::uint32_t full = wide ? 65535 : 255;
    ConvertToRgb<Bgr>(manager, job, 4, wide, [&](const TSourceCursor& s) {
        const std::uint32_t k = ReadSample(s[3], wide, swap);
        const auto level = [&](std::uint32_t ink) {
            const std::uint32_t covered = ink - ink * k / full + k;
            return covered >= full ? 0 : full - covered;
        };
        return TRgb{level(ReadSample(s[0], wide, swap)), level(ReadSample(s[1], wide, swap)),
                    level(ReadSample(s[2], wide, swap))};
    });
}

// 0..255 from a colour value, rounded to nearest with ties to even.
std::uint32_t RoundLevel(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 255)
        return 255;
    return static_cast<std::uint32_t>(std::nearbyint(v));
}

template <bool Bgr>
void ConvertLab(const TColorManager& manager, const TRowJob& job)
{
    const bool wide = manager.InBitsPerSample() == 16;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const bool scaledL = (manager.InFlags & cfLabScaledL) != 0;
    const bool offsetAB = (manager.InFlags & cfLabOffsetAB) != 0;
    // 16-bit samples are taken as 8-bit values with a fraction (v / 257),
    // so v = 257 k gives exactly the result of the 8-bit sample k.
    const auto unit = [&](const std::uint8_t* p) {
        const std::uint32_t v = ReadSample(p, wide, swap);
        return wide ? v / 257.0 : double(v);
    };
    const auto chroma = [&](const std::uint8_t* p) {
        const double v = unit(p);
        if (offsetAB)
            return v - 128;
        return v >= 128 ? v - 256 : v;
    };
    ConvertToRgb<Bgr>(manager, job, 3, false, [&](const TSourceCursor& s) {
        const double l = scaledL ? unit(s[0]) / 2.55 : unit(s[0]);
        const double a = chroma(s[1]);
        const double b = chroma(s[2]);
        const double fy = (l + 16) / 116;
        double x, y, z;
        if (l < 7.9996) {
            y = l / 903.3;
            x = a / 3893.5 + y;
            z = y - b / 1557.4;
        } else {
            const double fx = a / 500 + fy;
            const double fz = fy - b / 200;
            x = fx * fx * fx;
            y = fy * fy * fy;
            z = fz * fz * fz;
        }
        return TRgb{RoundLevel((2.998 * x - 1.458 * y - 0.541 * z) * 255),
                    RoundLevel((-0.952 * x + 1.893 * y + 0.059 * z) * 255),
                    RoundLevel((0.099 * x - 0.198 * y + 1.099 * z) * 255)};
    });
}

template <bool Bgr>
void ConvertYCbCr(const TColorManager& manager, const TRowJob& job)
{
    const bool wide = manager.InBitsPerSample() == 16;
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const TChromaTables& t = manager.ChromaTables();
    const auto index = [&](const std::uint8_t* p) {
        const std::uint32_t v = ReadSample(p, wide, swap);
        return wide ? Scale16To8(static_cast<std::uint16_t>(v)) : static_cast<std::uint8_t>(v);
    };
    ConvertToRgb<Bgr>(manager, job, 3, false, [&](const TSourceCursor& s) {
        const std::int32_t y = index(s[0]);
        const std::uint8_t cb = index(s[1]);
        const std::uint8_t cr = index(s[2]);
        return TRgb{Clamp8(y + t.RedFromCr[cr]), Clamp8(y + t.GreenFromCb[cb] + t.GreenFromCr[cr]),
                    Clamp8(y + t.BlueFromCb[cb])};
    });
}

} // namespace

void ConvertCmykToRgb(const TColorManager& manager, const TRowJob& job) { ConvertCmyk<false>(manager, job); }
void ConvertCmykToBgr(const TColorManager& manager, const TRowJob& job) { ConvertCmyk<true>(manager, job); }
void ConvertLabToRgb(const TColorManager& manager, const TRowJob& job) { ConvertLab<false>(manager, job); }
void ConvertLabToBgr(const TColorManager& manager, const TRowJob& job) { ConvertLab<true>(manager, job); }
void ConvertYCbCrToRgb(const TColorManager& manager, const TRowJob& job) { ConvertYCbCr<false>(manager, job); }
void ConvertYCbCrToBgr(const TColorManager& manager, const TRowJob& job) { ConvertYCbCr<true>(manager, job); }

} // namespace vidlark::color
