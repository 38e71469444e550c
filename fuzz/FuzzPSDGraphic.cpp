// Loads the input as a Photoshop file.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/Endian.h"
#include "imaging/PSDGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    using vidlark::LoadEndian;
    if (Size >= 22 && !vidlark::fuzz::SmallEnough(LoadEndian<std::uint32_t, true>(Data + 18),
                                                  LoadEndian<std::uint32_t, true>(Data + 14)))
        return 0;
    return vidlark::fuzz::LoadInput<vidlark::TPSDGraphic>(Data, Size);
}
