#pragma once
// Shared body of the reader fuzz targets: the content test must keep the
// stream's position, and a load either gives a picture of the header's size
// or raises one of the library's errors.

#include "imaging/GraphicErrors.h"
#include "imaging/Stream.h"

#include <cstdlib>

namespace vidlark::fuzz {

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

} // namespace vidlark::fuzz
