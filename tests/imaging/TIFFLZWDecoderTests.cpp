// The LZW decoder over streams written here: long ones by a small encoder
// that follows TIFF's writers (code widths, Clear when the table is full),
// and short ones code by code for damaged data.

#include "imaging/decoders/LZWDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr unsigned Clear = 256, End = 257;

// Codes of a given width packed most (TIFF) or least (the first writers)
// significant bit first.
class TCodeWriter {
public:
    explicit TCodeWriter(bool LsbFirst) : LsbFirst(LsbFirst) {}

    void Put(unsigned Code, unsigned Width)
    {
        for (unsigned i = 0; i < Width; ++i, ++Bits) {
            if (Bits % 8 == 0)
                Data.push_back(0);
            const unsigned Bit = LsbFirst ? (Code >> i) & 1 : (Code >> (Width - 1 - i)) & 1;
            Data.back() |= static_cast<std::uint8_t>(Bit << (LsbFirst ? Bits % 8 : 7 - Bits % 8));
        }
    }
    Bytes Data;

private:
    bool LsbFirst;
    std::size_t Bits = 0;
};

// Short hand-made streams: 9-bit codes.
Bytes Codes(std::initializer_list<unsigned> List, bool LsbFirst = false)
{
    TCodeWriter Writer(LsbFirst);
    for (unsigned Code : List)
        Writer.Put(Code, 9);
    return Writer.Data;
}

struct TEncoding {
    bool LsbFirst = false;
    // Without it the table fills up and stays full.
    bool ClearWhenFull = true;
};

// LZW as TIFF's writers do it: Clear first, a new entry for every code put,
// the width one bit more as soon as the decoder's next free code will need
// it (one code early, unless LsbFirst), Clear when the next free code
// reaches 4094.
Bytes Encode(const Bytes& Data, TEncoding How = {})
{
    TCodeWriter Writer(How.LsbFirst);
    std::map<std::pair<unsigned, std::uint8_t>, unsigned> Table;
    unsigned Free = 258, Width = 9;
    const unsigned Early = How.LsbFirst ? 0 : 1;
    auto Counted = [&] {
        if (Free < 4096)
            ++Free;
        if (How.ClearWhenFull && Free == 4094) {
            Writer.Put(Clear, Width);
            Table.clear();
            Free = 258;
            Width = 9;
        } else if (Free + Early - 1 == 1u << Width && Width < 12) {
            ++Width;
        }
    };
    Writer.Put(Clear, Width);
    std::size_t i = 0;
    while (i < Data.size()) {
        unsigned Prefix = Data[i++];
        for (auto Found = Table.end(); i < Data.size() && (Found = Table.find({Prefix, Data[i]})) != Table.end(); ++i)
            Prefix = Found->second;
        Writer.Put(Prefix, Width);
        if (i < Data.size() && Free < 4096)
            Table[{Prefix, Data[i]}] = Free;
        Counted();
    }
    Writer.Put(End, Width);
    return Writer.Data;
}

// Decodes into a target of Room bytes followed by guard bytes, which must
// stay as they were; the target starts full of 0xEE.
Bytes Decode(Bytes Packed, std::size_t Room)
{
    Bytes Target(Room + 16, 0xEE);
    TTIFFLZWDecoder Decoder;
    Decoder.StartUnpack();
    std::uint8_t* Source = Packed.data();
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Packed.size()), static_cast<std::int32_t>(Room));
    Decoder.FinishUnpack();
    EXPECT_EQ(Source, Packed.data());
    EXPECT_EQ(Out, Target.data());
    EXPECT_EQ(Bytes(Target.begin() + static_cast<std::ptrdiff_t>(Room), Target.end()), Bytes(16, 0xEE));
    Target.resize(Room);
    return Target;
}

Bytes Text(const std::string& Value, std::size_t Room = 0)
{
    Bytes Result(Value.begin(), Value.end());
    Result.resize(std::max(Room, Result.size()), 0);
    return Result;
}

// Noise, or runs of a few values (long strings, KwKwK codes).
Bytes Sample(std::size_t Size, unsigned Values)
{
    Bytes Data(Size);
    std::uint32_t Seed = static_cast<std::uint32_t>(Size) * 2654435761u + Values;
    for (std::uint8_t& Byte : Data) {
        Seed = Seed * 1103515245u + 12345u;
        Byte = static_cast<std::uint8_t>((Seed >> 16) % Values);
    }
    return Data;
}

} // namespace

TEST(LZWDecoder, DecodesWhatTheEncoderWrote)
{
    // 254, 766 and 1790 codes after Clear bring the decoder's next free code
    // to 511, 1023 and 2047, where the width grows (at 512, 1024, 2048 for
    // the first writers): the lengths around them end the stream with End
    // written in the old and in the new width. Noise takes a code a byte.
    std::vector<Bytes> Inputs{{}, {7}, Sample(20000, 256), Sample(20000, 3), Bytes(5000, 9)};
    for (std::size_t Centre : {255u, 767u, 1791u, 3836u})
        for (std::size_t Size = Centre - 4; Size <= Centre + 4; ++Size)
            Inputs.push_back(Sample(Size, 256));
    for (const bool LsbFirst : {false, true})
        for (const bool ClearWhenFull : {true, false})
            for (const Bytes& Input : Inputs) {
                SCOPED_TRACE(testing::Message() << Input.size() << " bytes, LsbFirst " << LsbFirst << ", Clear "
                                                << ClearWhenFull);
                EXPECT_EQ(Decode(Encode(Input, {LsbFirst, ClearWhenFull}), Input.size()), Input);
            }
}

TEST(LZWDecoder, DamagedOrShortDataGiveWhatWasDecodedBefore)
{
    struct TCase {
        const char* Name;
        Bytes Packed;
        std::size_t Room;
        Bytes Expected;
    };
    const TCase Cases[] = {
        {"no EndOfInformation", Codes({Clear, 'A', 'B', 258}), 8, Text("ABAB", 8)},
        {"a code beyond the table", Codes({Clear, 'A', 'B', 260, 'C', End}), 8, Text("AB", 8)},
        {"KwKwK first after Clear", Codes({Clear, 'A', Clear, 258, 'C', End}), 8, Text("A", 8)},
        {"KwKwK after a string", Codes({Clear, 'A', 'B', 259, End}), 8, Text("ABBB", 8)},
        {"a target smaller than the data", Codes({Clear, 'A', 'B', 258, 258, End}), 5, Text("ABABA")},
        {"a string copied where room is left", Codes({Clear, 'A', 'B', 258, 260}), 40, Text("ABABABA", 40)},
        {"no Clear at the start", Codes({'A', 'B', 258, End}), 4, Text("ABAB")},
        {"bytes after EndOfInformation", Codes({Clear, 'A', End, 'B'}), 4, Text("A", 4)},
        {"Clear after Clear", Codes({Clear, Clear, 'A', End}), 1, Text("A")},
        {"codes cut in the middle", Bytes{0x80, 0x10, 0x40}, 4, Text("A", 4)},
        {"the first writers' bit order", Codes({Clear, 'A', 'B', 258, End}, true), 4, Text("ABAB")},
        {"nothing", {}, 3, Bytes(3, 0)},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(Decode(C.Packed, C.Room), C.Expected) << C.Name;
}

TEST(LZWDecoder, EachStripStartsAFreshTable)
{
    // In a fresh table the second strip's 258 is KwKwK, "CC"; in the first
    // strip's table it would be "AB".
    TTIFFLZWDecoder Decoder;
    Bytes First = Codes({Clear, 'A', 'B', End}), Second = Codes({'C', 258, End});
    Bytes Target(4, 0);
    std::uint8_t* Out = Target.data();
    std::uint8_t* Source = First.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(First.size()), 4);
    EXPECT_EQ(Target, Text("AB", 4));
    Source = Second.data();
    Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Second.size()), 4);
    EXPECT_EQ(Target, Text("CCC", 4));
}
