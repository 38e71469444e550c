#pragma once
// The two halves of fax decoding that both coding forms share: a bit string
// read first bit first, and a bilevel row written run by run.

#include "imaging/decoders/T4Codes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vidlark::fax {

class TBitSource {
public:
    TBitSource(const std::uint8_t* Data, std::size_t Size) : Data(Data), Bits(std::uint64_t{Size} * 8) {}

    std::uint64_t Left() const { return Bits - Pos; }
    // Bytes begun so far, counted from the start of the data.
    std::size_t BytePosition() const { return static_cast<std::size_t>((Pos + 7) / 8); }

    // The next 13 bits, zeros past the end.
    unsigned Peek() const
    {
        const std::size_t Byte = static_cast<std::size_t>(Pos / 8);
        const std::size_t Size = static_cast<std::size_t>(Bits / 8);
        unsigned Window = 0;
        for (std::size_t i = 0; i < 3; ++i)
            Window = (Window << 8) | (Byte + i < Size ? Data[Byte + i] : 0u);
        return (Window >> (24 - t4::LookupBits - Pos % 8)) & ((1u << t4::LookupBits) - 1);
    }
    unsigned Bit()
    {
        const unsigned Value = (Data[Pos / 8] >> (7 - Pos % 8)) & 1u;
        ++Pos;
        return Value;
    }
    void Consume(std::uint64_t Count) { Pos += std::min(Count, Left()); }
    void AlignToByte() { Pos = std::min(Bits, (Pos + 7) / 8 * 8); }

private:
    const std::uint8_t* Data;
    std::uint64_t Bits;
    std::uint64_t Pos = 0;
};

// The next run of a colour: make-up codes add up until a terminating code
// ends the run. End of line and invalid codes come back as their marks;
// data that end give the sum so far.
inline std::int32_t DecodeRun(TBitSource& In, const t4::TCodeTable& Codes)
{
    // A run longer than any row stays far from overflowing.
    constexpr std::int32_t MaxRun = 1 << 24;
    std::int32_t Sum = 0;
    while (In.Left() > 0) {
        const t4::TCodeEntry Code = Codes[In.Peek()];
        if (Code.Length == 0 || Code.Length > In.Left())
            break;
        In.Consume(Code.Length);
        if (Code.Value < 0)
            return Code.Value;
        Sum = std::min(Sum + Code.Value, MaxRun);
        if (Code.Value < 64)
            return Sum;
    }
    In.Consume(In.Left());
    return Sum;
}

// Rows of (Width + 7) div 8 bytes, zero (white) beforehand; black runs set bits.
class TRowWriter {
public:
    TRowWriter(std::uint8_t* Target, std::size_t Size, std::uint32_t Width)
        : Target(Target), Size(Size), Width(Width), RowBytes((std::size_t{Width} + 7) / 8)
    {
        std::fill_n(Target, Size, std::uint8_t{0});
    }

    // True while a row (or its start) still fits in the target.
    bool Room() const { return Width > 0 && Row * RowBytes < Size; }
    bool RowComplete() const { return X >= Width; }

    // Writes a run, clipped at the row's end.
    void Put(std::uint32_t Run, bool Black)
    {
        const std::uint32_t Count = std::min(Run, Width - X);
        if (Black)
            SetBits(X, Count);
        X += Count;
    }
    void NextRow()
    {
        ++Row;
        X = 0;
    }

private:
    void SetBits(std::uint32_t First, std::uint32_t Count)
    {
        std::uint8_t* Line = Target + Row * RowBytes;
        const std::size_t LineBytes = std::min(RowBytes, Size - Row * RowBytes);
        for (std::uint32_t x = First; x < First + Count;) {
            const std::size_t Byte = x / 8;
            if (Byte >= LineBytes)
                return;
            if (x % 8 == 0 && First + Count - x >= 8) {
                const std::size_t Whole = std::min<std::size_t>((First + Count - x) / 8, LineBytes - Byte);
                std::fill_n(Line + Byte, Whole, std::uint8_t{0xFF});
                x += static_cast<std::uint32_t>(Whole * 8);
            } else {
                Line[Byte] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
                ++x;
            }
        }
    }

    std::uint8_t* Target;
    std::size_t Size;
    std::uint32_t Width;
    std::size_t RowBytes;
    std::size_t Row = 0;
    std::uint32_t X = 0;
};

} // namespace vidlark::fax
