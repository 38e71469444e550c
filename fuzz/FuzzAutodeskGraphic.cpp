// Loads the input as an Autodesk cel or picture file.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/AutodeskGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TMemoryStream Stream(Data, Size);
    vidlark::fuzz::LoadInput<vidlark::TAutodeskGraphic>(Stream);
    return 0;
}
