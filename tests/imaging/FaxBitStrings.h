#pragma once
// Fax data written bit by bit for the decoder tests: runs encoded from the
// code words, strings of '0' and '1' packed into bytes, either bit order,
// and one Unpack call over them.

#include "imaging/decoders/Decoder.h"
#include "imaging/decoders/T4Codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vidlark::test::fax {

using Bytes = std::vector<std::uint8_t>;

inline const std::string EndOfLine = "000000000001";

inline std::string CodeFor(const std::array<t4::TCodeWord, 91>& Codes, int Run)
{
    for (const t4::TCodeWord& Word : Codes)
        if (Word.Run == Run)
            return Word.Bits;
    for (const t4::TCodeWord& Word : t4::SharedCodes)
        if (Word.Run == Run)
            return Word.Bits;
    ADD_FAILURE() << "no code word for " << Run;
    return {};
}

// A run as make-up codes (2560 while they fit, then the largest that fits)
// and a terminating code.
inline std::string Run(bool Black, int Length)
{
    const auto& Codes = Black ? t4::BlackCodes : t4::WhiteCodes;
    std::string Bits;
    while (Length >= 2560) {
        Bits += CodeFor(Codes, 2560);
        Length -= 2560;
    }
    if (Length >= 64) {
        Bits += CodeFor(Codes, Length / 64 * 64);
        Length %= 64;
    }
    return Bits + CodeFor(Codes, Length);
}

// Alternating runs of one row, white first.
inline std::string Row(std::initializer_list<int> Runs)
{
    std::string Bits;
    bool Black = false;
    for (int Length : Runs) {
        Bits += Run(Black, Length);
        Black = !Black;
    }
    return Bits;
}

// Bits packed first bit highest, the last byte filled with 0.
inline Bytes Pack(const std::string& Bits)
{
    Bytes Packed((Bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < Bits.size(); ++i)
        if (Bits[i] == '1')
            Packed[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return Packed;
}

// Each byte with its bits in reverse order, first bit lowest.
inline Bytes Reversed(Bytes Data)
{
    for (std::uint8_t& Byte : Data) {
        std::uint8_t Swapped = 0;
        for (int i = 0; i < 8; ++i)
            Swapped |= static_cast<std::uint8_t>(((Byte >> i) & 1) << (7 - i));
        Byte = Swapped;
    }
    return Data;
}

// One Unpack call into a target of TargetBytes that held 0xEE before.
inline Bytes Decode(TDecoder& Decoder, Bytes Packed, std::size_t TargetBytes)
{
    Bytes Target(TargetBytes, 0xEE);
    std::uint8_t* Source = Packed.data();
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Packed.size()), static_cast<std::int32_t>(Target.size()));
    EXPECT_LE(Source, Packed.data() + Packed.size());
    return Target;
}

} // namespace vidlark::test::fax
