#pragma once
// Shared body of the reader fuzz targets: the content test must keep the
// stream's position, and a load either gives a picture of the header's size
// or raises one of the library's errors.

#include "imaging/GraphicErrors.h"
#include "imaging/Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vidlark::fuzz {

// The size limits are the unit tests' business; pictures above a megapixel
// only slow the search down.
inline bool SmallEnough(std::uint64_t Width, std::uint64_t Height) { return Width * Height <= (1u << 20); }

template <class TReader, typename TLoad>
void LoadInput(TStream& Stream, TLoad Load)
{
    TReader::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    TReader Graphic;
    try {
        Load(Graphic, Stream);
    } catch (const EGraphicError&) {
        return;
    }
    if (Graphic.Empty())
        return;
    // Photo-CD pictures turned a quarter swap the sizes only in the bitmap.
    const auto& P = Graphic.ImageProperties;
    if (Graphic.GetWidth() * Graphic.GetHeight() != P.Width * P.Height)
        std::abort();
}

template <class TReader>
void LoadInput(TStream& Stream)
{
    LoadInput<TReader>(Stream, [](TReader& Graphic, TStream& From) { Graphic.LoadFromStream(From); });
}

// The input loaded from memory, for LLVMFuzzerTestOneInput to return.
template <class TReader>
int LoadInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream Stream(Data, Size);
    LoadInput<TReader>(Stream);
    return 0;
}

} // namespace vidlark::fuzz
