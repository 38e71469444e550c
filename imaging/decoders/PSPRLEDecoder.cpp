#include "imaging/decoders/PSPRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

namespace vidlark {

void TPSPRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                            std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, 1);
    std::uint8_t Control;
    while (In.TakeByte(Control)) {
        if (Control < 128) {
            std::size_t Count = Control;
            const std::uint8_t* Literal = In.TakeUnits(Count, 1);
            Out.Copy(Literal, Count);
        } else {
            std::uint8_t Value;
            if (!In.TakeByte(Value))
                break;
            Out.FillByte(Value, Control - 128u);
        }
    }
}

} // namespace vidlark
