// Lookup tables of the T.4 code words: every bit string of the table's
// width maps to the code word it begins with. For runs, the code words with
// end of line and the four prefixes that are no code word cover all 8192
// strings; for modes, the strings of seven 0 bits stay invalid (end of line
// begins so).

#include "imaging/decoders/T4Codes.h"

#include <string_view>

namespace vidlark::t4 {

namespace {

template <typename TTable, typename TEntry>
void Insert(TTable& Table, std::string_view Bits, unsigned TableBits, TEntry Entry)
{
    unsigned Code = 0;
    for (char Bit : Bits)
        Code = (Code << 1) | (Bit == '1' ? 1u : 0u);
    const unsigned FreeBits = TableBits - static_cast<unsigned>(Bits.size());
    for (unsigned Suffix = 0; Suffix < (1u << FreeBits); ++Suffix)
        Table[(Code << FreeBits) | Suffix] = Entry;
}

void Insert(TCodeTable& Table, std::string_view Bits, std::int16_t Value)
{
    Insert(Table, Bits, LookupBits, TCodeEntry{Value, static_cast<std::uint8_t>(Bits.size())});
}

TCodeTable Build(const std::array<TCodeWord, 91>& Codes)
{
    TCodeTable Table;
    for (std::string_view Prefix : {"000000001", "0000000001", "00000000001", "000000000000"})
        Insert(Table, Prefix, InvalidCode);
    Insert(Table, "000000000001", EndOfLine);
    for (const TCodeWord& Word : Codes)
        Insert(Table, Word.Bits, Word.Run);
    for (const TCodeWord& Word : SharedCodes)
        Insert(Table, Word.Bits, Word.Run);
    return Table;
}

} // namespace

const TCodeTable& WhiteTable()
{
    static const TCodeTable Table = Build(WhiteCodes);
    return Table;
}

const TCodeTable& BlackTable()
{
    static const TCodeTable Table = Build(BlackCodes);
    return Table;
}

const TModeTable& ModeTable()
{
    static const TModeTable Table = [] {
        TModeTable Modes;
        for (const TModeWord& Word : ModeCodes) {
            const std::string_view Bits = Word.Bits;
            Insert(Modes, Bits, ModeLookupBits,
                   TModeEntry{Word.Mode, Word.Offset, static_cast<std::uint8_t>(Bits.size())});
        }
        return Modes;
    }();
    return Table;
}

} // namespace vidlark::t4
