#include "imaging/decoders/ThunderDecoder.h"

#include "imaging/decoders/RunLengthBuffers.h"

#include <algorithm>
#include <array>

namespace vidlark {

namespace {

// Deltas of the two delta codes; NoPixel skips the place.
constexpr int NoPixel = 99;
constexpr std::array<int, 4> TwoBitDeltas{0, 1, NoPixel, -1};
constexpr std::array<int, 8> ThreeBitDeltas{0, 1, 2, 3, NoPixel, -3, -2, -1};

// One row of 4-bit pixels, written two a byte and never past its end.
class TNibbleRow {
public:
    TNibbleRow(std::uint8_t* Row, std::uint32_t Width) : Row(Row), Width(Width) {}

    bool Full() const { return X >= Width; }
    void Put(unsigned Value)
    {
        if (Full())
            return;
        Last = Value & 0x0F;
        std::uint8_t& Byte = Row[X / 2];
        Byte = X % 2 ? static_cast<std::uint8_t>((Byte & 0xF0) | Last) : static_cast<std::uint8_t>(Last << 4);
        ++X;
    }
    void Add(int Delta)
    {
        if (Delta != NoPixel)
            Put(static_cast<unsigned>(static_cast<int>(Last) + Delta));
    }
    unsigned LastValue() const { return Last; }

private:
    std::uint8_t* Row;
    std::uint32_t Width;
    std::uint32_t X = 0;
    unsigned Last = 0;
};

} // namespace

void TThunderDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                             std::int32_t UnpackedSize)
{
    TPackedCursor In(Source, PackedSize);
    const std::size_t RowBytes = (std::size_t{Width} + 1) / 2;
    const std::size_t Rows = RowBytes == 0 ? 0 : std::max(UnpackedSize, 0) / RowBytes;
    for (std::size_t y = 0; y < Rows && In.Left() > 0; ++y) {
        TNibbleRow Row(Target + y * RowBytes, Width);
        std::uint8_t Code;
        while (!Row.Full() && In.TakeByte(Code)) {
            const unsigned Payload = Code & 0x3F;
            switch (Code >> 6) {
            case 0:
                for (unsigned i = 0; i < Payload; ++i)
                    Row.Put(Row.LastValue());
                break;
            case 1:
                for (unsigned Shift : {4u, 2u, 0u})
                    Row.Add(TwoBitDeltas[(Payload >> Shift) & 3]);
                break;
            case 2:
                for (unsigned Shift : {3u, 0u})
                    Row.Add(ThreeBitDeltas[(Payload >> Shift) & 7]);
                break;
            default:
                Row.Put(Payload);
                break;
            }
        }
    }
    Source += In.Consumed();
}

} // namespace vidlark
