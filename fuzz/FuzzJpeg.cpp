// libFuzzer target: JPEG files through TJPEGImage; the last byte picks the
// DCT scale, so the reduced decodes are covered too.
#include "imaging/JPEGImage.h"

#include <cstddef>
#include <cstdint>

// Huge pictures are legal; converting them only slows the search down.
constexpr std::uint64_t MaxConvertedPixels = 1u << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    vidlark::TMemoryStream stream(data, size - 1);
    vidlark::TJPEGImage jpeg;
    jpeg.Scale = static_cast<vidlark::TJPEGScale>(data[size - 1] & 3);
    try {
        jpeg.LoadFromStream(stream);
        if (std::uint64_t(jpeg.GetWidth()) * jpeg.GetHeight() <= MaxConvertedPixels)
            jpeg.ToRGBA(false);
    } catch (const vidlark::EGraphicError&) {
    }
    return 0;
}
