#pragma once
// The T.4 code words as data: the run lengths of one-dimensional coding and
// the modes of two-dimensional coding. Per colour a table tells the run code
// word that begins a bit string by looking at its next 13 bits (the longest
// code word has 13); a smaller one tells the mode code word.

#include <array>
#include <cstdint>

namespace vidlark::t4 {

struct TCodeWord {
    std::int16_t Run;
    const char* Bits; // first-sent bit first
};

extern const std::array<TCodeWord, 91> WhiteCodes;
extern const std::array<TCodeWord, 91> BlackCodes;
extern const std::array<TCodeWord, 13> SharedCodes; // extended make-up codes

// A run of 0 to 2560 pixels, or one of these marks.
inline constexpr std::int16_t EndOfLine = -1;    // 000000000001
inline constexpr unsigned EndOfLineBits = 12;
inline constexpr std::int16_t InvalidCode = -2;  // the four 9- to 12-bit prefixes no code word has

struct TCodeEntry {
    std::int16_t Value = InvalidCode;
    std::uint8_t Length = 0; // bits of the code word
};

inline constexpr unsigned LookupBits = 13;
using TCodeTable = std::array<TCodeEntry, 1u << LookupBits>;

const TCodeTable& WhiteTable();
const TCodeTable& BlackTable();

// Two-dimensional coding: each code word says how the next changing element
// of the row (a1) lies against those of the row above (b1, b2).
enum class TMode : std::uint8_t {
    Invalid,    // no mode word begins so (end of line is one of these)
    Pass,       // a0 moves under b2, the colour stays
    Horizontal, // two runs follow, of the current colour and the other
    Vertical,   // a1 lies Offset pixels right of b1 (left when negative)
    Extension,  // 0000001 and three bits: uncompressed mode
};

struct TModeWord {
    TMode Mode;
    std::int8_t Offset;
    const char* Bits;
};

extern const std::array<TModeWord, 10> ModeCodes;

struct TModeEntry {
    TMode Mode = TMode::Invalid;
    std::int8_t Offset = 0;
    std::uint8_t Length = 0;
};

// Mode code words have at most 7 bits.
inline constexpr unsigned ModeLookupBits = 7;
using TModeTable = std::array<TModeEntry, 1u << ModeLookupBits>;

const TModeTable& ModeTable();

} // namespace vidlark::t4
