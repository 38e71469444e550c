// Lookup tables of the T.4 code words: every 13-bit string maps to the code
// word it begins with. The code words with end of line and the four prefixes
// that are no code word cover all 8192 strings.

#include "imaging/decoders/T4Codes.h"

#include <string_view>

namespace vidlark::t4 {

namespace {

void Insert(TCodeTable& Table, std::string_view Bits, std::int16_t Value)
{
    unsigned Code = 0;
    for (char Bit : Bits)
        Code = (Code << 1) | (Bit == '1' ? 1u : 0u);
    const unsigned FreeBits = LookupBits - static_cast<unsigned>(Bits.size());
    for (unsigned Suffix = 0; Suffix < (1u << FreeBits); ++Suffix)
        Table[(Code << FreeBits) | Suffix] = TCodeEntry{Value, static_cast<std::uint8_t>(Bits.size())};
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

} // namespace vidlark::t4
