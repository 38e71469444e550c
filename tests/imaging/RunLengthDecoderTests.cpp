// The run-length decoders: their packet schemes, where they stop, and that
// damaged control bytes never take them outside their buffers.

#include "imaging/decoders/CUTRLEDecoder.h"
#include "imaging/decoders/PCXRLEDecoder.h"
#include "imaging/decoders/PSPRLEDecoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/RLADecoder.h"
#include "imaging/decoders/SGIRLEDecoder.h"
#include "imaging/decoders/TargaRLEDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint8_t Guard = 0xEE;

// Runs one Unpack over Packed into a target of Room units (of UnitBytes)
// followed by guard bytes, and reports the bytes written and how far the
// caller's Source moved.
struct TUnpackResult {
    Bytes Written;
    std::ptrdiff_t SourceMoved = 0;
    bool GuardIntact = true;
    bool TargetKept = true;
};

TUnpackResult RunUnpack(TDecoder& Decoder, Bytes Packed, std::int32_t Room, std::size_t UnitBytes = 1,
                        std::int32_t PackedSize = -1)
{
    const std::size_t RoomBytes = static_cast<std::size_t>(Room) * UnitBytes;
    Bytes Target(RoomBytes + 16, Guard);
    std::uint8_t* Source = Packed.data();
    std::uint8_t* Out = Target.data();
    Decoder.Unpack(Source, Out, PackedSize < 0 ? static_cast<std::int32_t>(Packed.size()) : PackedSize, Room);
    TUnpackResult Result;
    Result.SourceMoved = Source - Packed.data();
    Result.TargetKept = Out == Target.data();
    Result.Written.assign(Target.begin(), Target.begin() + static_cast<std::ptrdiff_t>(RoomBytes));
    for (std::size_t i = RoomBytes; i < Target.size(); ++i)
        Result.GuardIntact = Result.GuardIntact && Target[i] == Guard;
    return Result;
}

Bytes Repeat(std::uint8_t Value, std::size_t Count) { return Bytes(Count, Value); }

Bytes Join(std::initializer_list<Bytes> Parts)
{
    Bytes All;
    for (const Bytes& Part : Parts)
        All.insert(All.end(), Part.begin(), Part.end());
    return All;
}

} // namespace

TEST(TargaRLEDecoder, RunAndRawPacketsOfEachDepth)
{
    TTargaRLEDecoder Decoder24(24);
    auto Run = RunUnpack(Decoder24, {130, 1, 2, 3}, 3, 3);
    EXPECT_EQ(Run.Written, (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(Run.SourceMoved, 4);
    EXPECT_TRUE(Run.TargetKept);

    TTargaRLEDecoder Decoder16(16);
    auto Mixed = RunUnpack(Decoder16, {1, 0x11, 0x22, 0x33, 0x44, 129, 0xAB, 0xCD}, 4, 2);
    EXPECT_EQ(Mixed.Written, (Bytes{0x11, 0x22, 0x33, 0x44, 0xAB, 0xCD, 0xAB, 0xCD}));

    TTargaRLEDecoder Decoder32(32);
    auto Wide = RunUnpack(Decoder32, {0, 9, 8, 7, 6, 255, 1, 2, 3, 4}, 129, 4);
    EXPECT_EQ(Wide.Written.size(), 129u * 4);
    EXPECT_EQ(Wide.Written[128 * 4 + 3], 4);
    EXPECT_EQ(Wide.SourceMoved, 10);
}

TEST(TargaRLEDecoder, PacketPastTheRowIsClippedButConsumedWhole)
{
    TTargaRLEDecoder Decoder(8);
    // A run of 128 and a raw packet of 4 into a row of 3 pixels.
    auto Run = RunUnpack(Decoder, {255, 7, 3, 1, 2, 3, 4}, 3);
    EXPECT_EQ(Run.Written, (Bytes{7, 7, 7}));
    EXPECT_EQ(Run.SourceMoved, 2);
    EXPECT_TRUE(Run.GuardIntact);

    auto Raw = RunUnpack(Decoder, {1, 5, 6, 3, 1, 2, 3, 4, 99}, 3);
    EXPECT_EQ(Raw.Written, (Bytes{5, 6, 1}));
    EXPECT_EQ(Raw.SourceMoved, 8);
    EXPECT_TRUE(Raw.GuardIntact);
}

TEST(TargaRLEDecoder, PacketPastTheSourceEndsTheCall)
{
    TTargaRLEDecoder Decoder(24);
    // A raw packet of 3 pixels of which only 2 are there.
    auto Raw = RunUnpack(Decoder, {2, 1, 1, 1, 2, 2, 2, 3}, 4, 3);
    EXPECT_EQ(Raw.Written, Join({Bytes{1, 1, 1, 2, 2, 2}, Repeat(Guard, 6)}));
    EXPECT_LE(Raw.SourceMoved, 8);
    // A run packet whose pixel value is cut off writes nothing.
    auto Run = RunUnpack(Decoder, {130, 1, 2}, 4, 3);
    EXPECT_EQ(Run.Written, Repeat(Guard, 12));
    // PackedSize, not the buffer, is the bound.
    auto Bounded = RunUnpack(Decoder, {0, 1, 2, 3, 0, 4, 5, 6}, 2, 3, 4);
    EXPECT_EQ(Bounded.Written, Join({Bytes{1, 2, 3}, Repeat(Guard, 3)}));
    EXPECT_EQ(Bounded.SourceMoved, 4);
}

TEST(TargaRLEDecoder, UnknownDepthDecodesAndEncodesNothing)
{
    TTargaRLEDecoder Decoder(12);
    auto Result = RunUnpack(Decoder, {130, 1, 2, 3}, 3, 1);
    EXPECT_EQ(Result.Written, Repeat(Guard, 3));
    EXPECT_EQ(Result.SourceMoved, 0);
    std::int32_t Stored = -1;
    Bytes Out(8, 0);
    const Bytes Pixels{1, 2, 3};
    Decoder.Pack(Pixels.data(), Out.data(), 3, Stored);
    EXPECT_EQ(Stored, 0);
}

TEST(TargaRLEDecoder, PackSplitsLiteralsFromRuns)
{
    TTargaRLEDecoder Decoder(24);
    const Bytes A{1, 1, 1}, B{2, 2, 2}, C{3, 3, 3};
    const Bytes Pixels = Join({A, B, C, C, C});
    Bytes Out(Decoder.PackedSizeFor(5), 0);
    std::int32_t Stored = 0;
    Decoder.Pack(Pixels.data(), Out.data(), 5, Stored);
    EXPECT_EQ(Stored, 2 * 3 + 1 + 3 + 1);
    Out.resize(static_cast<std::size_t>(Stored));
    EXPECT_EQ(Out, Join({Bytes{1}, A, B, Bytes{130}, C}));

    const Bytes Single{9, 8, 7};
    Decoder.Pack(Single.data(), Out.data(), 1, Stored);
    EXPECT_EQ(Stored, 4);
    EXPECT_EQ(Out[0], 0);
}

TEST(TargaRLEDecoder, PackLimitsPacketsTo128Pixels)
{
    TTargaRLEDecoder Decoder(8);
    const Bytes Same(200, 42);
    Bytes Out(Decoder.PackedSizeFor(200), 0);
    std::int32_t Stored = 0;
    Decoder.Pack(Same.data(), Out.data(), 200, Stored);
    ASSERT_EQ(Stored, 4);
    EXPECT_EQ((Bytes{Out[0], Out[1], Out[2], Out[3]}), (Bytes{255, 42, 128 + 71, 42}));

    Bytes Distinct(300);
    for (std::size_t i = 0; i < Distinct.size(); ++i)
        Distinct[i] = static_cast<std::uint8_t>(i * 7);
    Out.assign(Decoder.PackedSizeFor(300), 0);
    Decoder.Pack(Distinct.data(), Out.data(), 300, Stored);
    EXPECT_EQ(Stored, 300 + 3);
    EXPECT_EQ(Out[0], 127);
    EXPECT_EQ(Out[129], 127);
    EXPECT_EQ(Out[258], 43);
}

TEST(TargaRLEDecoder, PackStaysWithinItsStatedSize)
{
    // Single pixels between pairs cost a control byte each (found by fuzzing).
    TTargaRLEDecoder Decoder(8);
    const Bytes Pixels{0x10, 0, 0, 2, 0, 0};
    Bytes Out(Decoder.PackedSizeFor(Pixels.size()), Guard);
    std::int32_t Stored = 0;
    Decoder.Pack(Pixels.data(), Out.data(), 6, Stored);
    EXPECT_EQ(Stored, 8);
    EXPECT_LE(static_cast<std::size_t>(Stored), Out.size());
    // A 2 times row buffer, as the Targa writer uses, always suffices.
    for (std::uint32_t Depth : {8u, 16u, 24u, 32u})
        EXPECT_LE(TTargaRLEDecoder(Depth).PackedSizeFor(100), 2 * 100 * ((Depth + 7) / 8));
}

TEST(TargaRLEDecoder, PackThenUnpackGivesThePixelsBack)
{
    for (std::uint32_t Depth : {8u, 15u, 16u, 24u, 32u}) {
        TTargaRLEDecoder Decoder(Depth);
        const std::size_t PixelBytes = Depth == 8 ? 1 : Depth <= 16 ? 2 : Depth / 8;
        const std::size_t Count = 1000;
        Bytes Pixels(Count * PixelBytes);
        std::uint32_t Seed = Depth;
        for (std::size_t i = 0; i < Count; ++i) {
            Seed = Seed * 1103515245u + 12345u;
            // Stretches of equal pixels among changing ones.
            const bool Hold = i > 0 && (Seed >> 16) % 3 != 0;
            for (std::size_t b = 0; b < PixelBytes; ++b)
                Pixels[i * PixelBytes + b] = Hold ? Pixels[(i - 1) * PixelBytes + b]
                                                  : static_cast<std::uint8_t>(Seed >> (8 + b));
        }
        Bytes Packed(Decoder.PackedSizeFor(Count));
        std::int32_t Stored = 0;
        Decoder.Pack(Pixels.data(), Packed.data(), static_cast<std::int32_t>(Count), Stored);
        ASSERT_GT(Stored, 0);
        ASSERT_LE(static_cast<std::size_t>(Stored), Packed.size());
        Packed.resize(static_cast<std::size_t>(Stored));
        auto Result = RunUnpack(Decoder, Packed, static_cast<std::int32_t>(Count), PixelBytes);
        EXPECT_EQ(Result.Written, Pixels) << "depth " << Depth;
        EXPECT_EQ(Result.SourceMoved, Stored);
    }
}

TEST(PackbitsRLEDecoder, ControlBytesAndLimits)
{
    TPackbitsRLEDecoder Decoder;
    // 2 copies 3 bytes, -128 is skipped, -2 repeats 3 times.
    auto Mixed = RunUnpack(Decoder, {2, 1, 2, 3, 0x80, 0xFE, 9}, 6);
    EXPECT_EQ(Mixed.Written, (Bytes{1, 2, 3, 9, 9, 9}));
    EXPECT_EQ(Mixed.SourceMoved, 0);
    EXPECT_TRUE(Mixed.TargetKept);
    // The target fills in the middle of a literal: the rest is not copied.
    auto Short = RunUnpack(Decoder, {4, 1, 2, 3, 4, 5, 0xFF, 7}, 3);
    EXPECT_EQ(Short.Written, (Bytes{1, 2, 3}));
    EXPECT_TRUE(Short.GuardIntact);
    // PackedSize 1 with a literal control byte copies nothing.
    auto Lone = RunUnpack(Decoder, {3, 1, 2, 3, 4}, 4, 1, 1);
    EXPECT_EQ(Lone.Written, Repeat(Guard, 4));
    // A literal longer than the packed data copies what is there; a run
    // without its value writes nothing.
    auto Cut = RunUnpack(Decoder, {5, 1, 2}, 6);
    EXPECT_EQ(Cut.Written, Join({Bytes{1, 2}, Repeat(Guard, 4)}));
    auto NoValue = RunUnpack(Decoder, {0xF0}, 6);
    EXPECT_EQ(NoValue.Written, Repeat(Guard, 6));
    // Nor is a run's value taken from beyond PackedSize when the buffer
    // goes on: the next row's first byte is not this row's.
    auto Bounded = RunUnpack(Decoder, {0xFE, 9}, 3, 1, 1);
    EXPECT_EQ(Bounded.Written, Repeat(Guard, 3));
    // A run longer than the room is clipped.
    auto Clipped = RunUnpack(Decoder, {0x81, 4}, 5);
    EXPECT_EQ(Clipped.Written, Repeat(4, 5));
    EXPECT_TRUE(Clipped.GuardIntact);
}

TEST(PCXRLEDecoder, PartsCarryRunsOnAndTakeNoLiteralOfTheNextPart)
{
    TPCXRLEDecoder Decoder;
    const Bytes Packed{0xC5, 8, 1, 2, 3};
    Bytes First(3), Second(4);
    TPCXPendingRun Pending;
    const auto A = Decoder.UnpackPart(Packed.data(), 5, First.data(), 3, Pending);
    EXPECT_EQ(First, (Bytes{8, 8, 8}));
    EXPECT_EQ(A.Taken, 2u);
    EXPECT_EQ(A.Written, 3u);
    EXPECT_EQ(Pending.Count, 2u);
    // The run's last two bytes, then two literals; the third stays.
    const auto B = Decoder.UnpackPart(Packed.data() + A.Taken, 3, Second.data(), 4, Pending);
    EXPECT_EQ(Second, (Bytes{8, 8, 1, 2}));
    EXPECT_EQ(B.Taken, 2u);
    EXPECT_EQ(B.Written, 4u);
    // Data that end early say how much they wrote.
    Bytes Third(4, 0xEE);
    const auto C = Decoder.UnpackPart(Packed.data() + 4, 1, Third.data(), 4, Pending);
    EXPECT_EQ(C.Written, 1u);
    EXPECT_EQ(Third, (Bytes{3, 0xEE, 0xEE, 0xEE}));
}

TEST(PCXRLEDecoder, RunsLiteralsAndLimits)
{
    TPCXRLEDecoder Decoder;
    // 192 writes nothing but takes its value byte; 193 repeats once; 195 three times.
    auto Mixed = RunUnpack(Decoder, {192, 77, 193, 5, 6, 195, 200}, 5);
    EXPECT_EQ(Mixed.Written, (Bytes{5, 6, 200, 200, 200}));
    EXPECT_EQ(Mixed.SourceMoved, 0);
    // A run longer than the room is clipped there and the call ends.
    auto Clipped = RunUnpack(Decoder, {255, 1, 2}, 10);
    EXPECT_EQ(Clipped.Written, Join({Repeat(1, 10)}));
    auto Room = RunUnpack(Decoder, {255, 1, 2}, 4);
    EXPECT_EQ(Room.Written, Repeat(1, 4));
    EXPECT_TRUE(Room.GuardIntact);
    // The packed data end first: the rest of the target is left as it was.
    auto Short = RunUnpack(Decoder, {1, 2, 194}, 5);
    EXPECT_EQ(Short.Written, (Bytes{1, 2, Guard, Guard, Guard}));
}

TEST(SGIRLEDecoder, EightBitRows)
{
    TSGIRLEDecoder Decoder(8);
    // 3 repeats 5, 130 copies 2 bytes, then the end marker.
    auto Row = RunUnpack(Decoder, {3, 5, 130, 8, 9, 0, 1, 1}, 6);
    EXPECT_EQ(Row.Written, (Bytes{5, 5, 5, 8, 9, Guard}));
    EXPECT_EQ(Row.SourceMoved, 0);
    // A control byte 0 or 128 ends the row at once.
    EXPECT_EQ(RunUnpack(Decoder, {0, 3, 5}, 3).Written, Repeat(Guard, 3));
    EXPECT_EQ(RunUnpack(Decoder, {128, 3, 5}, 3).Written, Repeat(Guard, 3));
    // Output past the row is dropped; later packets are still read.
    auto Clipped = RunUnpack(Decoder, {127, 4, 131, 1, 2, 3, 0}, 2);
    EXPECT_EQ(Clipped.Written, (Bytes{4, 4}));
    EXPECT_TRUE(Clipped.GuardIntact);
    // A literal cut off by the end of the data copies what is there.
    EXPECT_EQ(RunUnpack(Decoder, {133, 1, 2}, 5).Written, (Bytes{1, 2, Guard, Guard, Guard}));
}

TEST(SGIRLEDecoder, SixteenBitRowsKeepTheirByteOrder)
{
    TSGIRLEDecoder Decoder(16);
    // Word 0x0002 repeats the sample 0x1234 twice; word 0x0081 copies one.
    auto Row = RunUnpack(Decoder, {0x00, 0x02, 0x12, 0x34, 0x00, 0x81, 0xAB, 0xCD, 0x00, 0x00}, 4, 2);
    EXPECT_EQ(Row.Written, (Bytes{0x12, 0x34, 0x12, 0x34, 0xAB, 0xCD, Guard, Guard}));
    // Only the low byte of the word counts.
    auto High = RunUnpack(Decoder, {0xFF, 0x01, 0x55, 0x66, 0x00, 0x00}, 2, 2);
    EXPECT_EQ(High.Written, (Bytes{0x55, 0x66, Guard, Guard}));
    // A run clipped to one sample leaves the guard intact.
    auto Clipped = RunUnpack(Decoder, {0x00, 0x7F, 0x01, 0x02}, 1, 2);
    EXPECT_EQ(Clipped.Written, (Bytes{0x01, 0x02}));
    EXPECT_TRUE(Clipped.GuardIntact);
    // An odd byte at the end is no sample.
    EXPECT_EQ(RunUnpack(Decoder, {0x00, 0x82, 0x01, 0x02, 0x03}, 2, 2).Written,
              (Bytes{0x01, 0x02, Guard, Guard}));
    TSGIRLEDecoder Odd(12);
    EXPECT_EQ(RunUnpack(Odd, {3, 5, 0}, 3).Written, Repeat(Guard, 3));
}

TEST(CUTRLEDecoder, RowsEndAtTheZeroByte)
{
    TCUTRLEDecoder Decoder;
    // Byte count, run of 3, literal of 2, end; then the next row's count.
    const Bytes Rows{6, 0, 131, 4, 2, 8, 9, 0, 5, 0};
    auto Row = RunUnpack(Decoder, Rows, 5);
    EXPECT_EQ(Row.Written, (Bytes{4, 4, 4, 8, 9}));
    EXPECT_EQ(Row.SourceMoved, 8);
    // Output past the row is dropped, but the row is read to its end.
    auto Clipped = RunUnpack(Decoder, Rows, 2);
    EXPECT_EQ(Clipped.Written, (Bytes{4, 4}));
    EXPECT_TRUE(Clipped.GuardIntact);
    EXPECT_EQ(Clipped.SourceMoved, 8);
    // Without a zero byte the row ends with the data.
    auto Open = RunUnpack(Decoder, {1, 0, 3, 1, 2}, 5);
    EXPECT_EQ(Open.Written, (Bytes{1, 2, Guard, Guard, Guard}));
    EXPECT_EQ(Open.SourceMoved, 5);
    auto Tiny = RunUnpack(Decoder, {1}, 5);
    EXPECT_EQ(Tiny.SourceMoved, 1);
}

TEST(PSPRLEDecoder, RunsLiteralsAndLimits)
{
    TPSPRLEDecoder Decoder;
    // 2 copies two bytes, 131 repeats 3 times, 128 repeats nothing but takes its value.
    auto Mixed = RunUnpack(Decoder, {2, 1, 2, 131, 7, 128, 50, 1, 3}, 6);
    EXPECT_EQ(Mixed.Written, (Bytes{1, 2, 7, 7, 7, 3}));
    EXPECT_EQ(Mixed.SourceMoved, 0);
    auto Clipped = RunUnpack(Decoder, {255, 1, 3, 5, 6, 7}, 4);
    EXPECT_EQ(Clipped.Written, Repeat(1, 4));
    EXPECT_TRUE(Clipped.GuardIntact);
    EXPECT_EQ(RunUnpack(Decoder, {5, 1, 2}, 4).Written, (Bytes{1, 2, Guard, Guard}));
}

TEST(RLADecoder, RunsLiteralsAndLimits)
{
    TRLADecoder Decoder;
    // 1 repeats twice, -3 copies three bytes.
    auto Mixed = RunUnpack(Decoder, {1, 6, 0xFD, 1, 2, 3}, 5);
    EXPECT_EQ(Mixed.Written, (Bytes{6, 6, 1, 2, 3}));
    EXPECT_EQ(Mixed.SourceMoved, 0);
    auto Clipped = RunUnpack(Decoder, {127, 9, 0x80}, 3);
    EXPECT_EQ(Clipped.Written, Repeat(9, 3));
    EXPECT_TRUE(Clipped.GuardIntact);
    EXPECT_EQ(RunUnpack(Decoder, {0xFC, 1, 2}, 4).Written, (Bytes{1, 2, Guard, Guard}));
    EXPECT_EQ(RunUnpack(Decoder, {4}, 4).Written, Repeat(Guard, 4));
}

TEST(RunLengthDecoders, NoRoomMeansNoTarget)
{
    // A reader may hand over no target at all for an empty row; runs must
    // not reach the block fill then (packets found by fuzzing).
    TCUTRLEDecoder CUT;
    TPSPRLEDecoder PSP;
    TRLADecoder RLA;
    TSGIRLEDecoder SGI(8);
    TPCXRLEDecoder PCX;
    TPackbitsRLEDecoder Packbits;
    TTargaRLEDecoder Targa(24);
    const std::pair<TDecoder*, Bytes> Cases[] = {
        {&CUT, {8, 9, 0x9F, 0x9F, 0x9F, 0x9F, 0x9F, 0, 5, 0}},
        {&PSP, {0xFF, 0xFF, 1, 3}},
        {&RLA, {8, 1, 0x0A, 0, 0, 0, 8, 0x19}},
        {&SGI, {1, 0x12, 6, 0xFF, 1, 1}},
        {&PCX, {0xC3, 5}},
        {&Packbits, {0xFE, 5}},
        {&Targa, {0x82, 1, 2, 3}},
    };
    for (const auto& [Decoder, Packets] : Cases) {
        Bytes Packed = Packets;
        std::uint8_t* Source = Packed.data();
        std::uint8_t* Target = nullptr;
        Decoder->Unpack(Source, Target, static_cast<std::int32_t>(Packed.size()), 0);
        EXPECT_EQ(Target, nullptr);
        EXPECT_GE(Source, Packed.data());
        EXPECT_LE(Source, Packed.data() + Packed.size());
    }
}

TEST(RunLengthDecoders, OnlyTargaPacks)
{
    TPackbitsRLEDecoder Packbits;
    TPCXRLEDecoder PCX;
    TSGIRLEDecoder SGI(8);
    TCUTRLEDecoder CUT;
    TPSPRLEDecoder PSP;
    TRLADecoder RLA;
    const Bytes Pixels{1, 1, 1, 1};
    for (TDecoder* Decoder : std::initializer_list<TDecoder*>{&Packbits, &PCX, &SGI, &CUT, &PSP, &RLA}) {
        Bytes Out(8, Guard);
        std::int32_t Stored = -1;
        Decoder->Pack(Pixels.data(), Out.data(), 4, Stored);
        EXPECT_EQ(Stored, 0);
        EXPECT_EQ(Out, Repeat(Guard, 8));
    }
}
