#include "fuzz/DecoderFuzzing.h"
#include "imaging/decoders/TargaRLEDecoder.h"

#include <cstring>

// The first byte chooses the depth. What the decoder produced is packed and
// unpacked again, which must give the same pixels back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1)
        return 0;
    static constexpr std::uint32_t Depths[] = {8, 15, 16, 24, 32};
    static constexpr std::size_t PixelBytes[] = {1, 2, 2, 3, 4};
    const std::size_t Choice = Data[0] % 5;
    vidlark::TTargaRLEDecoder Decoder(Depths[Choice]);
    auto Run = vidlark::fuzz::UnpackInput(Decoder, Data + 1, Size - 1, PixelBytes[Choice]);
    const std::size_t Count = Run.Target.size() / PixelBytes[Choice];
    if (Count == 0)
        return 0;

    auto Packed = std::make_unique<std::uint8_t[]>(Decoder.PackedSizeFor(Count));
    std::int32_t Stored = 0;
    Decoder.Pack(Run.Target.data(), Packed.get(), static_cast<std::int32_t>(Count), Stored);
    if (Stored <= 0 || static_cast<std::size_t>(Stored) > Decoder.PackedSizeFor(Count))
        std::abort();
    std::vector<std::uint8_t> Again(Run.Target.size());
    std::uint8_t* Source = Packed.get();
    std::uint8_t* Target = Again.data();
    Decoder.Unpack(Source, Target, Stored, static_cast<std::int32_t>(Count));
    if (Source != Packed.get() + Stored || Again != Run.Target)
        std::abort();
    return 0;
}
