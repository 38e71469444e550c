#include "imaging/ColorLab.h"

#include <cmath>

namespace vidlark::color {

namespace {

using TMatrix = std::array<std::array<double, 3>, 3>;
using TVector = std::array<double, 3>;

// XYZ to cone responses, and back (Bradford).
constexpr TMatrix Bradford{{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
constexpr TMatrix InverseBradford{{{0.9869929055, -0.1470542564, 0.1599626517},
                                   {0.4323052697, 0.5183602715, 0.0492912282},
                                   {-0.0085286646, 0.0400428217, 0.9684866958}}};

// XYZ to linear sRGB, worked out from the sRGB primaries and the D65 white
// below, so that this white comes out as exactly 1, 1, 1.
constexpr TMatrix XyzToSrgb{{{3.2409699419, -1.5373831776, -0.4986107603},
                             {-0.9692436363, 1.8759675015, 0.0415550574},
                             {0.0556300797, -0.2039769589, 1.0569715142}}};
constexpr TVector D65{0.3127 / 0.3290, 1.0, (1 - 0.3127 - 0.3290) / 0.3290};

TVector Times(const TMatrix& m, const TVector& v)
{
    TVector r{};
    for (unsigned i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

TMatrix Times(const TMatrix& a, const TMatrix& b)
{
    TMatrix r{};
    for (unsigned i = 0; i < 3; ++i)
        for (unsigned j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}

// The least luminance coordinate and cone response of a usable white.
constexpr float LeastWhiteY = 0.1f;
constexpr double LeastConeResponse = 0.1;

} // namespace

std::array<double, 3> LabWhiteFromChromaticity(float x, float y)
{
    if (!(x > 0 && y >= LeastWhiteY && x + y < 1))
        return LabDefaultWhite;
    const TVector white{x / double{y}, 1.0, (1 - double{x} - y) / y};
    for (double response : Times(Bradford, white))
        if (!(response >= LeastConeResponse))
            return LabDefaultWhite;
    return white;
}

std::array<float, 9> LabToLinearSrgbMatrix(const std::array<double, 3>& white)
{
    // Bradford: scale the cone responses of the white onto those of D65.
    const TVector from = Times(Bradford, white);
    const TVector to = Times(Bradford, D65);
    TMatrix scaled = Bradford;
    for (unsigned i = 0; i < 3; ++i)
        for (double& v : scaled[i])
            v *= to[i] / from[i];
    const TMatrix toSrgb = Times(XyzToSrgb, Times(InverseBradford, scaled));
    // The tristimulus values arrive relative to the white.
    std::array<float, 9> m{};
    for (unsigned i = 0; i < 3; ++i)
        for (unsigned j = 0; j < 3; ++j)
            m[i * 3 + j] = static_cast<float>(toSrgb[i][j] * white[j]);
    return m;
}

TLabSampleCoding LabSampleCoding(bool wide, TConversionFlags flags)
{
    const bool scaledL = (flags & cfLabScaledL) != 0;
    const bool offsetAB = (flags & cfLabOffsetAB) != 0;
    const float top = wide ? 65535.0f : 255.0f;
    // L* as 0..100 in 16 bits is taken as the 8-bit value with a fraction.
    const float lightness = scaledL ? 100.0f / top : (wide ? 1.0f / 257.0f : 1.0f);
    // Flipped, every chroma sample is offset by half its range; 16-bit
    // signed ones count 1/256 steps, offset ones the 8-bit coding times 257.
    const float chroma = !wide ? 1.0f : (offsetAB ? 1.0f / 257.0f : 1.0f / 256.0f);
    return TLabSampleCoding{
        .LightScale = lightness / 116.0f,
        .LightOffset = 16.0f / 116.0f,
        .AScale = chroma / 500.0f,
        .AOffset = -128.0f / 500.0f,
        .BScale = chroma / 200.0f,
        .BOffset = -128.0f / 200.0f,
        .ChromaFlip = offsetAB ? 0u : (wide ? 0x8000u : 0x80u),
    };
}

const std::array<std::uint8_t, SrgbTableSize>& SrgbEncodeTable()
{
    static const std::array<std::uint8_t, SrgbTableSize> table = [] {
        std::array<std::uint8_t, SrgbTableSize> t{};
        for (unsigned i = 0; i < SrgbTableSize; ++i) {
            const double linear = double(i) / (SrgbTableSize - 1);
            const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            t[i] = static_cast<std::uint8_t>(std::lround(encoded * 255));
        }
        return t;
    }();
    return table;
}

} // namespace vidlark::color
