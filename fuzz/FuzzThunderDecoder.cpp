#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/ThunderDecoder.h"

// The target's room in bytes comes from the first two bytes; rows are 37
// pixels wide, an odd width, so the last byte of each row is half used.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    vidlark::TThunderDecoder Decoder(37);
    vidlark::fuzz::UnpackInput(Decoder, Data, Size, 1);
    return 0;
}
