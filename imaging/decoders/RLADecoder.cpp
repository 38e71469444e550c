#include "imaging/decoders/RLADecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

namespace vidlark {

void TRLADecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                         std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, 1);
    std::uint8_t Control;
    while (In.TakeByte(Control)) {
        const int Code = static_cast<std::int8_t>(Control);
        if (Code >= 0) {
            std::uint8_t Value;
            if (!In.TakeByte(Value))
                break;
            Out.FillByte(Value, static_cast<std::size_t>(Code) + 1);
        } else {
            std::size_t Count = static_cast<std::size_t>(-Code);
            const std::uint8_t* Literal = In.TakeUnits(Count, 1);
            Out.Copy(Literal, Count);
        }
    }
}

} // namespace vidlark
