// Loads the input as a TIFF file, or as an EPS file with a TIFF preview
// (FUZZ_EPS). The content test must leave the stream where it was.

#include "imaging/EPSGraphic.h"

#include <cstdlib>

using namespace vidlark;

#ifdef FUZZ_EPS
using TReader = TEPSGraphic;
#else
using TReader = TTIFFGraphic;
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream Stream(Data, Size);
    (void)TReader::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    TReader Graphic;
    try {
        const TImageProperties& P = Graphic.ImageProperties;
        if (Graphic.ReadProperties(Stream, 0) && (std::uint64_t{P.Width} * P.Height > (1u << 22) ||
                                                  std::uint64_t{P.TileWidth} * P.TileLength > (1u << 22)))
            return 0; // the size limits are the unit tests' business
        Graphic.LoadFromStream(Stream);
    } catch (const EGraphicError&) {
    }
    return 0;
}
