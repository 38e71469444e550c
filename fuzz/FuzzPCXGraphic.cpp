// Loads the input as a PCX file.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/PCXGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size >= 12) {
        const int Width = (Data[8] | Data[9] << 8) - (Data[4] | Data[5] << 8) + 1;
        const int Height = (Data[10] | Data[11] << 8) - (Data[6] | Data[7] << 8) + 1;
        if (Width > 0 && Height > 0 && !vidlark::fuzz::SmallEnough(Width, Height))
            return 0;
    }
    return vidlark::fuzz::LoadInput<vidlark::TPCXGraphic>(Data, Size);
}
