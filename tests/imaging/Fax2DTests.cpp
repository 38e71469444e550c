// Two-dimensional fax coding, group 4 and group 3 2-D, over bit strings
// written here mode by mode: each case gives the rows as their changing
// elements (black from each even-numbered change to the next).

#include "imaging/decoders/CCITTDecoder.h"
#include "tests/imaging/FaxBitStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace vidlark;
using namespace vidlark::test::fax;

namespace {

const std::string V0 = "1", VR1 = "011", VR2 = "000011", VR3 = "0000011";
const std::string VL1 = "010", VL2 = "000010", VL3 = "0000010";
const std::string Pass = "0001";
const std::string Uncompressed = "0000001111";

// Horizontal mode from a white a0: a white run, then a black one.
std::string H(int White, int Black)
{
    return "001" + Run(false, White) + Run(true, Black);
}

std::string Times(int Count, const std::string& Bits)
{
    std::string All;
    for (int i = 0; i < Count; ++i)
        All += Bits;
    return All;
}

// Fill bits before each end of line, so that it ends on a byte.
std::string FillBeforeEndsOfLine(const std::string& Bits)
{
    std::string Filled;
    for (std::size_t At = 0; At < Bits.size();) {
        const std::size_t Next = Bits.find(EndOfLine, At);
        if (Next == std::string::npos) {
            Filled += Bits.substr(At);
            break;
        }
        Filled += Bits.substr(At, Next - At);
        Filled += std::string((8 - (Filled.size() + EndOfLine.size()) % 8) % 8, '0') + EndOfLine;
        At = Next + EndOfLine.size();
    }
    return Filled;
}

using TChanges = std::vector<std::uint32_t>;

// Rows of Width pixels from their changing elements; rows not given are 0.
Bytes PackedRows(std::uint32_t Width, const std::vector<TChanges>& Rows, std::size_t RowCount)
{
    const std::size_t RowBytes = (Width + 7) / 8;
    Bytes Packed(RowBytes * RowCount, 0);
    for (std::size_t y = 0; y < Rows.size(); ++y)
        for (std::size_t i = 0; i < Rows[y].size(); i += 2) {
            const std::uint32_t End = i + 1 < Rows[y].size() ? Rows[y][i + 1] : Width;
            for (std::uint32_t x = Rows[y][i]; x < End; ++x)
                Packed[y * RowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    return Packed;
}

enum class TCoding { Group4, Group3TwoD };

struct TCase {
    const char* Name;
    TCoding Coding;
    std::uint32_t Width;
    std::string Bits;
    std::vector<TChanges> Rows;
    std::size_t RowCount; // rows of the target
};

Bytes DecodeCase(const TCase& C, bool SwapBits)
{
    const Bytes Packed = Pack(C.Bits);
    const std::size_t Size = (C.Width + 7) / 8 * C.RowCount;
    if (C.Coding == TCoding::Group4) {
        TCCITTFax4Decoder Decoder(0, C.Width, false, SwapBits);
        return Decode(Decoder, SwapBits ? Reversed(Packed) : Packed, Size);
    }
    TCCITTFax3Decoder Decoder(1, C.Width, false, SwapBits);
    return Decode(Decoder, SwapBits ? Reversed(Packed) : Packed, Size);
}

// Row 1 of "every vertical mode": black 8-16, 24-32, 40-48, 56-60.
const std::string Steps = H(8, 8) + H(8, 8) + H(8, 8) + H(8, 4) + V0;
// Every other pixel black, from the first: sixteen changes in 16 pixels.
const std::string Stripes = H(0, 1) + Times(7, H(1, 1)) + H(1, 0);
// A group 3 page: a row in runs, one copied from it, one moved right.
const std::string Group3Rows = EndOfLine + "1" + Row({3, 5, 8}) + "000" + EndOfLine + "0" + V0 + V0 + V0 +
                               EndOfLine + "0" + VR1 + V0 + V0;

const TCase Cases[] = {
    {"a white row against the imaginary white row", TCoding::Group4, 16, V0, {{}}, 1},
    {"a row that starts black", TCoding::Group4, 16, H(0, 4) + V0, {{0, 4}}, 1},
    {"every vertical mode", TCoding::Group4, 64, Steps + V0 + VR1 + VR2 + VR3 + VL1 + VL2 + VL3 + V0 + V0,
     {{8, 16, 24, 32, 40, 48, 56, 60}, {8, 17, 26, 35, 39, 46, 53, 60}}, 2},
    {"a move left back over a change above", TCoding::Group4, 16, H(4, 2) + V0 + VL3 + VL3 + V0 + V0 + V0,
     {{4, 6}, {1, 3, 4, 6}}, 2},
    {"pass mode", TCoding::Group4, 16, H(4, 4) + V0 + Pass + H(2, 2) + V0, {{4, 8}, {10, 12}}, 2},
    {"pass and vertical modes on the first pixel", TCoding::Group4, 16,
     H(0, 3) + V0 + Pass + H(1, 2) + V0 + V0 + VR1 + V0, {{0, 3}, {4, 6}, {4, 7}}, 3},
    {"horizontal runs with make-up codes", TCoding::Group4, 2600, H(1800, 700) + V0 + H(100, 30) + V0,
     {{1800, 2500}, {100, 130}}, 2},
    {"runs of no pixels", TCoding::Group4, 16, H(3, 0) + H(0, 2) + V0, {{3, 5}}, 1},
    {"a change right of the row's end is clipped", TCoding::Group4, 10, H(8, 2) + VR3 + H(1, 1) + V0,
     {{8}, {}, {1, 2}}, 3},
    {"every pixel a change", TCoding::Group4, 16, Stripes + Times(17, V0),
     {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}}, 2},
    {"the end of the data ends the strip", TCoding::Group4, 16, H(2, 2) + V0 + EndOfLine + EndOfLine + "111",
     {{2, 4}}, 3},
    {"uncompressed mode ends the strip", TCoding::Group4, 16, H(2, 2) + V0 + Uncompressed + "1111111", {{2, 4}}, 3},
    {"a change left of a0 ends the strip", TCoding::Group4, 16, H(4, 8) + V0 + H(1, 1) + VL3 + "111",
     {{4, 12}, {1, 2}}, 3},
    {"group 3: rows in runs and against the row above", TCoding::Group3TwoD, 16, Group3Rows,
     {{3, 8}, {3, 8}, {4, 8}}, 3},
    {"group 3: end-of-line codes that end on a byte", TCoding::Group3TwoD, 16, FillBeforeEndsOfLine(Group3Rows),
     {{3, 8}, {3, 8}, {4, 8}}, 3},
    {"group 3: the first row against the imaginary white row", TCoding::Group3TwoD, 16,
     EndOfLine + "0" + H(1, 2) + V0, {{1, 3}}, 1},
    {"group 3: an end of line inside a row ends it white", TCoding::Group3TwoD, 16,
     EndOfLine + "0" + H(2, 3) + EndOfLine + "1" + Row({0, 16}), {{2, 5}, {0}}, 2},
    {"group 3: uncompressed mode ends the strip", TCoding::Group3TwoD, 16,
     EndOfLine + "1" + Row({2, 2, 12}) + EndOfLine + "0" + Uncompressed + EndOfLine + "1" + Row({0, 16}),
     {{2, 4}}, 3},
};

} // namespace

TEST(Fax2DDecoders, RowsFollowTheirModes)
{
    for (const TCase& C : Cases)
        for (bool SwapBits : {false, true})
            EXPECT_EQ(DecodeCase(C, SwapBits), PackedRows(C.Width, C.Rows, C.RowCount))
                << C.Name << (SwapBits ? ", first bit lowest" : "");
}

TEST(Fax2DDecoders, EachStripStartsAgainstAWhiteRow)
{
    TCCITTFax4Decoder Decoder(0, 16, false, false);
    EXPECT_EQ(Decode(Decoder, Pack(H(2, 2) + V0), 2), PackedRows(16, {{2, 4}}, 1));
    // Against the last row of the strip before, these would copy it.
    EXPECT_EQ(Decode(Decoder, Pack(V0 + V0 + V0), 2), PackedRows(16, {{}}, 1));
}

TEST(Fax2DDecoders, RandomBitsAreDecodedInPart)
{
    std::mt19937 Random(17);
    Bytes Noise(400);
    std::generate(Noise.begin(), Noise.end(), [&] { return static_cast<std::uint8_t>(Random()); });
    // Group 3 rows follow ends of line: 0x00 0x10 holds one and a 0 bit,
    // so each 16 bytes of noise are a row coded against the row above.
    Bytes Group3Noise;
    for (auto Chunk = Noise.begin(); Chunk != Noise.end(); Chunk += 16) {
        Group3Noise.insert(Group3Noise.end(), {0x00, 0x10});
        Group3Noise.insert(Group3Noise.end(), Chunk, Chunk + 16);
    }
    constexpr std::size_t RowBytes = 13, Rows = 60;
    TCCITTFax4Decoder Group4(0, 100, false, false);
    TCCITTFax3Decoder Group3(1, 100, false, false);
    for (const auto& [Decoder, Data] : {std::pair<TDecoder*, Bytes>{&Group4, Noise}, {&Group3, Group3Noise}}) {
        const Bytes Target = Decode(*Decoder, Data, RowBytes * Rows);
        EXPECT_NE(std::count(Target.begin(), Target.end(), 0), static_cast<std::ptrdiff_t>(Target.size()));
        EXPECT_TRUE(std::all_of(Target.end() - RowBytes, Target.end(), [](std::uint8_t Byte) { return Byte == 0; }));
    }
}
