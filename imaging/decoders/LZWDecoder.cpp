#include "imaging/decoders/LZWDecoder.h"

#include <array>
#include <cstring>

namespace vidlark {

namespace {

constexpr unsigned ClearCode = 256;
constexpr unsigned EndCode = 257;
constexpr unsigned FirstFree = 258;
constexpr unsigned TableSize = 4096;
constexpr unsigned MinWidth = 9;
constexpr unsigned MaxWidth = 12;

// Codes most significant bit first (TIFF) or least significant bit first
// (the first writers), kept in a 64-bit buffer: the next code at its top, or
// at its bottom. The buffer is refilled eight bytes at a time while the data
// hold that many (the bytes past the buffer's count are loaded again by the
// next refill, to the same bits), then byte by byte.
template <bool MsbFirst>
class TCodeReader {
public:
    // TIFF's width grows when the next free code is one below a power of
    // two, the first writers' when it is a power of two.
    static constexpr unsigned EarlyChange = MsbFirst ? 1 : 0;

    TCodeReader(const std::uint8_t* Data, std::size_t Size) : In(Data), End(Data + Size) {}

    // False when fewer than Width bits are left.
    bool Next(unsigned Width, unsigned& Code)
    {
        if (Count < Width) {
            if (End - In >= 8) {
                std::uint64_t Word = 0;
                for (int i = 0; i < 8; ++i)
                    Word = Word << 8 | In[MsbFirst ? i : 7 - i];
                Bits |= Behind(Word);
                In += (63 - Count) >> 3;
                Count |= 56;
            } else {
                for (; Count <= 56 && In < End; Count += 8) {
                    const std::uint64_t Byte = *In++;
                    Bits |= Behind(MsbFirst ? Byte << 56 : Byte);
                }
                if (Count < Width)
                    return false;
            }
        }
        if constexpr (MsbFirst) {
            Code = static_cast<unsigned>(Bits >> (64 - Width));
            Bits <<= Width;
        } else {
            Code = static_cast<unsigned>(Bits & ((1u << Width) - 1));
            Bits >>= Width;
        }
        Count -= Width;
        return true;
    }

private:
    // Bits that start where the buffer's next code starts, moved behind the
    // Count bits it holds.
    std::uint64_t Behind(std::uint64_t Aligned) const { return MsbFirst ? Aligned >> Count : Aligned << Count; }

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

// Strings up to this length are copied in one piece of this size.
constexpr std::size_t ShortString = 32;

// 16 bytes from From to To; the source is read before the target is
// written, so the two may overlap.
inline void CopySixteen(std::uint8_t* To, const std::uint8_t* From)
{
    struct {
        std::uint64_t Low, High;
    } Bytes;
    std::memcpy(&Bytes, From, 16);
    std::memcpy(To, &Bytes, 16);
}

// The 256 one-byte strings, and the slack a short string's copy of the last
// reads.
constexpr std::array<std::uint8_t, 256 + ShortString> SingleBytes = [] {
    std::array<std::uint8_t, 256 + ShortString> Bytes{};
    for (unsigned i = 0; i < 256; ++i)
        Bytes[i] = static_cast<std::uint8_t>(i);
    return Bytes;
}();

} // namespace

// One entry more than codes: a full table writes the entry it cannot keep
// there.
TTIFFLZWDecoder::TTIFFLZWDecoder() : Table(std::make_unique_for_overwrite<TString[]>(TableSize + 1))
{
    for (unsigned i = 0; i < 256; ++i)
        Table[i] = {&SingleBytes[i], 1};
}

void TTIFFLZWDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                             std::int32_t UnpackedSize)
{
    const std::size_t Packed = PackedSize > 0 ? static_cast<std::size_t>(PackedSize) : 0;
    const std::size_t Room = UnpackedSize > 0 ? static_cast<std::size_t>(UnpackedSize) : 0;
    const std::size_t Decoded = StartsLsbFirst(Source, Packed) ? Decode(TCodeReader<false>(Source, Packed), Target, Room)
                                                               : Decode(TCodeReader<true>(Source, Packed), Target, Room);
    // An empty target may be no buffer at all.
    if (Decoded < Room)
        std::memset(Target + Decoded, 0, Room - Decoded);
}

// A string code's string was decoded before, in this strip, or is a single
// byte: the table keeps where, and the string is copied from there. The
// entry a code adds is the previous code's string and the first byte of this
// one, which follows it in the target.
template <typename TCodes>
std::size_t TTIFFLZWDecoder::Decode(TCodes Codes, std::uint8_t* const Target, const std::size_t Room)
{
    TString* const Strings = Table.get();
    std::uint8_t* Out = Target;
    std::uint8_t* const End = Target + Room;
    unsigned Code;
    // One pass a Clear code; the strip starts as after one. The first code
    // after Clear must be a single byte: there is no string before it that
    // a string code (KwKwK, say) could build on.
    while (Codes.Next(MinWidth, Code) && Out != End) {
        if (Code == ClearCode)
            continue;
        if (Code >= 256)
            break;
        *Out = static_cast<std::uint8_t>(Code);
        TString Previous{Out++, 1};
        unsigned Width = MinWidth;
        unsigned Free = FirstFree;
        bool Cleared = false;
        while (Codes.Next(Width, Code)) {
            // Written before the code is looked up, so that KwKwK, the code
            // of this very entry, finds it.
            Strings[Free] = {Previous.Data, Previous.Length + 1};
            // Clear starts the next pass; EndOfInformation ends the strip,
            // and so does a code beyond the table, which cannot be decoded.
            if (Code > Free || Code == ClearCode || Code == EndCode) {
                Cleared = Code == ClearCode;
                break;
            }
            const TString Here = Strings[Code];
            const std::size_t Left = static_cast<std::size_t>(End - Out);
            // Short strings go in one piece; the bytes past the string are
            // overwritten by the next ones. A string of the target ends
            // before Out, but for KwKwK's last byte, which is its first, at
            // Out: so the last byte is copied once the others are.
            if (Here.Length <= ShortString && Left >= ShortString) {
                CopySixteen(Out, Here.Data);
                CopySixteen(Out + 16, Here.Data + 16);
            } else if (Here.Length <= Left) {
                std::memcpy(Out, Here.Data, Here.Length - 1);
            } else {
                std::memcpy(Out, Here.Data, Left);
                return Room;
            }
            Out[Here.Length - 1] = Here.Data[Here.Length - 1];
            Previous = {Out, Here.Length};
            Out += Here.Length;
            if (Free < TableSize)
                ++Free;
            if (Free + TCodes::EarlyChange == 1u << Width && Width < MaxWidth)
                ++Width;
        }
        if (!Cleared)
            break;
    }
    return static_cast<std::size_t>(Out - Target);
}

} // namespace vidlark
