// The SGI reader: content test, header reading, plain and run-length
// channel rows, damaged rows, refusals, files written by other programs and
// the registration.

#include "imaging/FileFormatList.h"
#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "imaging/SGIGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;
using test::Join;
using test::Row;

namespace {

struct THeaderFields {
    std::uint16_t Magic = 474;
    std::uint8_t Storage = 0;
    std::uint8_t BytesPerSample = 1;
    std::uint16_t Dimension = 3;
    std::uint16_t Width = 1;
    std::uint16_t Height = 1;
    std::uint16_t Channels = 3;
};

void PutBE(Bytes& Data, std::size_t At, std::uint32_t Value, unsigned Size)
{
    for (unsigned i = 0; i < Size; ++i)
        Data[At + i] = static_cast<std::uint8_t>(Value >> (8 * (Size - 1 - i)));
}

Bytes Header(const THeaderFields& F)
{
    Bytes H(512, 0);
    PutBE(H, 0, F.Magic, 2);
    H[2] = F.Storage;
    H[3] = F.BytesPerSample;
    PutBE(H, 4, F.Dimension, 2);
    PutBE(H, 6, F.Width, 2);
    PutBE(H, 8, F.Height, 2);
    PutBE(H, 10, F.Channels, 2);
    return H;
}

// A run-length file: the header, then the row start and row length tables
// built from Rows (entry k × height + r: channel k, row r), then the packets.
// An entry's start counts from the first packet byte.
struct TPackedRow {
    std::uint32_t Start;
    std::uint32_t Length;
};

Bytes RunLengthFile(THeaderFields F, const std::vector<TPackedRow>& Rows, const Bytes& Packets)
{
    F.Storage = 1;
    const std::uint32_t First = 512 + 8 * static_cast<std::uint32_t>(Rows.size());
    Bytes Tables(8 * Rows.size());
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        PutBE(Tables, 4 * i, First + Rows[i].Start, 4);
        PutBE(Tables, 4 * (Rows.size() + i), Rows[i].Length, 4);
    }
    return Join({Header(F), Tables, Packets});
}

std::unique_ptr<TSGIGraphic> Loaded(const Bytes& File)
{
    auto Graphic = std::make_unique<TSGIGraphic>();
    TMemoryStream Stream(File);
    Graphic->LoadFromStream(Stream);
    return Graphic;
}

const std::filesystem::path Fixtures = VIDLARK_SGI_DATA;

} // namespace

TEST(SGIContentTest, AcceptsLoadableHeadersOfAKnownDimension)
{
    const Bytes Good = Join({Header({}), Bytes{1, 2, 3}});
    TMemoryStream Stream(Good);
    EXPECT_TRUE(TSGIGraphic::CanReadStream(Stream));
    EXPECT_EQ(Stream.GetPosition(), 0);

    // More than the header must remain.
    TMemoryStream Bare(Header({}));
    EXPECT_FALSE(TSGIGraphic::CanReadStream(Bare));

    auto Accepted = [](THeaderFields F) {
        TMemoryStream S(Join({Header(F), Bytes{0}}));
        const bool Answer = TSGIGraphic::CanReadStream(S);
        EXPECT_EQ(S.GetPosition(), 0);
        return Answer;
    };
    EXPECT_FALSE(Accepted({.Magic = 475}));
    EXPECT_FALSE(Accepted({.BytesPerSample = 0}));
    EXPECT_FALSE(Accepted({.BytesPerSample = 3}));
    EXPECT_FALSE(Accepted({.Dimension = 0}));
    EXPECT_FALSE(Accepted({.Dimension = 4}));
    EXPECT_FALSE(Accepted({.Channels = 0}));
    EXPECT_FALSE(Accepted({.Channels = 5}));
    EXPECT_FALSE(Accepted({.Channels = 0x0103}));
    EXPECT_TRUE(Accepted({.Storage = 7, .BytesPerSample = 2, .Dimension = 1, .Channels = 1}));
    EXPECT_TRUE(Accepted({.Dimension = 2, .Channels = 2}));

    // The test starts at the stream's position.
    TMemoryStream Later(Join({Bytes{9, 9}, Good}));
    Later.SetPosition(2);
    EXPECT_TRUE(TSGIGraphic::CanReadStream(Later));
    EXPECT_EQ(Later.GetPosition(), 2);
}

TEST(SGIProperties, FollowTheHeader)
{
    struct TCase {
        std::uint8_t Storage, BytesPerSample;
        std::uint16_t Channels;
        TColorLayout Layout;
        TPixelCompression Compression;
    };
    const TCase Cases[] = {
        {0, 1, 1, schIndexed, cmpNone}, {1, 2, 1, schIndexed, cmpRLE}, {2, 1, 2, schIndexed, cmpNone},
        {0, 1, 3, schRGB, cmpNone},     {1, 2, 3, schRGB, cmpRLE},     {0, 2, 4, schRGBA, cmpNone},
    };
    for (const TCase& C : Cases) {
        TSGIGraphic Graphic;
        TMemoryStream Stream(Header({.Storage = C.Storage, .BytesPerSample = C.BytesPerSample, .Width = 300,
                                     .Height = 7, .Channels = C.Channels}));
        ASSERT_TRUE(Graphic.ReadProperties(Stream, 0));
        EXPECT_EQ(Stream.GetPosition(), 0);
        const TImageProperties& P = Graphic.ImageProperties;
        EXPECT_EQ(P.Flags, imgBigEndian);
        EXPECT_EQ(P.Width, 300u);
        EXPECT_EQ(P.Height, 7u);
        EXPECT_EQ(P.Layout, C.Layout) << C.Channels;
        EXPECT_EQ(P.BitsPerSample, 8 * C.BytesPerSample);
        EXPECT_EQ(P.SamplesPerPixel, C.Channels);
        EXPECT_EQ(P.BitsPerPixel, 8 * C.BytesPerSample * C.Channels);
        EXPECT_EQ(P.Compression, C.Compression);
    }
    // A header the reader cannot load is no header to it.
    TSGIGraphic Graphic;
    TMemoryStream Odd(Header({.BytesPerSample = 3}));
    EXPECT_FALSE(Graphic.ReadProperties(Odd, 0));
    EXPECT_EQ(Odd.GetPosition(), 0);
}

TEST(SGILoad, PlainRowsAreStoredBottomFirstChannelByChannel)
{
    // Grey: 10, 20 is the bottom row.
    const auto Grey = Loaded(Join({Header({.Width = 2, .Height = 2, .Channels = 1}), Bytes{10, 20, 30, 40}}));
    ASSERT_EQ(Grey->GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(*Grey, 0), (Bytes{30, 40}));
    EXPECT_EQ(Row(*Grey, 1), (Bytes{10, 20}));
    for (unsigned i = 0; i < 256; ++i) {
        const auto Level = static_cast<std::uint8_t>(i);
        ASSERT_EQ(Grey->PaletteEntries()[i], (TPaletteEntry{Level, Level, Level, 0}));
    }

    // RGB of two bytes a sample: the green channel of row 0 starts at
    // 512 + height × width × 2. Samples are big-endian: 0x10FF shows 0x10.
    const Bytes Red{0x10, 0xFF, 0x11, 0x11, 0x12, 0x12, 0x13, 0x13};
    const Bytes Green{0x20, 0x20, 0x21, 0x21, 0x22, 0x22, 0x23, 0x23};
    const Bytes Blue{0xFF, 0xFF, 0x31, 0x31, 0x32, 0x32, 0x33, 0x33};
    const auto Wide = Loaded(Join({Header({.BytesPerSample = 2, .Width = 2, .Height = 2}), Red, Green, Blue}));
    ASSERT_EQ(Wide->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Row(*Wide, 1), (Bytes{0xFF, 0x20, 0x10, 0x31, 0x21, 0x11}));
    EXPECT_EQ(Row(*Wide, 0), (Bytes{0x32, 0x22, 0x12, 0x33, 0x23, 0x13}));

    // RGBA keeps its alpha.
    const auto Alpha = Loaded(Join({Header({.Width = 1, .Height = 1, .Channels = 4}), Bytes{1, 2, 3, 4}}));
    ASSERT_EQ(Alpha->GetPixelFormat(), pf32bit);
    EXPECT_EQ(Row(*Alpha, 0), (Bytes{3, 2, 1, 4}));
}

TEST(SGILoad, RunLengthRowsAreFoundThroughTheTables)
{
    // Width 2, height 6, RGB: entry k × 6 + r holds a run of the level
    // 10 × k + r, stored in reverse order; rows 1 and 2 of the red channel
    // share their packets.
    std::vector<TPackedRow> Rows(18);
    Bytes Packets;
    for (std::size_t Entry = 18; Entry-- > 0;) {
        Rows[Entry] = {static_cast<std::uint32_t>(Packets.size()), 3};
        Packets.insert(Packets.end(), {2, static_cast<std::uint8_t>(10 * (Entry / 6) + Entry % 6), 0});
    }
    Rows[2] = Rows[1];
    const auto Graphic = Loaded(RunLengthFile({.Width = 2, .Height = 6}, Rows, Packets));
    // Bitmap row 0 is stored row 5: blue 25, green 15, red 5.
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{25, 15, 5, 25, 15, 5}));
    EXPECT_EQ(Row(*Graphic, 3), (Bytes{22, 12, 1, 22, 12, 1}));
    EXPECT_EQ(Row(*Graphic, 5), (Bytes{20, 10, 0, 20, 10, 0}));
}

TEST(SGILoad, RunLengthRowsStayInsideTheirRow)
{
    // Grey, width 3. Row 0: a run of 127 and a copy of 9 that the row
    // cannot hold. Row 1: a copy of 5 when 2 bytes remain in its length.
    // Row 2: ends after one sample; the rest of it is zero, not row 1's.
    const Bytes Packets{127, 7, 0x89, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0,
                        0x85, 4, 5, 6, 7, 8, 0,
                        0x81, 9, 0};
    const auto Graphic =
        Loaded(RunLengthFile({.Width = 3, .Height = 3, .Channels = 1}, {{0, 13}, {13, 3}, {20, 3}}, Packets));
    EXPECT_EQ(Row(*Graphic, 2), (Bytes{7, 7, 7}));
    EXPECT_EQ(Row(*Graphic, 1), (Bytes{4, 5, 0}));
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{9, 0, 0}));
}

TEST(SGILoad, RowsTheFileDoesNotHoldAreZero)
{
    // Row 0 starts past the end, row 1 runs past it, row 2 is whole.
    const Bytes Packets{3, 5, 0};
    const auto Graphic = Loaded(
        RunLengthFile({.Width = 3, .Height = 3, .Channels = 1}, {{1000, 3}, {1, 3}, {0, 3}}, Packets));
    EXPECT_EQ(Row(*Graphic, 2), (Bytes{0, 0, 0}));
    EXPECT_EQ(Row(*Graphic, 1), (Bytes{0, 0, 0}));
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{5, 5, 5}));
}

TEST(SGILoad, SixteenBitRunLengthRGBA)
{
    // Control words high byte first; samples as stored, high byte first.
    Bytes Packets;
    std::vector<TPackedRow> Rows;
    const std::uint8_t High[4] = {0x10, 0x20, 0x30, 0x40};
    for (std::uint8_t H : High) {
        Rows.push_back({static_cast<std::uint32_t>(Packets.size()), 12});
        Packets.insert(Packets.end(), {0x00, 0x81, H, 0xEE, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00});
    }
    const auto Graphic =
        Loaded(RunLengthFile({.BytesPerSample = 2, .Width = 2, .Height = 1, .Channels = 4}, Rows, Packets));
    ASSERT_EQ(Graphic->GetPixelFormat(), pf32bit);
    EXPECT_EQ(Row(*Graphic, 0), (Bytes{0x30, 0x20, 0x10, 0x40, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(SGILoad, TwoChannelsShowTheGreyChannel)
{
    const auto Plain =
        Loaded(Join({Header({.Width = 2, .Height = 1, .Channels = 2}), Bytes{10, 20}, Bytes{99, 99}}));
    ASSERT_EQ(Plain->GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(*Plain, 0), (Bytes{10, 20}));

    const auto Packed =
        Loaded(RunLengthFile({.Width = 2, .Height = 1, .Channels = 2}, {{0, 3}, {3, 3}}, Bytes{2, 40, 0, 2, 99, 0}));
    EXPECT_EQ(Row(*Packed, 0), (Bytes{40, 40}));
}

TEST(SGILoad, OffsetsCountFromWhereTheFileBegins)
{
    const Bytes File = test::ReadFileBytes(Fixtures / "im-rgb-rle.sgi");
    TMemoryStream Stream(Join({Bytes{1, 2, 3, 4, 5}, File}));
    Stream.SetPosition(5);
    TSGIGraphic Inside;
    Inside.LoadFromStream(Stream);
    TSGIGraphic Alone;
    Alone.LoadFromFile(Fixtures / "im-rgb-rle.sgi");
    EXPECT_EQ(Inside.ToRGBA(true).Pixels, Alone.ToRGBA(true).Pixels);
}

namespace {

struct TRefusal {
    const char* Name;
    Bytes File;

    friend void PrintTo(const TRefusal& R, std::ostream* Out) { *Out << R.Name; }
};

class SGIRefusal : public ::testing::TestWithParam<TRefusal> {};

} // namespace

TEST_P(SGIRefusal, RaisesTheReadersErrorBeforeAllocating)
{
    TSGIGraphic Graphic;
    TMemoryStream Stream(GetParam().File);
    test::ResetLargestAllocation();
    try {
        Graphic.LoadFromStream(Stream);
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& E) {
        EXPECT_STREQ(E.what(), "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.");
    }
    EXPECT_LT(test::LargestAllocation(), 1024u);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, SGIRefusal,
    ::testing::Values(
        TRefusal{"HeaderCutShort", Bytes(100, 0)},
        TRefusal{"WrongMagic", Join({Header({.Magic = 0x1234}), Bytes(3, 0)})},
        TRefusal{"NoBytesPerSample", Join({Header({.BytesPerSample = 0}), Bytes(3, 0)})},
        TRefusal{"ThreeBytesPerSample", Join({Header({.BytesPerSample = 3}), Bytes(9, 0)})},
        TRefusal{"NoChannels", Join({Header({.Channels = 0}), Bytes(3, 0)})},
        TRefusal{"FiveChannels", Join({Header({.Channels = 5}), Bytes(5, 0)})},
        TRefusal{"NoWidth", Join({Header({.Width = 0}), Bytes(3, 0)})},
        TRefusal{"NoHeight", Join({Header({.Height = 0}), Bytes(3, 0)})},
        TRefusal{"OverThePixelCap", Join({Header({.Width = 65535, .Height = 65535, .Channels = 1}), Bytes(64, 0)})},
        TRefusal{"PlainDataCutShort", Join({Header({.Width = 4, .Height = 4}), Bytes(47, 0)})},
        TRefusal{"OffsetTablesPastTheEnd",
                 RunLengthFile({.Width = 8, .Height = 4000, .Channels = 4}, {{0, 1}}, Bytes{0x81, 1, 0})},
        TRefusal{"NoRoomForOneRow",
                 RunLengthFile({.Width = 65000, .Height = 1, .Channels = 1}, {{0, 3}}, Bytes{0x7F, 1, 0})}),
    [](const ::testing::TestParamInfo<TRefusal>& Info) { return std::string(Info.param.Name); });

namespace {

class SGIFixture : public ::testing::TestWithParam<const char*> {};

// The reference levels as the bitmap holds them: 16-bit levels are
// narrowed by v × 255 / 65535, rounded down.
Bytes Reference(const std::string& Name)
{
    const std::filesystem::path Eight = Fixtures / (Name + ".rgba");
    if (std::filesystem::exists(Eight))
        return test::ReadFileBytes(Eight);
    const Bytes Wide = test::ReadFileBytes(Fixtures / (Name + ".rgba16"));
    Bytes Narrow(Wide.size() / 2);
    for (std::size_t i = 0; i < Narrow.size(); ++i)
        Narrow[i] = static_cast<std::uint8_t>((Wide[2 * i] << 8 | Wide[2 * i + 1]) * 255u / 65535u);
    return Narrow;
}

} // namespace

TEST_P(SGIFixture, MatchesTheToolsOwnDecoding)
{
    const std::string Name = GetParam();
    TSGIGraphic Graphic;
    Graphic.LoadFromFile(Fixtures / (Name + ".sgi"));
    test::ExpectPixels(Graphic.ToRGBA(true), Reference(Name));
}

INSTANTIATE_TEST_SUITE_P(WrittenByOtherPrograms, SGIFixture,
                         ::testing::Values("pil-grey", "pil-rgb", "pil-rgba", "pil-grey16", "pil-rgb16", "pil-rgba16",
                                           "im-grey", "im-rgb", "im-rgba", "im-grey-rle", "im-rgb-rle",
                                           "im-rgba-rle", "im-grey16", "im-rgb16", "im-rgba16", "im-wide-rle",
                                           "nb-grey16-rle", "nb-rgb16-rle"),
                         [](const ::testing::TestParamInfo<const char*>& Info) { return test::TestName(Info.param); });

TEST(SGIRegistration, FourExtensionsAndTheContentTest)
{
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    for (const char* Extension : {"sgi", "rgba", "rgb", "bw"}) {
        const int Index = List.IndexOfExtension(Extension);
        ASSERT_GE(Index, 0) << Extension;
        EXPECT_EQ(List.ExtensionList()[Index]->ClassEntry->GraphicClass, &TSGIGraphic::ClassInfo);
    }
    const int Class = List.IndexOfClass(&TSGIGraphic::ClassInfo);
    ASSERT_GE(Class, 0);
    EXPECT_EQ(List.ClassList()[Class]->Description, "SGI images");
    EXPECT_EQ(List.ClassForContent(Fixtures / "im-rgba-rle.sgi"), &TSGIGraphic::ClassInfo);

    TPicture Picture(Loader);
    Picture.LoadFromFile(Fixtures / "pil-grey16.sgi");
    ASSERT_NE(Picture.Graphic(), nullptr);
    EXPECT_EQ(&Picture.Graphic()->ClassType(), &TSGIGraphic::ClassInfo);
    EXPECT_EQ(Picture.Graphic()->GetWidth(), 37u);
    UnregisterImageFormats(List);
}
