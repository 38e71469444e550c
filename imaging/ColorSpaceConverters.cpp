// CMYK, CIE L*a*b* and luma-chroma (YCbCr, Photo-CD) rows to RGB or BGR.
// None of them applies the gamma table (Lab has the sRGB curve of its own);
// a target alpha sample is skipped, not written.

#include "imaging/ColorConverters.h"
#include "imaging/ColorLab.h"

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

// L*a*b* to XYZ of the source white, to linear sRGB by the manager's
// matrix, through the sRGB curve. The matrix is a local copy, so that the
// stores of bytes into the target cannot make the compiler reload it.
template <bool Bgr, bool Wide>
void ConvertLabSamples(const TColorManager& manager, const TRowJob& job)
{
    const bool swap = (manager.InFlags & cfSwapBytes) != 0;
    const TLabSampleCoding c = LabSampleCoding(Wide, manager.InFlags);
    const std::array<float, 9> m = manager.LabToSrgbMatrix();
    const std::array<std::uint8_t, SrgbTableSize>& encode = SrgbEncodeTable();
    const auto sample = [&](const std::uint8_t* p) { return float(ReadSample(p, Wide, swap)); };
    const auto chroma = [&](const std::uint8_t* p) { return float(ReadSample(p, Wide, swap) ^ c.ChromaFlip); };
    const auto pixel = [&](const std::uint8_t* l, const std::uint8_t* a, const std::uint8_t* b) {
        const float fy = c.LightScale * sample(l) + c.LightOffset;
        const float x = LabInverseF(fy + c.AScale * chroma(a) + c.AOffset);
        const float y = LabInverseF(fy);
        const float z = LabInverseF(fy - (c.BScale * chroma(b) + c.BOffset));
        return TRgb{EncodeSrgb(encode, m[0] * x + m[1] * y + m[2] * z),
                    EncodeSrgb(encode, m[3] * x + m[4] * y + m[5] * z),
                    EncodeSrgb(encode, m[6] * x + m[7] * y + m[8] * z)};
    };

    // Whole interleaved rows into three bytes a pixel, the readers' case,
    // without the general walk's per-pixel bookkeeping.
    constexpr unsigned inBytes = Wide ? 2 : 1;
    if (job.Sources.size() == 1 && job.Mask == 0xFF && manager.OutBitsPerSample() == 8 &&
        (manager.OutFlags & cfAlpha) == 0) {
        const auto* s = static_cast<const std::uint8_t*>(job.Sources[0]);
        auto* d = static_cast<std::uint8_t*>(job.Target);
        for (std::uint32_t i = 0; i < job.Count; ++i, s += 3 * inBytes, d += 3) {
            const TRgb rgb = pixel(s, s + inBytes, s + 2 * inBytes);
            d[0] = static_cast<std::uint8_t>(Bgr ? rgb.Blue : rgb.Red);
            d[1] = static_cast<std::uint8_t>(rgb.Green);
            d[2] = static_cast<std::uint8_t>(Bgr ? rgb.Red : rgb.Blue);
        }
        return;
    }
    ConvertToRgb<Bgr>(manager, job, 3, false, [&](const TSourceCursor& s) { return pixel(s[0], s[1], s[2]); });
}

template <bool Bgr>
void ConvertLab(const TColorManager& manager, const TRowJob& job)
{
    if (manager.InBitsPerSample() == 16)
        ConvertLabSamples<Bgr, true>(manager, job);
    else
        ConvertLabSamples<Bgr, false>(manager, job);
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
