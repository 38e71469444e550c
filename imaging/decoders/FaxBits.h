#pragma once
// The pieces of fax decoding that every coding form shares: a bit string
// read first bit first, the runs of one colour, the changing elements of a
// row, and bilevel rows written from runs or from changing elements.

#include "imaging/decoders/T4Codes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vidlark::fax {

class TBitSource {
public:
    TBitSource(const std::uint8_t* Data, std::size_t Size) : Data(Data), Size(Size), Bits(std::uint64_t{Size} * 8) {}

    std::uint64_t Left() const { return Bits - Pos; }
    // Bytes begun so far, counted from the start of the data.
    std::size_t BytePosition() const { return static_cast<std::size_t>((Pos + 7) / 8); }

    // The next 13 bits, zeros past the end.
    unsigned Peek() const
    {
        const std::size_t Byte = static_cast<std::size_t>(Pos / 8);
        std::uint32_t Window = 0;
        if (Byte + 4 <= Size) {
            const std::uint8_t* At = Data + Byte;
            Window = std::uint32_t{At[0]} << 24 | std::uint32_t{At[1]} << 16 | std::uint32_t{At[2]} << 8 | At[3];
        } else {
            for (std::size_t i = 0; i < 4; ++i)
                Window = (Window << 8) | (Byte + i < Size ? Data[Byte + i] : 0u);
        }
        return (Window >> (32 - t4::LookupBits - Pos % 8)) & ((1u << t4::LookupBits) - 1);
    }
    // True when an end-of-line code (000000000001) comes next; its 1 is a
    // bit of the data, so all twelve bits are there.
    bool EndOfLineNext() const { return Peek() >> (t4::LookupBits - t4::EndOfLineBits) == 1; }
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
    std::size_t Size;
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

// The changing elements of a row: the pixels whose colour differs from the
// one before (white before the row), ascending and below the width. A row
// of n changes holds at most n pixels and needs at least n bits of codes,
// so room for the lesser of width and bits suffices. Closing the row puts
// three entries of the width after its changes, so that the row below can
// look for the changes right of any position without a bounds check.
class TChangingElements {
public:
    static constexpr std::size_t Sentinels = 3;

    // Room for MaxChanges changes of a row of Width pixels; grows, never
    // shrinks, so rows of a decoder allocate nothing.
    void Reserve(std::uint32_t RowWidth, std::size_t MaxChanges)
    {
        Width = RowWidth;
        Limit = MaxChanges;
        if (Positions.size() < MaxChanges + Sentinels)
            Positions.resize(MaxChanges + Sentinels);
        Count = 0;
    }
    void Clear() { Count = 0; }
    // A change at Position, which is not left of the last one. One at the
    // last change's position cancels it (a run of no pixels between), and
    // one at the row's end is no change.
    void Add(std::uint32_t Position)
    {
        if (Count > 0 && Positions[Count - 1] == Position)
            --Count;
        else if (Position < Width && Count < Limit)
            Positions[Count++] = Position;
    }
    void Close() { std::fill_n(Positions.begin() + static_cast<std::ptrdiff_t>(Count), Sentinels, Width); }

    std::uint32_t RowWidth() const { return Width; }
    std::size_t Size() const { return Count; }
    // The colour from the last change on: black after an odd count.
    bool Black() const { return Count % 2 != 0; }
    const std::uint32_t* Data() const { return Positions.data(); }

private:
    std::vector<std::uint32_t> Positions;
    std::size_t Count = 0;
    std::size_t Limit = 0;
    std::uint32_t Width = 0;
};

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
            SetBits(X, X + Count);
        X += Count;
    }
    // Writes the whole row from its changing elements: black from each
    // even-numbered change to the next, or to the row's end; then moves on.
    void PutRow(const TChangingElements& Changes)
    {
        const std::uint32_t* At = Changes.Data();
        const std::size_t Count = Changes.Size();
        for (std::size_t i = 0; i < Count; i += 2)
            SetBits(At[i], i + 1 < Count ? At[i + 1] : Width);
        NextRow();
    }
    void NextRow()
    {
        ++Row;
        X = 0;
    }

private:
    // Sets the pixels First to End - 1 of the current row, whole bytes at once.
    void SetBits(std::uint32_t First, std::uint32_t End)
    {
        const std::size_t LineBytes = std::min(RowBytes, Size - Row * RowBytes);
        End = static_cast<std::uint32_t>(std::min<std::uint64_t>(End, std::uint64_t{LineBytes} * 8));
        if (First >= End)
            return;
        std::uint8_t* Line = Target + Row * RowBytes;
        const std::size_t Head = First / 8, Tail = (End - 1) / 8;
        const auto HeadBits = static_cast<std::uint8_t>(0xFFu >> (First % 8));
        const auto TailBits = static_cast<std::uint8_t>(0xFFu << (7 - (End - 1) % 8));
        if (Head == Tail) {
            Line[Head] |= HeadBits & TailBits;
            return;
        }
        Line[Head] |= HeadBits;
        std::fill(Line + Head + 1, Line + Tail, std::uint8_t{0xFF});
        Line[Tail] |= TailBits;
    }

    std::uint8_t* Target;
    std::size_t Size;
    std::uint32_t Width;
    std::size_t RowBytes;
    std::size_t Row = 0;
    std::uint32_t X = 0;
};

} // namespace vidlark::fax
