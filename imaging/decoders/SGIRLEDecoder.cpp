#include "imaging/decoders/SGIRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

namespace vidlark {

TSGIRLEDecoder::TSGIRLEDecoder(std::uint8_t SampleSize) : SampleSize(SampleSize) {}

void TSGIRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                            std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    if (SampleSize != 8 && SampleSize != 16)
        return;
    const std::size_t SampleBytes = SampleSize / 8;
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, SampleBytes);
    for (;;) {
        // The control is one sample wide; its low byte holds count and kind.
        const std::uint8_t* Control = In.Take(SampleBytes);
        if (!Control)
            return;
        const std::uint8_t Code = Control[SampleBytes - 1];
        std::size_t Count = Code & 127u;
        if (Count == 0)
            return;
        if (Code & 128u) {
            const std::size_t Wanted = Count;
            const std::uint8_t* Literal = In.TakeUnits(Count, SampleBytes);
            Out.Copy(Literal, Count);
            if (Count < Wanted)
                return;
        } else {
            const std::uint8_t* Value = In.Take(SampleBytes);
            if (!Value)
                return;
            Out.Fill(Value, Count);
        }
    }
}

} // namespace vidlark
