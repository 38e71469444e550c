#pragma once
// TColorManager turns rows of decoded samples, in whatever layout, depth and
// byte order a file stores them, into rows of the bitmap's pixel layout.
// A reader describes source and target, asks for the bitmap pixel format and
// the palettes, then hands each decoded row to TransformRow. The row
// converter is chosen once per change of description, never per pixel.

#include "imaging/PixelFormat.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace vidlark {

// Colour layout of stored pixels.
enum TColorLayout : std::uint8_t {
    schUnknown = 0,
    schIndexed = 1,   // palette index
    schGray = 2,
    schGrayAlpha = 3,
    schRGB = 4,
    schRGBA = 5,
    schBGR = 6,
    schBGRA = 7,
    schCMY = 8,
    schCMYK = 9,
    schCIELab = 10,
    schYCbCr = 11,    // luma, blue difference, red difference
    schPhotoYCC = 12, // Photo-CD luma and chroma
};

// Options of a side of the conversion, a set held in one byte.
enum TConversionFlag : std::uint8_t {
    cfAlpha = 1,       // the layout carries alpha; kept by the manager itself
    cfGamma = 2,       // target: colour samples go through the gamma table
    cfSwapBytes = 4,   // source: 16-bit samples are stored big-endian
    cfLabScaledL = 8,  // source: L* is scaled to 0..255 instead of 0..100
    cfLabOffsetAB = 16 // source: a* and b* are unsigned with offset 128
};
using TConversionFlags = std::uint8_t;

// The chroma look-up tables of a luma-chroma source.
struct TChromaTables {
    std::array<std::int32_t, 256> RedFromCr{};
    std::array<std::int32_t, 256> BlueFromCb{};
    std::array<std::int32_t, 256> GreenFromCr{};
    std::array<std::int32_t, 256> GreenFromCb{};
};

class TColorManager;

// One row handed to a converter: interleaved data come in one source
// buffer, planar data in one buffer per component.
struct TRowJob {
    std::span<const void* const> Sources;
    void* Target;
    std::uint32_t Count;
    std::uint8_t Mask;
};

using TRowConverter = void (*)(const TColorManager& manager, const TRowJob& job);

class TColorManager {
public:
    TColorManager();

    // Written directly by readers (cfAlpha is kept by the manager).
    TConversionFlags InFlags = 0;
    TConversionFlags OutFlags = 0;

    // Each setter stores its value and forces a new choice of converter when
    // the value differs from the stored one. Bits are 1..16, samples 1..4.
    void SetInLayout(TColorLayout layout);
    void SetOutLayout(TColorLayout layout);
    void SetInBitsPerSample(std::uint8_t bits);
    void SetOutBitsPerSample(std::uint8_t bits);
    void SetInSamplesPerPixel(std::uint8_t samples);
    void SetOutSamplesPerPixel(std::uint8_t samples);
    // RGBA sources whose colour samples are premultiplied by alpha: a target
    // with alpha gets them divided out again.
    void SetInAlphaPremultiplied(bool premultiplied);

    // A gamma that is not above 0 becomes 1.0 (image) or 2.2 (screen);
    // rebuilds the gamma table, which maps 8-bit levels to 8-bit levels.
    void SetGammas(float imageGamma, float screenGamma);
    // Luma weights red, green, blue (a shorter list keeps the rest) and the
    // chroma subsampling (1, 2 or 4; vertical at most horizontal).
    void SetChromaParameters(std::span<const float> lumaWeights, std::uint8_t subsampleX,
                             std::uint8_t subsampleY);
    void SetChromaParameters(std::initializer_list<float> lumaWeights, std::uint8_t subsampleX,
                             std::uint8_t subsampleY);
    // The white of a CIE L*a*b* source as its chromaticity x, y. D50, the
    // white of Lab data that name none, until set, and for any other count
    // of values or values that are no white (LabWhiteFromChromaticity).
    void SetLabWhitePoint(std::span<const float> chromaticity);

    // Converts Count pixels. One source pointer: interleaved samples; more:
    // planar data, one buffer per component in the order of the layout's
    // name. Mask selects pixels in groups of eight, bit 7 for the first.
    // With Mask 255 a row may be converted in place when a target pixel
    // takes no more bytes than a source pixel.
    void TransformRow(std::span<const void* const> sources, void* target, std::uint32_t count,
                      std::uint8_t mask = 0xFF);
    void TransformRow(std::initializer_list<const void*> sources, void* target, std::uint32_t count,
                      std::uint8_t mask = 0xFF);
    void TransformRow(const void* source, void* target, std::uint32_t count, std::uint8_t mask = 0xFF);

    // The bitmap pixel format of the target (true) or source (false) description.
    TPixelFormat PixelFormatFor(bool target) const;
    TPalette MakeGrayPalette(bool inverted) const;
    // Format 0..7: 8-bit (0..3) or 16-bit (4..7) values, interleaved three per
    // entry (0, 4), four per entry with the fourth skipped (1, 5), or in
    // three buffers red, green, blue (2, 3, 6, 7). At most 256 entries.
    TPalette MakeColorPalette(std::span<const void* const> data, std::uint8_t format, std::uint32_t count,
                              bool order) const;
    TPalette MakeColorPalette(std::initializer_list<const void*> data, std::uint8_t format,
                              std::uint32_t count, bool order) const;

    bool NeedsSetup() const { return FNeedsSetup; }
    std::uint8_t InBitsPerSample() const { return FInBitsPerSample; }
    std::uint8_t OutBitsPerSample() const { return FOutBitsPerSample; }
    std::uint8_t InSamplesPerPixel() const { return FInSamplesPerPixel; }
    std::uint8_t OutSamplesPerPixel() const { return FOutSamplesPerPixel; }
    bool InAlphaPremultiplied() const { return FInAlphaPremultiplied; }
    float ImageGamma() const { return FImageGamma; }
    float ScreenGamma() const { return FScreenGamma; }
    const std::array<std::uint8_t, 256>& GammaTable() const { return FGammaTable; }
    const std::array<float, 3>& LumaWeights() const { return FLumaWeights; }
    std::uint8_t SubsampleX() const { return FSubsampleX; }
    std::uint8_t SubsampleY() const { return FSubsampleY; }
    const TChromaTables& ChromaTables() const { return FChroma; }
    // Row-major, from white-relative X, Y, Z to linear sRGB.
    const std::array<float, 9>& LabToSrgbMatrix() const { return FLabToSrgb; }
    TColorLayout InLayout() const { return FInLayout; }
    TColorLayout OutLayout() const { return FOutLayout; }

private:
    void ChooseRowConverter();
    void BuildChromaTables(int redOffset, int blueOffset);
    void BuildGammaTable();

    bool FNeedsSetup = true;
    std::uint8_t FInBitsPerSample = 8;
    std::uint8_t FOutBitsPerSample = 8;
    std::uint8_t FInSamplesPerPixel = 3;
    std::uint8_t FOutSamplesPerPixel = 3;
    bool FInAlphaPremultiplied = false;
    float FImageGamma = 1.0f;
    float FScreenGamma = 2.2f;
    std::array<std::uint8_t, 256> FGammaTable{};
    std::array<float, 3> FLumaWeights{0.299f, 0.587f, 0.114f};
    std::uint8_t FSubsampleX = 1;
    std::uint8_t FSubsampleY = 1;
    TChromaTables FChroma;
    std::array<float, 9> FLabToSrgb{};
    TColorLayout FInLayout = schRGB;
    TColorLayout FOutLayout = schBGR;
    TRowConverter FRowConverter = nullptr;
};

} // namespace vidlark
