#include "imaging/decoders/TargaRLEDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

#include <cstring>

namespace vidlark {

namespace {

constexpr std::size_t MaxPacketPixels = 128;

std::size_t PixelBytesFor(std::uint32_t ColorDepth)
{
    switch (ColorDepth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

} // namespace

TTargaRLEDecoder::TTargaRLEDecoder(std::uint32_t ColorDepth)
    : ColorDepth(ColorDepth), PixelBytes(PixelBytesFor(ColorDepth)) {}

void TTargaRLEDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                              std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    if (PixelBytes == 0)
        return;
    TPackedCursor In(Source, PackedSize);
    TUnpackedCursor Out(Target, UnpackedSize, PixelBytes);
    std::uint8_t Control;
    while (!Out.Full() && In.TakeByte(Control)) {
        std::size_t Count = (Control & 127u) + 1;
        if (Control & 128u) {
            const std::uint8_t* Value = In.Take(PixelBytes);
            if (!Value)
                break;
            Out.Fill(Value, Count);
        } else {
            const std::size_t Wanted = Count;
            const std::uint8_t* Literal = In.TakeUnits(Count, PixelBytes);
            Out.Copy(Literal, Count);
            if (Count < Wanted)
                break;
        }
    }
    Source += In.Consumed();
}

void TTargaRLEDecoder::Pack(const std::uint8_t* Source, std::uint8_t* Target,
                            std::int32_t Count, std::int32_t& BytesStored)
{
    BytesStored = 0;
    if (PixelBytes == 0 || Count <= 0)
        return;
    const std::size_t Total = static_cast<std::size_t>(Count);
    auto Same = [&](std::size_t A, std::size_t B) {
        return std::memcmp(Source + A * PixelBytes, Source + B * PixelBytes, PixelBytes) == 0;
    };
    std::uint8_t* Out = Target;
    std::size_t Pixel = 0;
    while (Pixel < Total) {
        const std::size_t Left = Total - Pixel;
        // Literal: the pixels before the first two equal neighbours.
        std::size_t Literal = 0;
        while (Literal < MaxPacketPixels && Literal < Left &&
               !(Literal + 1 < Left && Same(Pixel + Literal, Pixel + Literal + 1)))
            ++Literal;
        if (Literal > 0) {
            *Out++ = static_cast<std::uint8_t>(Literal - 1);
            std::memcpy(Out, Source + Pixel * PixelBytes, Literal * PixelBytes);
            Out += Literal * PixelBytes;
            Pixel += Literal;
        } else {
            std::size_t Run = 1;
            while (Run < MaxPacketPixels && Run < Left && Same(Pixel, Pixel + Run))
                ++Run;
            *Out++ = static_cast<std::uint8_t>(Run - 1 + 128);
            std::memcpy(Out, Source + Pixel * PixelBytes, PixelBytes);
            Out += PixelBytes;
            Pixel += Run;
        }
    }
    BytesStored = static_cast<std::int32_t>(Out - Target);
}

} // namespace vidlark
