// The deflate decoder: whole and piecewise streams, the counts a reader
// inspects, one stream a call with AutoReset, and damaged data reported
// through the result rather than raised.

#include "imaging/GraphicErrors.h"
#include "imaging/decoders/LZ77Decoder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Sample(std::size_t Count)
{
    Bytes Data(Count);
    std::uint32_t Seed = 7;
    for (std::size_t i = 0; i < Count; ++i) {
        Seed = Seed * 1103515245u + 12345u;
        // Repeats for back-references, noise for literals.
        Data[i] = i % 3 == 0 ? static_cast<std::uint8_t>(i / 97) : static_cast<std::uint8_t>(Seed >> 16);
    }
    return Data;
}

Bytes Deflate(const Bytes& Plain, int Level = Z_DEFAULT_COMPRESSION)
{
    uLongf Size = compressBound(static_cast<uLong>(Plain.size()));
    Bytes Packed(Size);
    EXPECT_EQ(compress2(Packed.data(), &Size, Plain.data(), static_cast<uLong>(Plain.size()), Level), Z_OK);
    Packed.resize(Size);
    return Packed;
}

struct TStep {
    std::ptrdiff_t SourceMoved;
    std::ptrdiff_t TargetMoved;
};

TStep Step(TLZ77Decoder& Decoder, std::uint8_t* Source, std::int32_t PackedSize,
           std::uint8_t* Target, std::int32_t UnpackedSize)
{
    std::uint8_t* In = Source;
    std::uint8_t* Out = Target;
    Decoder.Unpack(In, Out, PackedSize, UnpackedSize);
    return {In - Source, Out - Target};
}

} // namespace

TEST(LZ77Decoder, InflatesAWholeStreamInOneCall)
{
    const Bytes Plain = Sample(5000);
    Bytes Packed = Deflate(Plain);
    Bytes Target(Plain.size() + 8, 0xEE);
    TLZ77Decoder Decoder(Z_FINISH, false);
    Decoder.StartUnpack();
    const TStep Moved = Step(Decoder, Packed.data(), static_cast<std::int32_t>(Packed.size()),
                             Target.data(), static_cast<std::int32_t>(Plain.size()));
    EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_END);
    EXPECT_EQ(Moved.SourceMoved, static_cast<std::ptrdiff_t>(Packed.size()));
    EXPECT_EQ(Moved.TargetMoved, static_cast<std::ptrdiff_t>(Plain.size()));
    EXPECT_EQ(Decoder.AvailableInput(), 0u);
    EXPECT_EQ(Decoder.AvailableOutput(), 0u);
    EXPECT_EQ(Bytes(Target.begin(), Target.begin() + 5000), Plain);
    EXPECT_EQ(Target[5000], 0xEE);
    EXPECT_NO_THROW(Decoder.FinishUnpack());
}

TEST(LZ77Decoder, PiecesOfInputAndOutputGiveTheSameBytes)
{
    // As a PNG reader feeds it: input in small chunks, output row by row;
    // the checksum after the last byte needs no room.
    for (const int Level : {0, 1, 9}) {
        const Bytes Plain = Sample(3001);
        Bytes Packed = Deflate(Plain, Level);
        Bytes Target(Plain.size());
        TLZ77Decoder Decoder(Z_PARTIAL_FLUSH, false);
        Decoder.StartUnpack();
        std::size_t In = 0, Out = 0;
        while (Decoder.ZLibResult() == Z_OK && In < Packed.size()) {
            const std::int32_t Chunk = static_cast<std::int32_t>(std::min<std::size_t>(7, Packed.size() - In));
            const std::int32_t Row = static_cast<std::int32_t>(std::min<std::size_t>(100, Target.size() - Out));
            const TStep Moved = Step(Decoder, Packed.data() + In, Chunk, Target.data() + Out, Row);
            EXPECT_EQ(Decoder.AvailableInput(), static_cast<std::uint32_t>(Chunk - Moved.SourceMoved));
            EXPECT_EQ(Decoder.AvailableOutput(), static_cast<std::uint32_t>(Row - Moved.TargetMoved));
            In += static_cast<std::size_t>(Moved.SourceMoved);
            Out += static_cast<std::size_t>(Moved.TargetMoved);
        }
        EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_END) << "level " << Level;
        EXPECT_EQ(In, Packed.size());
        EXPECT_EQ(Target, Plain);
        Decoder.FinishUnpack();
    }
}

TEST(LZ77Decoder, AutoResetTakesOneStreamEachCall)
{
    const Bytes First = Sample(400), Second(300, 9);
    Bytes PackedFirst = Deflate(First), PackedSecond = Deflate(Second);
    TLZ77Decoder Decoder(Z_FINISH, true);
    Decoder.StartUnpack();
    Bytes Target(400);
    Step(Decoder, PackedFirst.data(), static_cast<std::int32_t>(PackedFirst.size()), Target.data(), 400);
    EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_END);
    EXPECT_EQ(Target, First);
    const TStep Moved = Step(Decoder, PackedSecond.data(), static_cast<std::int32_t>(PackedSecond.size()),
                             Target.data(), 300);
    EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_END);
    EXPECT_EQ(Moved.TargetMoved, 300);
    EXPECT_EQ(Bytes(Target.begin(), Target.begin() + 300), Second);
    Decoder.FinishUnpack();

    // Without the reset the second stream is data after the end of the first.
    TLZ77Decoder Plain(Z_FINISH, false);
    Plain.StartUnpack();
    Step(Plain, PackedFirst.data(), static_cast<std::int32_t>(PackedFirst.size()), Target.data(), 400);
    const TStep After = Step(Plain, PackedSecond.data(), static_cast<std::int32_t>(PackedSecond.size()),
                             Target.data(), 300);
    EXPECT_EQ(Plain.ZLibResult(), Z_STREAM_END);
    EXPECT_EQ(After.TargetMoved, 0);
    EXPECT_EQ(Plain.AvailableInput(), PackedSecond.size());
}

TEST(LZ77Decoder, DamagedDataAreReportedInTheResultNotRaised)
{
    const Bytes Plain = Sample(1000);
    Bytes Packed = Deflate(Plain);
    struct TCase {
        const char* Name;
        Bytes Data;
    };
    Bytes BadHeader = Packed;
    BadHeader[1] ^= 0x01; // the header check no longer divides by 31
    Bytes BadBlock = Packed;
    BadBlock[2] = 0xFF; // block type 3 does not exist
    Bytes BadChecksum = Packed;
    BadChecksum.back() ^= 0xFF;
    for (TCase& Case : std::vector<TCase>{{"header", BadHeader}, {"block", BadBlock}, {"checksum", BadChecksum}}) {
        TLZ77Decoder Decoder(Z_PARTIAL_FLUSH, false);
        Decoder.StartUnpack();
        Bytes Target(Plain.size());
        EXPECT_NO_THROW(Step(Decoder, Case.Data.data(), static_cast<std::int32_t>(Case.Data.size()),
                             Target.data(), static_cast<std::int32_t>(Target.size())));
        EXPECT_EQ(Decoder.ZLibResult(), Z_DATA_ERROR) << Case.Name;
        EXPECT_NO_THROW(Decoder.FinishUnpack());
    }
}

TEST(LZ77Decoder, NegativeSizesAndMissingStartDecodeNothing)
{
    Bytes Packed = Deflate(Sample(100));
    Bytes Target(100, 0xEE);
    TLZ77Decoder Decoder(Z_PARTIAL_FLUSH, false);
    // Not started: nothing is touched and there is no stream to end.
    TStep Moved = Step(Decoder, Packed.data(), static_cast<std::int32_t>(Packed.size()), Target.data(), 100);
    EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_ERROR);
    EXPECT_EQ(Moved.SourceMoved, 0);
    EXPECT_EQ(Moved.TargetMoved, 0);
    EXPECT_NO_THROW(Decoder.FinishUnpack());

    Decoder.StartUnpack();
    Moved = Step(Decoder, Packed.data(), -5, Target.data(), -1);
    EXPECT_EQ(Decoder.ZLibResult(), Z_BUF_ERROR);
    EXPECT_EQ(Moved.SourceMoved, 0);
    EXPECT_EQ(Target, Bytes(100, 0xEE));
    Decoder.FinishUnpack();
    // A second end, as a reader's clean-up after a failure may call it, is harmless.
    EXPECT_NO_THROW(Decoder.FinishUnpack());
}

TEST(LZ77Decoder, ARestartBeginsANewStream)
{
    const Bytes Plain = Sample(200);
    Bytes Packed = Deflate(Plain);
    Bytes Target(200);
    TLZ77Decoder Decoder(Z_PARTIAL_FLUSH, false);
    Decoder.StartUnpack();
    Step(Decoder, Packed.data(), 10, Target.data(), 200);
    // Started again without an end in between (a reader that loads twice).
    Decoder.StartUnpack();
    Step(Decoder, Packed.data(), static_cast<std::int32_t>(Packed.size()), Target.data(), 200);
    EXPECT_EQ(Decoder.ZLibResult(), Z_STREAM_END);
    EXPECT_EQ(Target, Plain);
}
