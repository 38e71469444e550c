#pragma once
// Shared body of the reader fuzz targets: the content test, which must
// leave the stream where it was, then a load and a conversion of what loaded.

#include "imaging/Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vidlark::fuzz {

template <typename TReader>
void LoadInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream Stream(Data, Size);
    (void)TReader::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    TReader Graphic;
    try {
        Graphic.LoadFromStream(Stream);
        Graphic.ToRGBA(true);
    } catch (const EGraphicError&) {
    }
}

} // namespace vidlark::fuzz
