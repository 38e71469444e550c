#pragma once
// The T.4 run-length code words as data, and per colour a table that tells
// the code word that begins a bit string by looking at its next 13 bits
// (the longest code word has 13).

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
inline constexpr std::int16_t InvalidCode = -2;  // the four 9- to 12-bit prefixes no code word has

struct TCodeEntry {
    std::int16_t Value = InvalidCode;
    std::uint8_t Length = 0; // bits of the code word
};

inline constexpr unsigned LookupBits = 13;
using TCodeTable = std::array<TCodeEntry, 1u << LookupBits>;

const TCodeTable& WhiteTable();
const TCodeTable& BlackTable();

} // namespace vidlark::t4
