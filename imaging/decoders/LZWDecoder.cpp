#include "imaging/decoders/LZWDecoder.h"

#include <algorithm>
#include <cstring>

namespace vidlark {

namespace {

constexpr unsigned ClearCode = 256;
constexpr unsigned EndCode = 257;
constexpr unsigned FirstFree = 258;
constexpr unsigned TableSize = 4096;
constexpr unsigned MinWidth = 9;
constexpr unsigned MaxWidth = 12;

// Both readers keep the codes not yet taken in a 64-bit buffer and refill it
// eight bytes at a time while the data hold that many (the bytes past the
// buffer's count are loaded again by the next refill, to the same bits),
// then byte by byte. Next answers false when fewer than Width bits are left.

// Codes most significant bit first; the next code at the top of the buffer.
class TMsbFirstCodes {
public:
    // The width grows when the next free code is one below a power of two.
    static constexpr unsigned EarlyChange = 1;

    TMsbFirstCodes(const std::uint8_t* Data, std::size_t Size) : In(Data), End(Data + Size) {}

    bool Next(unsigned Width, unsigned& Code)
    {
        if (Count < Width) {
            if (End - In >= 8) {
                std::uint64_t Word = 0;
                for (int i = 0; i < 8; ++i)
                    Word = Word << 8 | In[i];
                Bits |= Word >> Count;
                In += (63 - Count) >> 3;
                Count |= 56;
            } else {
                for (; Count <= 56 && In < End; Count += 8)
                    Bits |= std::uint64_t{*In++} << (56 - Count);
                if (Count < Width)
                    return false;
            }
        }
        Code = static_cast<unsigned>(Bits >> (64 - Width));
        Bits <<= Width;
        Count -= Width;
        return true;
    }

private:
    const std::uint8_t* In;
    const std::uint8_t* End;
    std::uint64_t Bits = 0;
    unsigned Count = 0;
};

// The first writers' codes: least significant bit first, the next code at
// the bottom of the buffer.
class TLsbFirstCodes {
public:
    // The width grows when the next free code is a power of two.
    static constexpr unsigned EarlyChange = 0;

    TLsbFirstCodes(const std::uint8_t* Data, std::size_t Size) : In(Data), End(Data + Size) {}

    bool Next(unsigned Width, unsigned& Code)
    {
        if (Count < Width) {
            if (End - In >= 8) {
                std::uint64_t Word = 0;
                for (int i = 7; i >= 0; --i)
                    Word = Word << 8 | In[i];
                Bits |= Word << Count;
                In += (63 - Count) >> 3;
                Count |= 56;
            } else {
                for (; Count <= 56 && In < End; Count += 8)
                    Bits |= std::uint64_t{*In++} << Count;
                if (Count < Width)
                    return false;
            }
        }
        Code = static_cast<unsigned>(Bits & ((1u << Width) - 1));
        Bits >>= Width;
        Count -= Width;
        return true;
    }

private:
    const std::uint8_t* In;
    const std::uint8_t* End;
    std::uint64_t Bits = 0;
    unsigned Count = 0;
};

// A Clear code written least significant bit first: 0 in the first byte, the
// low bit of the second set. Writers of today begin with Clear written the
// other way round, 0x80.
bool StartsLsbFirst(const std::uint8_t* Data, std::size_t Size)
{
    return Size >= 2 && Data[0] == 0 && (Data[1] & 1);
}

// Eight bytes from From to To; the source is read before the target is
// written, so the two may overlap.
inline void CopyEight(std::uint8_t* To, const std::uint8_t* From)
{
    std::uint64_t Word;
    std::memcpy(&Word, From, 8);
    std::memcpy(To, &Word, 8);
}

} // namespace

TTIFFLZWDecoder::TTIFFLZWDecoder() : Table(TableSize) {}

void TTIFFLZWDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                             std::int32_t UnpackedSize)
{
    const std::size_t Packed = PackedSize > 0 ? static_cast<std::size_t>(PackedSize) : 0;
    const std::size_t Room = UnpackedSize > 0 ? static_cast<std::size_t>(UnpackedSize) : 0;
    const std::size_t Decoded = StartsLsbFirst(Source, Packed) ? Decode(TLsbFirstCodes(Source, Packed), Target, Room)
                                                               : Decode(TMsbFirstCodes(Source, Packed), Target, Room);
    std::memset(Target + Decoded, 0, Room - Decoded);
}

// Each string code's string was decoded before, in this strip: the table
// keeps where, and the string is copied from there. A new entry is the
// previous code's string and the first byte of this one, which follows it
// in the target already.
template <typename TCodeReader>
std::size_t TTIFFLZWDecoder::Decode(TCodeReader Codes, std::uint8_t* const Target, const std::size_t Room)
{
    TString* const Strings = Table.data();
    std::uint8_t* Out = Target;
    std::uint8_t* const End = Target + Room;
    unsigned Width = MinWidth;
    unsigned Free = FirstFree;
    // Length 0: no string before this code, as after Clear.
    TString Previous{0, 0};
    unsigned Code;
    while (Codes.Next(Width, Code)) {
        if (Code == ClearCode) {
            Width = MinWidth;
            Free = FirstFree;
            Previous.Length = 0;
            continue;
        }
        if (Code == EndCode || Out == End)
            break;
        const std::size_t Left = static_cast<std::size_t>(End - Out);
        std::uint32_t Length = 1;
        if (Code < 256) {
            *Out = static_cast<std::uint8_t>(Code);
        } else {
            // A code beyond the table, or a string code with no string
            // before it, cannot be decoded: the strip ends.
            const bool Repeat = Code == Free && Previous.Length != 0;
            if (Code >= Free && !Repeat)
                break;
            // KwKwK: the code defined by this very step is the previous
            // string and its own first byte.
            const TString Copy = Repeat ? Previous : Strings[Code];
            Length = Repeat ? Previous.Length + 1 : Copy.Length;
            const std::uint8_t* From = Target + Copy.Offset;
            if (Length > Left) {
                std::memcpy(Out, From, Left);
                Out = End;
                break;
            }
            // A string ends before Out, so the copy reads nothing it
            // writes. Short strings are copied 16 bytes at once; the bytes
            // past the string are overwritten by the next ones.
            if (Left >= 16 && Copy.Length <= 16) {
                CopyEight(Out, From);
                CopyEight(Out + 8, From + 8);
            } else {
                std::memcpy(Out, From, Copy.Length);
            }
            if (Repeat)
                Out[Length - 1] = *Out;
        }
        if (Previous.Length != 0 && Free < TableSize) {
            Strings[Free++] = {Previous.Offset, Previous.Length + 1};
            if (Free + TCodeReader::EarlyChange == 1u << Width && Width < MaxWidth)
                ++Width;
        }
        Previous = {static_cast<std::uint32_t>(Out - Target), Length};
        Out += Length;
    }
    return static_cast<std::size_t>(Out - Target);
}

} // namespace vidlark
