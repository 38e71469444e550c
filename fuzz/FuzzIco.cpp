// libFuzzer target: Windows icon files through TIcon.
#include "imaging/Icon.h"

#include <cstddef>
#include <cstdint>

// Huge pictures are legal; converting them only slows the search down.
constexpr std::uint64_t MaxConvertedPixels = 1u << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vidlark::TMemoryStream stream(data, size);
    vidlark::TIcon icon;
    try {
        icon.LoadFromStream(stream);
        if (std::uint64_t(icon.GetWidth()) * icon.GetHeight() <= MaxConvertedPixels)
            icon.ToRGBA(true);
    } catch (const vidlark::EGraphicError&) {
    }
    return 0;
}
