#include "imaging/decoders/PCXRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

namespace vidlark {

void TPCXRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                            std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, 1);
    std::uint8_t Code;
    while (!Out.Full() && In.TakeByte(Code)) {
        if (Code >= 192) {
            std::uint8_t Value;
            if (!In.TakeByte(Value))
                break;
            Out.FillByte(Value, Code & 63u);
        } else {
            Out.FillByte(Code, 1);
        }
    }
}

} // namespace vidlark
