// The palettes that the colour manager builds for indexed and grey targets.

#include "imaging/ColorConverters.h"
#include "imaging/GraphicErrors.h"

#include <algorithm>

namespace vidlark {

using namespace color;

TPalette TColorManager::MakeGrayPalette(bool inverted) const
{
    const unsigned bits = std::min(unsigned{FOutBitsPerSample} * FOutSamplesPerPixel, 8u);
    const unsigned count = 1u << bits;
    const unsigned step = 255 / (count - 1);
    const bool gamma = (OutFlags & cfGamma) != 0;
    TPalette palette(count);
    for (unsigned i = 0; i < count; ++i) {
        const auto level = static_cast<std::uint8_t>(i * step);
        const std::uint8_t shown = gamma ? FGammaTable[level] : level;
        palette[inverted ? count - 1 - i : i] = TPaletteEntry{shown, shown, shown, 0};
    }
    return palette;
}

TPalette TColorManager::MakeColorPalette(std::span<const void* const> data, std::uint8_t format,
                                         std::uint32_t count, bool order) const
{
    if (format > 7)
        throw EColorConversionError(gesConversionUnsupported);
    const bool wide = format >= 4;
    const bool planar = (format & 3) >= 2;
    const bool fourthSkipped = (format & 3) == 1;
    if (data.size() < (planar ? 3u : 1u))
        RaiseSampleCountError();

    const unsigned bytes = wide ? 2 : 1;
    const bool swap = (InFlags & cfSwapBytes) != 0;
    const std::uint8_t* gamma = (OutFlags & cfGamma) != 0 ? FGammaTable.data() : nullptr;
    const auto level = [&](const std::uint8_t* p) {
        const std::uint32_t v = ReadSample(p, wide, swap);
        const std::uint8_t b = wide ? Scale16To8(static_cast<std::uint16_t>(v)) : static_cast<std::uint8_t>(v);
        return gamma ? gamma[b] : b;
    };
    // Interleaved 8-bit entries are blue first when order is set; 16-bit
    // entries are red first when order is set.
    const bool blueFirst = wide ? !order : order;

    std::array<TPaletteEntry, MaxPaletteEntries> entries{};
    const std::size_t built = std::min<std::size_t>(count, MaxPaletteEntries);
    for (std::size_t i = 0; i < built; ++i) {
        const std::uint8_t *first, *second, *third;
        if (planar) {
            first = static_cast<const std::uint8_t*>(data[0]) + i * bytes;
            second = static_cast<const std::uint8_t*>(data[1]) + i * bytes;
            third = static_cast<const std::uint8_t*>(data[2]) + i * bytes;
        } else {
            const auto* entry = static_cast<const std::uint8_t*>(data[0]) + i * (fourthSkipped ? 4 : 3) * bytes;
            first = entry;
            second = entry + bytes;
            third = entry + 2 * bytes;
        }
        if (!planar && blueFirst)
            std::swap(first, third);
        entries[i] = TPaletteEntry{level(first), level(second), level(third), 0};
    }

    // A source index range that differs from the target's: spread the
    // entries so that an index repacked to the target keeps its colour.
    std::size_t size = built;
    if (FOutBitsPerSample <= 8) {
        const std::uint32_t inMax = (1u << FInBitsPerSample) - 1u;
        const std::uint32_t outMax = (1u << FOutBitsPerSample) - 1u;
        const auto spread = [&](std::uint32_t i) {
            const std::uint32_t from = i * inMax / outMax;
            // A 16-bit source range reaches past the entries; those are black.
            entries[i] = from < entries.size() ? entries[from] : TPaletteEntry{};
        };
        if (outMax > inMax) {
            for (std::uint32_t i = outMax + 1; i-- > 0;)
                spread(i);
        } else if (outMax < inMax) {
            for (std::uint32_t i = 0; i <= outMax; ++i)
                spread(i);
        }
        if (outMax != inMax)
            size = outMax + 1;
    }
    return TPalette(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(size));
}

TPalette TColorManager::MakeColorPalette(std::initializer_list<const void*> data, std::uint8_t format,
                                         std::uint32_t count, bool order) const
{
    return MakeColorPalette(std::span<const void* const>(data.begin(), data.size()), format, count, order);
}

} // namespace vidlark
