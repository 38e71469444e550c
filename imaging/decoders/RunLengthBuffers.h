#pragma once
// Bounded cursors over the two buffers of a run-length decoder. Every byte a
// decoder reads goes through TPackedCursor and every run or literal it writes
// through TUnpackedCursor, so damaged control bytes can neither read past the
// packed data nor write past the target: the output is clipped in Clip() only.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vidlark {

class TPackedCursor {
public:
    TPackedCursor(const std::uint8_t* Data, std::int32_t Size)
        : Start(Data), Pos(Data), End(Data + (Size > 0 ? Size : 0)) {}

    std::size_t Left() const { return static_cast<std::size_t>(End - Pos); }
    // The Left() bytes not taken yet, for a decoder that looks ahead
    // before it takes.
    const std::uint8_t* Ahead() const { return Pos; }
    std::size_t Consumed() const { return static_cast<std::size_t>(Pos - Start); }

    // False when no byte is left.
    bool TakeByte(std::uint8_t& Value)
    {
        if (Pos == End)
            return false;
        Value = *Pos++;
        return true;
    }

    // The next Count bytes, or nullptr (taking nothing) when fewer are left.
    const std::uint8_t* Take(std::size_t Count)
    {
        if (Count > Left())
            return nullptr;
        const std::uint8_t* Data = Pos;
        Pos += Count;
        return Data;
    }

    // As many whole units of UnitBytes as are left, at most Count; their number
    // goes to Count.
    const std::uint8_t* TakeUnits(std::size_t& Count, std::size_t UnitBytes)
    {
        Count = std::min(Count, Left() / UnitBytes);
        return Take(Count * UnitBytes);
    }

    void Skip(std::size_t Count) { Pos += std::min(Count, Left()); }

private:
    const std::uint8_t* Start;
    const std::uint8_t* Pos;
    const std::uint8_t* End;
};

class TUnpackedCursor {
public:
    // Room for Units units of UnitBytes bytes each.
    TUnpackedCursor(std::uint8_t* Data, std::int32_t Units, std::size_t UnitSize)
        : Pos(Data), UnitBytes(UnitSize),
          End(Data + (Units > 0 ? static_cast<std::size_t>(Units) * UnitSize : 0)) {}

    bool Full() const { return Pos == End; }
    std::size_t Room() const { return static_cast<std::size_t>(End - Pos) / UnitBytes; }

    // Count copies of one byte (a decoder of one-byte units).
    void FillByte(std::uint8_t Value, std::size_t Count)
    {
        const std::size_t Bytes = Clip(Count);
        if (Bytes == 0)
            return;
        std::memset(Pos, Value, Bytes);
        Pos += Bytes;
    }

    // Count copies of the unit at Value.
    void Fill(const std::uint8_t* Value, std::size_t Count)
    {
        if (UnitBytes == 1) {
            FillByte(*Value, Count);
            return;
        }
        const std::size_t Bytes = Clip(Count);
        if (Bytes == 0)
            return;
        // Lay down one unit, then double what is written.
        std::memcpy(Pos, Value, UnitBytes);
        std::size_t Done = UnitBytes;
        while (Done < Bytes) {
            const std::size_t Step = std::min(Done, Bytes - Done);
            std::memcpy(Pos + Done, Pos, Step);
            Done += Step;
        }
        Pos += Bytes;
    }

    // Count units from Data.
    void Copy(const std::uint8_t* Data, std::size_t Count)
    {
        const std::size_t Bytes = Clip(Count);
        if (Bytes == 0)
            return;
        std::memcpy(Pos, Data, Bytes);
        Pos += Bytes;
    }

private:
    // Bytes of Count units that fit; the rest of a run is dropped.
    std::size_t Clip(std::size_t Count) const
    {
        return std::min(Count, static_cast<std::size_t>(End - Pos) / UnitBytes) * UnitBytes;
    }

    std::uint8_t* Pos;
    std::size_t UnitBytes;
    std::uint8_t* End;
};

} // namespace vidlark
