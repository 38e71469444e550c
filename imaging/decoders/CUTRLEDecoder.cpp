#include "imaging/decoders/CUTRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

namespace vidlark {

void TCUTRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                            std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, 1);
    In.Skip(2); // the row's byte count
    std::uint8_t Control;
    while (In.TakeByte(Control) && Control != 0) {
        std::size_t Count = Control & 127u;
        if (Control & 128u) {
            std::uint8_t Value;
            if (!In.TakeByte(Value))
                break;
            Out.FillByte(Value, Count);
        } else {
            const std::size_t Wanted = Count;
            const std::uint8_t* Literal = In.TakeUnits(Count, 1);
            Out.Copy(Literal, Count);
            if (Count < Wanted)
                break;
        }
    }
    Source += In.Consumed();
}

} // namespace vidlark
