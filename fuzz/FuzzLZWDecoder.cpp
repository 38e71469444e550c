// The TIFF LZW decoder over one strip, twice with the same decoder: each
// strip starts a fresh table, so both give the same bytes. Bytes 0-1 give
// the target's size (12 bits), the rest is the packed data.

#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/LZWDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TTIFFLZWDecoder Decoder;
    const vidlark::fuzz::TUnpackRun First = vidlark::fuzz::UnpackInput(Decoder, Data, Size, 1);
    const vidlark::fuzz::TUnpackRun Second = vidlark::fuzz::UnpackInput(Decoder, Data, Size, 1);
    if (First.Target != Second.Target)
        std::abort();
    return 0;
}
