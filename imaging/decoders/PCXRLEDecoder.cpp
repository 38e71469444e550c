#include "imaging/decoders/PCXRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

#include <algorithm>

namespace vidlark {

void TPCXRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                            std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    TPCXPendingRun Dropped;
    UnpackPart(Source, PackedSize, Target, UnpackedSize, Dropped);
}

TPCXRLEDecoder::TPart TPCXRLEDecoder::UnpackPart(const std::uint8_t* Source, std::int32_t PackedSize,
                                                 std::uint8_t* Target, std::int32_t UnpackedSize,
                                                 TPCXPendingRun& Pending) const
{
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, 1);
    const std::size_t Room = Out.Room();
    const auto WriteRun = [&] {
        const std::size_t Count = std::min(Pending.Count, Out.Room());
        Out.FillByte(Pending.Value, Count);
        Pending.Count -= Count;
    };
    WriteRun();
    while (!Out.Full() && In.Left() > 0) {
        // Bytes below 192 stand for themselves: copy them in one block.
        const std::uint8_t* Literal = In.Ahead();
        const std::size_t Most = std::min(In.Left(), Out.Room());
        std::size_t Count = 0;
        while (Count < Most && Literal[Count] < 192)
            ++Count;
        if (Count > 0) {
            Out.Copy(In.Take(Count), Count);
            continue;
        }
        std::uint8_t Code, Value;
        In.TakeByte(Code);
        if (!In.TakeByte(Value))
            break;
        Pending = TPCXPendingRun{Value, Code & 63u};
        WriteRun();
    }
    return TPart{In.Consumed(), Room - Out.Room()};
}

} // namespace vidlark
