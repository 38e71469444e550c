// Decodes the input as two-dimensional fax data. Bytes 0-1: the row width
// (12 bits), then bit 4 group 4 (else group 3 2-D), bit 5 reversed bit
// order, bit 6 byte-aligned ends of line (T4Options bit 2); byte 2: the
// rows of the target. The rest is decoded as a strip, and its first half
// again as a second strip with the same decoder.

#include "imaging/decoders/CCITTDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Unpacks Size bytes into Rows rows. The caller's bytes stay as they were,
// Source stays inside them, and the bits right of the width stay 0.
void UnpackStrip(vidlark::TDecoder& Decoder, const std::uint8_t* Data, std::size_t Size, std::uint32_t Width,
                 std::size_t Rows)
{
    // Heap blocks of exactly their size, so the sanitizer sees any step outside.
    auto Packed = std::make_unique<std::uint8_t[]>(Size ? Size : 1);
    std::copy(Data, Data + Size, Packed.get());
    const std::size_t RowBytes = (Width + 7) / 8;
    std::vector<std::uint8_t> Target(Rows * RowBytes);
    std::uint8_t* Source = Packed.get();
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Size), static_cast<std::int32_t>(Target.size()));
    if (!std::equal(Data, Data + Size, Packed.get()) || Source > Packed.get() + Size || Out != Target.data())
        std::abort();
    const auto Unused = static_cast<std::uint8_t>(0xFFu >> (Width % 8 == 0 ? 8 : Width % 8));
    for (std::size_t Row = 0; Row < Rows && RowBytes > 0; ++Row)
        if (Target[Row * RowBytes + RowBytes - 1] & Unused)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 3)
        return 0;
    const std::uint32_t Width = Data[0] | ((Data[1] & 0x0F) << 8);
    const bool Group4 = Data[1] & 0x10;
    const bool SwapBits = Data[1] & 0x20;
    const std::uint32_t Options = Group4 ? 0 : (1 | (Data[1] & 0x40 ? 4 : 0));
    const std::size_t Rows = Data[2];
    std::unique_ptr<vidlark::TDecoder> Decoder;
    if (Group4)
        Decoder = std::make_unique<vidlark::TCCITTFax4Decoder>(Options, Width, false, SwapBits);
    else
        Decoder = std::make_unique<vidlark::TCCITTFax3Decoder>(Options, Width, false, SwapBits);
    const std::size_t PackedBytes = Size - 3;
    UnpackStrip(*Decoder, Data + 3, PackedBytes, Width, Rows);
    UnpackStrip(*Decoder, Data + 3, PackedBytes / 2, Width, Rows);
    return 0;
}
