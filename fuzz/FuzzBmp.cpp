// libFuzzer target: Windows BMP/DIB/RLE files through TBitmap.
#include "imaging/Bitmap.h"

#include <cstddef>
#include <cstdint>

// Huge pictures are legal; converting them only slows the search down.
constexpr std::uint64_t MaxConvertedPixels = 1u << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vidlark::TMemoryStream stream(data, size);
    vidlark::TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
        if (std::uint64_t(bitmap.GetWidth()) * bitmap.GetHeight() <= MaxConvertedPixels)
            bitmap.ToRGBA(true);
    } catch (const vidlark::EGraphicError&) {
    }
    return 0;
}
