#pragma once
// Shared body of the decoder fuzz targets. The first two input bytes give
// the target's room in units (12 bits); the rest is the packed data. Both buffers are
// heap blocks of exactly their size, so the sanitizer sees any step outside.

#include "imaging/decoders/Decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace vidlark::fuzz {

struct TUnpackRun {
    std::vector<std::uint8_t> Target;
    std::size_t Consumed = 0;
};

inline TUnpackRun UnpackInput(TDecoder& Decoder, const std::uint8_t* Data, std::size_t Size,
                              std::size_t UnitBytes)
{
    TUnpackRun Run;
    if (Size < 2)
        return Run;
    const std::int32_t Units = Data[0] | ((Data[1] & 0x0F) << 8);
    const std::size_t PackedBytes = Size - 2;
    auto Packed = std::make_unique<std::uint8_t[]>(PackedBytes ? PackedBytes : 1);
    std::copy(Data + 2, Data + Size, Packed.get());
    Run.Target.assign(static_cast<std::size_t>(Units) * UnitBytes, 0);

    std::uint8_t* Source = Packed.get();
    std::uint8_t* Target = Run.Target.data();
    std::uint8_t* const TargetStart = Target;
    Decoder.StartUnpack();
    Decoder.Unpack(Source, Target, static_cast<std::int32_t>(PackedBytes), Units);
    Decoder.FinishUnpack();
    // The decoders hand back Source at most to the end of the packed data and never move Target.
    if (Source < Packed.get() || Source > Packed.get() + PackedBytes || Target != TargetStart)
        std::abort();
    Run.Consumed = static_cast<std::size_t>(Source - Packed.get());
    return Run;
}

} // namespace vidlark::fuzz
