#include "imaging/ColorManager.h"

#include "imaging/ColorConverters.h"
#include "imaging/ColorLab.h"
#include "imaging/GraphicErrors.h"

#include <algorithm>
#include <cmath>

namespace vidlark {

namespace {

bool IsSampleDepthValid(std::uint8_t bits) { return bits >= 1 && bits <= 16; }
bool IsSampleCountValid(std::uint8_t samples) { return samples >= 1 && samples <= 4; }
bool IsSubsamplingValid(std::uint8_t value) { return value == 1 || value == 2 || value == 4; }

// The converters of colour images handle samples of 8 and 16 bits only.
bool IsWholeByteDepth(std::uint8_t bits) { return bits == 8 || bits == 16; }

bool IsRgbFamily(TColorLayout layout) { return layout == schRGB || layout == schRGBA; }
bool IsBgrFamily(TColorLayout layout) { return layout == schBGR || layout == schBGRA; }
bool HasAlpha(TColorLayout layout) { return layout == schGrayAlpha || layout == schRGBA || layout == schBGRA; }

void SetAlphaFlag(TConversionFlags& flags, TColorLayout layout)
{
    if (HasAlpha(layout))
        flags |= cfAlpha;
    else
        flags &= static_cast<TConversionFlags>(~cfAlpha);
}

// Rounds to nearest, ties to even, and keeps absurd weights (a green weight
// of 0 gives infinities) inside a range where later sums cannot overflow.
std::int32_t RoundTableValue(double v)
{
    constexpr double limit = 1 << 20;
    if (std::isnan(v))
        return 0;
    return static_cast<std::int32_t>(std::nearbyint(std::clamp(v, -limit, limit)));
}

template <typename T>
void StoreIfChanged(T& field, T value, bool& needsSetup)
{
    if (field != value) {
        field = value;
        needsSetup = true;
    }
}

} // namespace

TColorManager::TColorManager() : FLabToSrgb(color::LabToLinearSrgbMatrix(color::LabDefaultWhite))
{
    BuildGammaTable();
}

void TColorManager::SetInLayout(TColorLayout layout) { StoreIfChanged(FInLayout, layout, FNeedsSetup); }

void TColorManager::SetOutLayout(TColorLayout layout) { StoreIfChanged(FOutLayout, layout, FNeedsSetup); }

void TColorManager::SetInBitsPerSample(std::uint8_t bits)
{
    if (!IsSampleDepthValid(bits))
        throw EColorConversionError(gesInvalidSampleDepth);
    StoreIfChanged(FInBitsPerSample, bits, FNeedsSetup);
}

void TColorManager::SetOutBitsPerSample(std::uint8_t bits)
{
    if (!IsSampleDepthValid(bits))
        throw EColorConversionError(gesInvalidSampleDepth);
    StoreIfChanged(FOutBitsPerSample, bits, FNeedsSetup);
}

void TColorManager::SetInSamplesPerPixel(std::uint8_t samples)
{
    if (!IsSampleCountValid(samples))
        throw EColorConversionError(gesInvalidPixelDepth);
    StoreIfChanged(FInSamplesPerPixel, samples, FNeedsSetup);
}

void TColorManager::SetOutSamplesPerPixel(std::uint8_t samples)
{
    if (!IsSampleCountValid(samples))
        throw EColorConversionError(gesInvalidPixelDepth);
    StoreIfChanged(FOutSamplesPerPixel, samples, FNeedsSetup);
}

void TColorManager::SetInAlphaPremultiplied(bool premultiplied)
{
    StoreIfChanged(FInAlphaPremultiplied, premultiplied, FNeedsSetup);
}

void TColorManager::SetGammas(float imageGamma, float screenGamma)
{
    FImageGamma = imageGamma > 0 ? imageGamma : 1.0f;
    FScreenGamma = screenGamma > 0 ? screenGamma : 2.2f;
    BuildGammaTable();
}

void TColorManager::BuildGammaTable()
{
    // Every user of the table (the colour converters and both palettes)
    // looks up 8-bit levels and wants 8-bit levels back, whatever the depths
    // of the two sides, so the table depends on the gammas alone and the
    // order of the setter calls cannot change it.
    const double exponent = 1.0 / (double{FImageGamma} * double{FScreenGamma});
    for (unsigned i = 0; i < FGammaTable.size(); ++i)
        FGammaTable[i] = static_cast<std::uint8_t>(std::min(std::nearbyint(std::pow(i / 255.0, exponent) * 255), 255.0));
}

void TColorManager::SetChromaParameters(std::span<const float> lumaWeights, std::uint8_t subsampleX,
                                        std::uint8_t subsampleY)
{
    const std::size_t given = std::min(lumaWeights.size(), FLumaWeights.size());
    std::copy_n(lumaWeights.begin(), given, FLumaWeights.begin());
    if (!IsSubsamplingValid(subsampleX) || !IsSubsamplingValid(subsampleY))
        throw EColorConversionError(gesInvalidSubSampling);
    if (subsampleY > subsampleX)
        throw EColorConversionError(gesVerticalSubSamplingError);
    FSubsampleX = subsampleX;
    FSubsampleY = subsampleY;
}

void TColorManager::SetChromaParameters(std::initializer_list<float> lumaWeights, std::uint8_t subsampleX,
                                        std::uint8_t subsampleY)
{
    SetChromaParameters(std::span<const float>(lumaWeights.begin(), lumaWeights.size()), subsampleX, subsampleY);
}

void TColorManager::SetLabWhitePoint(std::span<const float> chromaticity)
{
    FLabToSrgb = color::LabToLinearSrgbMatrix(chromaticity.size() == 2
                                                  ? color::LabWhiteFromChromaticity(chromaticity[0], chromaticity[1])
                                                  : color::LabDefaultWhite);
}

void TColorManager::BuildChromaTables(int redOffset, int blueOffset)
{
    const double kr = FLumaWeights[0];
    const double kg = FLumaWeights[1];
    const double kb = FLumaWeights[2];
    const double cr = 2 - 2 * kr;
    const double cb = 2 - 2 * kb;
    for (int i = 0; i < 256; ++i) {
        const double dr = i - redOffset;
        const double db = i - blueOffset;
        FChroma.RedFromCr[i] = RoundTableValue(cr * dr);
        FChroma.BlueFromCb[i] = RoundTableValue(cb * db);
        FChroma.GreenFromCr[i] = -RoundTableValue(kr * cr / kg * dr);
        FChroma.GreenFromCb[i] = -RoundTableValue(kb * cb / kg * db);
    }
}

void TColorManager::ChooseRowConverter()
{
    FRowConverter = nullptr;

    const bool sourceIndexed = FInLayout == schIndexed || FInLayout == schGray || FInLayout == schGrayAlpha;
    const bool targetIndexed = FOutLayout == schIndexed || FOutLayout == schGray;
    if (sourceIndexed != targetIndexed)
        throw EColorConversionError(gesIndexedNotSupported);

    const bool in16 = FInBitsPerSample == 16;
    const bool out16 = FOutBitsPerSample == 16;
    const bool wholeBytes = IsWholeByteDepth(FInBitsPerSample) && IsWholeByteDepth(FOutBitsPerSample);
    const bool toRgb = IsRgbFamily(FOutLayout);
    const bool toBgr = IsBgrFamily(FOutLayout);

    switch (FInLayout) {
    case schIndexed:
        if (in16 && out16)
            FRowConverter = color::Repack16To16;
        else if (in16)
            FRowConverter = color::Repack16ToN;
        else if (out16)
            FRowConverter = color::RepackNTo16;
        else
            FRowConverter = color::RepackNToM;
        break;
    case schGray:
        if (!in16 && !out16)
            FRowConverter = color::RepackNToM;
        else if (wholeBytes)
            FRowConverter = color::ConvertGray;
        break;
    case schGrayAlpha:
        if (wholeBytes)
            FRowConverter = color::ConvertGray;
        break;
    case schRGB:
    case schRGBA:
        // Without a target alpha the premultiplied colour is the picture
        // over black, which the plain converters give.
        if (wholeBytes && FInAlphaPremultiplied && FInLayout == schRGBA && HasAlpha(FOutLayout) && (toRgb || toBgr))
            FRowConverter = toRgb ? color::UnpremultiplyRgbKeepOrder : color::UnpremultiplyRgbSwapOrder;
        else if (wholeBytes && toRgb)
            FRowConverter = color::ConvertRgbKeepOrder;
        else if (wholeBytes && toBgr)
            FRowConverter = color::ConvertRgbSwapOrder;
        break;
    case schBGR:
    case schBGRA:
        if (wholeBytes && toRgb)
            FRowConverter = color::ConvertRgbSwapOrder;
        else if (wholeBytes && toBgr)
            FRowConverter = color::ConvertRgbKeepOrder;
        break;
    case schCMYK:
        if (wholeBytes && (toRgb || toBgr))
            FRowConverter = toRgb ? color::ConvertCmykToRgb : color::ConvertCmykToBgr;
        break;
    case schCIELab:
        if (wholeBytes && (toRgb || toBgr))
            FRowConverter = toRgb ? color::ConvertLabToRgb : color::ConvertLabToBgr;
        break;
    case schYCbCr:
    case schPhotoYCC:
        if (wholeBytes && (toRgb || toBgr)) {
            if (FInLayout == schYCbCr)
                BuildChromaTables(128, 128);
            else
                BuildChromaTables(137, 156);
            FRowConverter = toRgb ? color::ConvertYCbCrToRgb : color::ConvertYCbCrToBgr;
        }
        break;
    default:
        break;
    }

    FNeedsSetup = false;
}

void TColorManager::TransformRow(std::span<const void* const> sources, void* target, std::uint32_t count,
                                 std::uint8_t mask)
{
    if (FNeedsSetup)
        ChooseRowConverter();
    if (FRowConverter == nullptr)
        throw EColorConversionError(gesConversionUnsupported);
    // Readers assign the flag fields wholesale; the alpha flag is put back
    // from the layouts for every row, so such an assignment cannot drop it.
    SetAlphaFlag(InFlags, FInLayout);
    SetAlphaFlag(OutFlags, FOutLayout);
    if (sources.empty())
        color::RaiseSampleCountError();
    FRowConverter(*this, TRowJob{sources, target, count, mask});
}

void TColorManager::TransformRow(std::initializer_list<const void*> sources, void* target, std::uint32_t count,
                                 std::uint8_t mask)
{
    TransformRow(std::span<const void* const>(sources.begin(), sources.size()), target, count, mask);
}

void TColorManager::TransformRow(const void* source, void* target, std::uint32_t count, std::uint8_t mask)
{
    TransformRow(std::span<const void* const>(&source, 1), target, count, mask);
}

TPixelFormat TColorManager::PixelFormatFor(bool target) const
{
    const unsigned bits = target ? FOutBitsPerSample : FInBitsPerSample;
    const unsigned samples = target ? FOutSamplesPerPixel : FInSamplesPerPixel;
    switch (samples) {
    case 1:
        if (bits == 1)
            return pf1bit;
        if (bits >= 2 && bits <= 4)
            return pf4bit;
        if (bits >= 8 && bits <= 16)
            return pf8bit;
        return pfCustom;
    case 3:
        return bits <= 5 ? pf15bit : pf24bit;
    case 4:
        return bits >= 8 ? pf32bit : pfCustom;
    default:
        return pfCustom;
    }
}

} // namespace vidlark
