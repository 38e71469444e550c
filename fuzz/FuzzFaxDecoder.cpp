// Decodes the input as fax data. Byte 0-1: the row width (12 bits); byte 2:
// bit 0 word-aligned rows, bit 1 reversed bit order, bits 2-7 the rows of
// the target. The decoder is chosen at build time (FAX_DECODER).

#include "imaging/decoders/CCITTDecoder.h"

#include <cstdlib>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 3)
        return 0;
    const std::uint32_t Width = Data[0] | ((Data[1] & 0x0F) << 8);
    const bool WordAligned = Data[2] & 1;
    const bool SwapBits = Data[2] & 2;
    const std::size_t Rows = Data[2] >> 2;
    const std::size_t PackedBytes = Size - 3;
    // Heap blocks of exactly their size, so the sanitizer sees any step outside.
    const std::vector<std::uint8_t> Original(Data + 3, Data + Size);
    auto Packed = std::make_unique<std::uint8_t[]>(PackedBytes ? PackedBytes : 1);
    std::copy(Original.begin(), Original.end(), Packed.get());
    std::vector<std::uint8_t> Target(Rows * ((Width + 7) / 8));

    vidlark::FAX_DECODER Decoder(0, Width, WordAligned, SwapBits);
    std::uint8_t* Source = Packed.get();
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(PackedBytes), static_cast<std::int32_t>(Target.size()));
    // The caller's bytes stay as they were, and Source stays inside them.
    if (!std::equal(Original.begin(), Original.end(), Packed.get()) || Source > Packed.get() + PackedBytes ||
        Out != Target.data())
        std::abort();
    return 0;
}
