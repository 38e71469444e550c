#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/SGIRLEDecoder.h"

// The first byte chooses 8- or 16-bit samples.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1)
        return 0;
    const bool Wide = Data[0] & 1;
    vidlark::TSGIRLEDecoder Decoder(Wide ? 16 : 8);
    vidlark::fuzz::UnpackInput(Decoder, Data + 1, Size - 1, Wide ? 2 : 1);
    return 0;
}
