#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TPackbitsRLEDecoder Decoder;
    vidlark::fuzz::UnpackInput(Decoder, Data, Size, 1);
    return 0;
}
