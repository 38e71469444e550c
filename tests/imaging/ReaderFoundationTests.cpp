// The pieces every reader shares: endian fields, the bounded byte reader,
// level widening, packed samples, and the size checks made before
// allocating.

#include "imaging/ByteReader.h"
#include "imaging/Endian.h"
#include "imaging/ReaderChecks.h"
#include "imaging/SampleHelpers.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct TMixedHeader {
    std::uint8_t Kind;
    TBigEndian16 Big16;
    TLittleEndian16 Little16;
    TBigEndian32 Big32;
    TLittleEndian32 Little32;
};
static_assert(sizeof(TMixedHeader) == 13);

const char* const InvalidSample = "Cannot load image. Invalid or unexpected Sample image format.";

} // namespace

TEST(EndianFields, ReadAndWriteInTheirOwnOrder)
{
    TMemoryStream Stream(Bytes{7, 0x12, 0x34, 0x12, 0x34, 1, 2, 3, 4, 1, 2, 3, 4, 0xEE});
    TByteReader Reader(Stream, 64, "Sample");
    EXPECT_EQ(Reader.Size(), 14u);
    const TMixedHeader H = Reader.Struct<TMixedHeader>();
    EXPECT_EQ(H.Kind, 7);
    EXPECT_EQ(H.Big16, 0x1234);
    EXPECT_EQ(H.Little16, 0x3412);
    EXPECT_EQ(H.Big32, 0x01020304u);
    EXPECT_EQ(H.Little32, 0x04030201u);

    TMixedHeader Written{};
    Written.Big32.Set(0xA1B2C3D4u);
    Written.Little16.Set(0xBEEF);
    EXPECT_EQ(Written.Big32.Bytes[0], 0xA1);
    EXPECT_EQ(Written.Little16.Bytes[0], 0xEF);
}

TEST(ByteReader, BigEndianReadsAndTheStreamsPositionIsKept)
{
    TMemoryStream Stream(Bytes{0xFF, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04});
    Stream.SetPosition(1);
    TByteReader Reader(Stream, 6, "Sample");
    EXPECT_EQ(Stream.GetPosition(), 1);
    EXPECT_EQ(Reader.U16BE(), 0xABCD);
    EXPECT_EQ(Reader.U32BE(), 0x01020304u);
    EXPECT_TRUE(Reader.AtEnd());
}

TEST(ByteReader, AShortStreamFailsInTheReadersOwnWords)
{
    TMemoryStream Stream(Bytes{1, 2, 3});
    TByteReader Reader(Stream, 13, "Sample");
    EXPECT_EQ(Reader.Size(), 3u);
    try {
        Reader.Struct<TMixedHeader>();
        ADD_FAILURE() << "read 13 bytes out of 3";
    } catch (const EInvalidGraphic& E) {
        EXPECT_STREQ(E.what(), InvalidSample);
    }
}

TEST(SampleHelpers, WidenLevelKeepsFullScaleAndRounds)
{
    struct TCase {
        unsigned Level, Bits;
        std::uint8_t Wide;
    };
    const TCase Cases[] = {
        {0, 5, 0},   {31, 5, 255}, {16, 5, 132}, {3, 5, 25}, {63, 6, 255}, {1, 6, 4},
        {1, 1, 255}, {2, 2, 170},  {15, 4, 255}, {7, 4, 119}, {255, 8, 255},
        {0x3F, 5, 255}, // bits above the level's width are not part of it
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(WidenLevel(C.Level, C.Bits), C.Wide) << C.Level << "/" << C.Bits;
}

TEST(SampleHelpers, PackedSamplesComeMostSignificantFirst)
{
    const std::uint8_t Row[] = {0b10'01'11'00, 0xA5};
    EXPECT_EQ(PackedSample(Row, 0, 1), 1);
    EXPECT_EQ(PackedSample(Row, 1, 1), 0);
    EXPECT_EQ(PackedSample(Row, 8, 1), 1);
    EXPECT_EQ(PackedSample(Row, 2, 2), 3);
    EXPECT_EQ(PackedSample(Row, 5, 2), 2);
    EXPECT_EQ(PackedSample(Row, 2, 4), 0xA);
    EXPECT_EQ(PackedSample(Row, 3, 4), 0x5);
    EXPECT_EQ(PackedSample(Row, 1, 8), 0xA5);
}

TEST(ReaderChecks, RefuseBeforeAllocating)
{
    TMemoryStream Stream(Bytes(100, 0));
    auto Refused = [](auto Check) {
        test::ResetLargestAllocation();
        try {
            Check();
        } catch (const EInvalidGraphic& E) {
            EXPECT_STREQ(E.what(), InvalidSample);
            EXPECT_LT(test::LargestAllocation(), 1024u);
            return true;
        }
        return false;
    };
    // Over the pixel cap, over the bitmap cap, empty, and more data than left.
    EXPECT_TRUE(Refused([&] { CheckPictureSize(Stream, 20000, 5001, 8, 0, "Sample"); }));
    EXPECT_TRUE(Refused([&] { CheckPictureSize(Stream, 10000, 10000, 48, 0, "Sample"); }));
    EXPECT_TRUE(Refused([&] { CheckPictureSize(Stream, 0, 10, 8, 0, "Sample"); }));
    EXPECT_TRUE(Refused([&] { CheckPictureSize(Stream, 10, 10, 8, 101, "Sample"); }));
    EXPECT_TRUE(Refused([&] { ReadFileBlock(Stream, 0xFFFFFFF0u, "Sample"); }));
    EXPECT_FALSE(Refused([&] { CheckPictureSize(Stream, 10, 10, 8, 100, "Sample"); }));
    EXPECT_EQ(ReadFileBlock(Stream, 100, "Sample").size(), 100u);
    EXPECT_EQ(SaturatingProduct(1ull << 40, 1ull << 40), UINT64_MAX);
}
