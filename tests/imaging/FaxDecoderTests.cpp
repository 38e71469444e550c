// The fax decoders over bit strings encoded here from the code words, and
// the ThunderScan decoder over byte-built codes.

#include "imaging/decoders/CCITTDecoder.h"
#include "imaging/decoders/T4Codes.h"
#include "imaging/decoders/ThunderDecoder.h"
#include "tests/imaging/FaxBitStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace vidlark;
using namespace vidlark::test::fax;

TEST(T4Tables, EveryBitStringBeginsWithOneCodeWordAndEveryWordDecodes)
{
    for (const auto* Table : {&t4::WhiteTable(), &t4::BlackTable()})
        for (const t4::TCodeEntry& Entry : *Table)
            ASSERT_GE(Entry.Length, 2);
    for (bool Black : {false, true}) {
        const auto& Codes = Black ? t4::BlackCodes : t4::WhiteCodes;
        const auto& Table = Black ? t4::BlackTable() : t4::WhiteTable();
        auto ExpectDecoded = [&](const t4::TCodeWord& Word) {
            const std::string Bits = std::string(Word.Bits) + std::string(13 - std::string(Word.Bits).size(), '1');
            const t4::TCodeEntry Entry = Table[std::stoul(Bits, nullptr, 2)];
            EXPECT_EQ(Entry.Value, Word.Run) << Word.Bits;
            EXPECT_EQ(Entry.Length, std::string(Word.Bits).size());
        };
        for (const t4::TCodeWord& Word : Codes)
            ExpectDecoded(Word);
        for (const t4::TCodeWord& Word : t4::SharedCodes)
            ExpectDecoded(Word);
    }
    EXPECT_EQ(t4::WhiteTable()[std::stoul(EndOfLine + "1", nullptr, 2)].Value, t4::EndOfLine);
}

TEST(Fax3Decoder, RowsFollowTheirEndOfLineCodes)
{
    // A full white row, then a row of 3 white, 2 black, 3 white after
    // fill bits; each row after an end-of-line code.
    TCCITTFax3Decoder Decoder(0, 8, false, false);
    const Bytes Rows = Decode(Decoder, Pack(EndOfLine + Row({8}) + "0000" + EndOfLine + Row({3, 2, 3})), 2);
    EXPECT_EQ(Rows, (Bytes{0x00, 0x18}));
}

TEST(Fax3Decoder, RunsAddUpAndEndInTheirRow)
{
    struct TCase {
        const char* Name;
        std::uint32_t Width;
        std::string Bits;
        Bytes Rows;
    };
    const TCase Cases[] = {
        // 1792 + 8 is one run of 1800.
        {"extended make-up", 1808, EndOfLine + Row({1800, 8}), [] {
             Bytes Row(226, 0);
             Row[225] = 0xFF;
             return Row;
         }()},
        // A width not a multiple of 8 ends in a partly used byte; the next
        // row starts in the next byte.
        {"odd width", 10, EndOfLine + Row({0, 10}) + EndOfLine + Row({9, 1}), Bytes{0xFF, 0xC0, 0x00, 0x40}},
        // A black run longer than the row is clipped; the next row is intact.
        {"long run", 8, EndOfLine + Row({2, 300}) + EndOfLine + Row({7, 1}), Bytes{0x3F, 0x01}},
        // An invalid code ends its row.
        {"invalid code", 8, EndOfLine + Row({2}) + "000000001" + EndOfLine + Row({0, 8}), Bytes{0x00, 0xFF}},
    };
    for (const TCase& C : Cases) {
        TCCITTFax3Decoder Decoder(0, C.Width, false, false);
        EXPECT_EQ(Decode(Decoder, Pack(C.Bits), C.Rows.size()), C.Rows) << C.Name;
    }
}

TEST(MHDecoder, RowsStartWhiteOnAByteOrWordFromTheStripsStart)
{
    // Row 1 starts black: a white run of 0 first. Rows start on a byte.
    TCCITTMHDecoder Plain(0, 6, false, false);
    const std::string Row1 = Row({0, 2, 4}), Row2 = Row({5, 1});
    std::string Bits = Row1 + std::string((8 - Row1.size() % 8) % 8, '0') + Row2;
    EXPECT_EQ(Decode(Plain, Pack(Bits), 2), (Bytes{0xC0, 0x04}));

    // Word aligned: the rows start on even bytes counted from the strip's
    // start, wherever the strip lies in memory.
    const std::string Wide = Row({0, 1000, 8});
    Bytes Strip = Pack(Wide);
    Strip.resize((Strip.size() + 1) / 2 * 2, 0);
    const Bytes Second = Pack(Row({1008}));
    Strip.insert(Strip.end(), Second.begin(), Second.end());
    Bytes Shifted(Strip.size() + 1, 0xAA);
    std::copy(Strip.begin(), Strip.end(), Shifted.begin() + 1);
    TCCITTMHDecoder Aligned(0, 1008, true, false);
    Bytes Target(252, 0xEE);
    std::uint8_t* Source = Shifted.data() + 1;
    std::uint8_t* Out = Target.data();
    Aligned.Unpack(Source, Out, static_cast<std::int32_t>(Strip.size()), static_cast<std::int32_t>(Target.size()));
    Bytes Expected(252, 0);
    std::fill_n(Expected.begin(), 125, 0xFF);
    EXPECT_EQ(Target, Expected);
}

TEST(FaxDecoders, ReversedBitOrderReadsAPrivateCopy)
{
    Bytes Packed = Reversed(Pack(EndOfLine + Row({3, 2, 3})));
    const Bytes Stored = Packed;
    TCCITTFax3Decoder Decoder(0, 8, false, true);
    std::uint8_t* Source = Packed.data();
    Bytes Target(1);
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Packed.size()), 1);
    EXPECT_EQ(Target, Bytes{0x18});
    EXPECT_EQ(Packed, Stored);
}

TEST(ThunderDecoder, CodesRepeatAddDeltasAndRestartEachRow)
{
    // Width 5: rows of 3 bytes. Row 0: 195 gives 3; 2 repeats it twice;
    // 0b01'01'10'11 adds +1, skips, -1 -> 4, 3. Row 1: the last value
    // restarts at 0: 0b10'011'111 adds +3 and -1 -> 3, 2; a run of 1 -> 2.
    TThunderDecoder Decoder(5);
    const Bytes Packed{195, 2, 0b01'01'10'11, 0b10'011'111, 1, 0xC7, 0xC9};
    EXPECT_EQ(Decode(Decoder, Packed, 6), (Bytes{0x33, 0x34, 0x30, 0x32, 0x27, 0x90}));
}
