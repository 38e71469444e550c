// Loads the input as an Alias/Wavefront run-length image.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/RLAGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TMemoryStream Stream(Data, Size);
    vidlark::fuzz::LoadInput<vidlark::TRLAGraphic>(Stream);
    return 0;
}
