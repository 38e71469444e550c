#pragma once
// Shared body of the reader fuzz targets: the content test must keep the
// stream's position, and a load either fails with the library's own error
// or gives a bitmap of the header's size.

#include "imaging/ZOdidoreVuZazador.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vidlark::fuzz {

// The size limits are the unit tests' business; pictures above a megapixel
// only slow the search down.
inline bool SmallEnough(std::uint64_t Width, std::uint64_t Height) { return Width * Height <= (1u << 20); }

template <typename TReader>
int LoadInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream Stream(Data, Size);
    const bool Recognised = TReader::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    TReader Graphic;
    try {
        Graphic.LoadFromStream(Stream);
    } catch (const EGraphicError&) {
        return 0;
    }
    (void)Recognised;
    const TImageProperties& P = Graphic.ImageProperties;
    if (Graphic.GetWidth() != P.Width || Graphic.GetHeight() != P.Height)
        std::abort();
    return 0;
}

} // namespace vidlark::fuzz
