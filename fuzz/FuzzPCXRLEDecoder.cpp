#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/PCXRLEDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TPCXRLEDecoder Decoder;
    vidlark::fuzz::UnpackInput(Decoder, Data, Size, 1);
    return 0;
}
