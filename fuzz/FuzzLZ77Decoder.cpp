// The deflate decoder fed as a reader feeds it: the packed data in pieces,
// the output in rows. Byte 0 gives the piece size, byte 1 the row size,
// bytes 2-3 the whole output (12 bits); the rest is the packed data. Every
// buffer is a heap block of exactly its size, so the sanitizer sees any step outside.

#include "imaging/decoders/LZ77Decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 4)
        return 0;
    const std::size_t Piece = Data[0] ? Data[0] : 1;
    const std::size_t Row = Data[1] ? Data[1] : 1;
    std::vector<std::uint8_t> Output(Data[2] | ((Data[3] & 0x0F) << 8));
    const std::vector<std::uint8_t> Packed(Data + 4, Data + Size);

    vidlark::TLZ77Decoder Decoder(Z_PARTIAL_FLUSH, false);
    Decoder.StartUnpack();
    std::size_t In = 0, Out = 0;
    while (In < Packed.size() && Out < Output.size() && Decoder.ZLibResult() == Z_OK) {
        std::vector<std::uint8_t> Chunk(Packed.begin() + static_cast<std::ptrdiff_t>(In),
                                        Packed.begin() + static_cast<std::ptrdiff_t>(std::min(Packed.size(), In + Piece)));
        std::vector<std::uint8_t> Target(std::min(Row, Output.size() - Out));
        std::uint8_t* Source = Chunk.data();
        std::uint8_t* Next = Target.data();
        Decoder.Unpack(Source, Next, static_cast<std::int32_t>(Chunk.size()), static_cast<std::int32_t>(Target.size()));
        const std::size_t Used = static_cast<std::size_t>(Source - Chunk.data());
        const std::size_t Made = static_cast<std::size_t>(Next - Target.data());
        if (Used > Chunk.size() || Made > Target.size() || Decoder.AvailableInput() != Chunk.size() - Used ||
            Decoder.AvailableOutput() != Target.size() - Made)
            std::abort();
        std::copy(Target.begin(), Target.begin() + static_cast<std::ptrdiff_t>(Made),
                  Output.begin() + static_cast<std::ptrdiff_t>(Out));
        In += Used;
        Out += Made;
        if (Used == 0 && Made == 0)
            break;
    }
    Decoder.FinishUnpack();
    return 0;
}
