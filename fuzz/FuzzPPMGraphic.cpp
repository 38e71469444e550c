// Loads the input as a portable map. The content test keeps the stream's
// position and accepts nothing that the header reader refuses; a picture
// that loads converts whole.

#include "imaging/PPMGraphic.h"

#include <cstdlib>

using namespace vidlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream Stream(Data, Size);
    const bool Recognised = TPPMGraphic::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    TPPMGraphic Graphic;
    if (Recognised && !Graphic.ReadProperties(Stream, 0))
        std::abort();
    try {
        Graphic.LoadFromStream(Stream);
    } catch (const EGraphicError&) {
        return 0;
    }
    if (Graphic.ToRGBA(true).Pixels.size() != std::size_t{Graphic.GetWidth()} * Graphic.GetHeight() * 4)
        std::abort();
    return 0;
}
