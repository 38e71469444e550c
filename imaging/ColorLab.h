#pragma once
// CIE L*a*b* to sRGB for the colour manager. L*a*b* is relative to a white
// (D50 unless the file names another); the colour goes through XYZ of that
// white, the Bradford adaptation to D65, the sRGB primaries and the sRGB
// transfer curve. Internal to the colour manager; readers use TColorManager.

#include "imaging/ColorManager.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vidlark::color {

// XYZ of the white of Lab data that do not name one: the D50 of ICC profiles.
inline constexpr std::array<double, 3> LabDefaultWhite{0.9642, 1.0, 0.8249};

// XYZ (Y = 1) of the white with chromaticity x, y, or LabDefaultWhite when
// x, y is no usable white: outside x > 0, y >= 0.1, x + y < 1, or with a
// cone response (Bradford) below 0.1. Every real light source passes; the
// limits keep the matrix below, and so every linear value, well inside
// the range EncodeSrgb converts.
std::array<double, 3> LabWhiteFromChromaticity(float x, float y);

// Row-major 3 x 3 matrix from the white-relative tristimulus values
// (X/Xw, Y/Yw, Z/Zw) to linear sRGB.
std::array<float, 9> LabToLinearSrgbMatrix(const std::array<double, 3>& white);

// How the three stored samples of a pixel become the terms of the Lab to
// XYZ formulas: f(Y) = LightScale * L + LightOffset, a* / 500 =
// AScale * (A ^ ChromaFlip) + AOffset, b* / 200 likewise. ChromaFlip turns
// signed chroma samples into ones offset by half their range.
struct TLabSampleCoding {
    float LightScale;
    float LightOffset;
    float AScale;
    float AOffset;
    float BScale;
    float BOffset;
    std::uint32_t ChromaFlip;
};

// The coding of 8- or 16-bit (wide) samples under the cfLab flags: L* as
// 0..100 or scaled to the sample's range; a*, b* signed (8 bits: the value,
// 16 bits: 1/256 steps) or offset by half the range (the 8-bit coding
// scaled by 257 for 16 bits).
TLabSampleCoding LabSampleCoding(bool wide, TConversionFlags flags);

// f^-1 of the Lab formulas: t^3 above 6/29, the linear part below.
inline float LabInverseF(float t)
{
    constexpr float delta = 6.0f / 29.0f;
    return t > delta ? t * t * t : 3.0f * delta * delta * (t - 4.0f / 29.0f);
}

// The sRGB transfer curve from linear light 0..1 to 8-bit levels, as a
// table of SrgbTableSize entries over that range. Near black one step of
// the table is 0.2 of a level (4096 steps would be 0.8, and one level in
// twenty would come out one off).
inline constexpr unsigned SrgbTableSize = 16384;
const std::array<std::uint8_t, SrgbTableSize>& SrgbEncodeTable();

// Linear light to its 8-bit sRGB level; below 0 gives 0, above 1 gives 255.
// linear is a product of LabToLinearSrgbMatrix, so far inside the range of
// int: clamping the integer index keeps this free of branches.
inline std::uint8_t EncodeSrgb(const std::array<std::uint8_t, SrgbTableSize>& table, float linear)
{
    const int index = static_cast<int>(linear * float(SrgbTableSize - 1) + 0.5f);
    return table[static_cast<unsigned>(std::clamp(index, 0, int(SrgbTableSize - 1)))];
}

} // namespace vidlark::color
