#include "imaging/ColorConverters.h"

#include "imaging/GraphicErrors.h"

namespace vidlark::color {

TSourceCursor::TSourceCursor(std::span<const void* const> sources, unsigned components, unsigned sampleBytes,
                             unsigned interleavedSamples)
    : FComponents(components)
{
    if (sources.size() == 1) {
        const auto* base = static_cast<const std::uint8_t*>(sources[0]);
        for (unsigned c = 0; c < components; ++c)
            FAt[c] = base + std::size_t{c} * sampleBytes;
        FStep = std::size_t{interleavedSamples} * sampleBytes;
        return;
    }
    if (sources.size() < components)
        RaiseSampleCountError();
    for (unsigned c = 0; c < components; ++c)
        FAt[c] = static_cast<const std::uint8_t*>(sources[c]);
    FStep = sampleBytes;
}

void RaiseSampleCountError() { throw EColorConversionError(gesInvalidPixelDepth); }

} // namespace vidlark::color
