#pragma once
// The row converters of TColorManager and the sample primitives they share.
// Internal to the colour manager; readers use TColorManager only.
//
// Every buffer is addressed as bytes: 16-bit samples are read and written
// with memcpy because decoded rows need not be aligned.

#include "imaging/ColorManager.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vidlark::color {

inline std::uint16_t Load16(const std::uint8_t* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void Store16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

inline std::uint16_t Swap16(std::uint16_t v) { return static_cast<std::uint16_t>((v >> 8) | (v << 8)); }

// Truncating, so 65534 gives 254.
inline std::uint8_t Scale16To8(std::uint16_t v) { return static_cast<std::uint8_t>(std::uint32_t{v} * 255u / 65535u); }

inline std::uint16_t Scale8To16(std::uint8_t v) { return static_cast<std::uint16_t>(std::uint32_t{v} * 65535u / 255u); }

inline std::uint8_t Clamp8(std::int32_t v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// A source sample of 8 or 16 bits, swapped when the source is big-endian.
inline std::uint32_t ReadSample(const std::uint8_t* p, bool wide, bool swap)
{
    if (!wide)
        return *p;
    const std::uint16_t v = Load16(p);
    return swap ? Swap16(v) : v;
}

// True when the pixel at index i is selected by mask (bit 7 = first of eight).
inline bool MaskSelects(std::uint8_t mask, std::uint32_t i) { return (mask & (0x80u >> (i & 7u))) != 0; }

// Walks the samples of a source row: the address of each component of the
// current pixel, interleaved in one buffer or planar in one buffer each.
class TSourceCursor {
public:
    // components: how many components the converter reads; interleavedSamples:
    // samples per pixel of interleaved data. Planar data need a buffer per
    // component read, else EColorConversionError.
    TSourceCursor(std::span<const void* const> sources, unsigned components, unsigned sampleBytes,
                  unsigned interleavedSamples);

    const std::uint8_t* operator[](unsigned component) const { return FAt[component]; }
    void Next()
    {
        for (unsigned c = 0; c < FComponents; ++c)
            FAt[c] += FStep;
    }

private:
    std::array<const std::uint8_t*, 4> FAt{};
    std::size_t FStep = 0;
    unsigned FComponents = 0;
};

// Raises EColorConversionError with the message for a wrong sample count.
[[noreturn]] void RaiseSampleCountError();

// RGB and BGR sources to RGB and BGR targets. KeepOrder serves RGB to RGB
// and BGR to BGR; SwapOrder serves RGB to BGR and BGR to RGB.
void ConvertRgbKeepOrder(const TColorManager& manager, const TRowJob& job);
void ConvertRgbSwapOrder(const TColorManager& manager, const TRowJob& job);
// The same from premultiplied RGBA sources to targets with alpha: colour
// samples divided by alpha, rounded; pixels of alpha 0 come out 0.
void UnpremultiplyRgbKeepOrder(const TColorManager& manager, const TRowJob& job);
void UnpremultiplyRgbSwapOrder(const TColorManager& manager, const TRowJob& job);

// Grey (and grey-alpha) sources of 8 or 16 bits to one grey sample.
void ConvertGray(const TColorManager& manager, const TRowJob& job);

// Indexed and grey repacks between bit depths.
void Repack16To16(const TColorManager& manager, const TRowJob& job);
void Repack16ToN(const TColorManager& manager, const TRowJob& job);
void RepackNTo16(const TColorManager& manager, const TRowJob& job);
void RepackNToM(const TColorManager& manager, const TRowJob& job);

// Colour spaces that are turned into RGB or BGR.
void ConvertCmykToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertCmykToBgr(const TColorManager& manager, const TRowJob& job);
void ConvertLabToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertLabToBgr(const TColorManager& manager, const TRowJob& job);
void ConvertYCbCrToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertYCbCrToBgr(const TColorManager& manager, const TRowJob& job);

} // namespace vidlark::color
