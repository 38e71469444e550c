// The Alias/Wavefront reader: content test, header, channel layouts of 8
// and 16 bits with and without matte, rows from the bottom through the
// offset table, the file's gamma, and what it refuses. Files are built byte
// by byte.

#include "imaging/RLAGraphic.h"
#include "tests/imaging/ByteBuiltFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vidlark;
using namespace vidlark::test;

namespace {

struct TRlaFields {
    int Left = 0, Right = 0, Bottom = 0, Top = 0;
    unsigned ColorChannels = 3;
    unsigned MatteChannels = 0;
    unsigned Revision = 0xFFFE;
    std::string Gamma = "2.2";
    std::string Space = "rgb";
    unsigned Bits = 8;
};

Bytes Text(const std::string& Value, std::size_t Width)
{
    Bytes Field(Width, 0);
    std::memcpy(Field.data(), Value.data(), std::min(Value.size(), Width));
    return Field;
}

Bytes Header(const TRlaFields& F)
{
    return Join({Bytes(8, 0), BE16(F.Left & 0xFFFF), BE16(F.Right & 0xFFFF), BE16(F.Bottom & 0xFFFF),
                 BE16(F.Top & 0xFFFF), BE16(1), BE16(0), BE16(F.ColorChannels), BE16(F.MatteChannels), BE16(0),
                 BE16(F.Revision), Text(F.Gamma, 16), Bytes(96, 0), BE32(7), Text("a picture", 436),
                 Text(F.Space, 32), BE16(0), Bytes(44, 0), BE16(F.Bits), BE16(0), BE16(F.Bits), BE16(0), BE16(0),
                 Bytes(68, 0), BE32(0)});
}

// One channel of a row: its packed length, then the packets.
Bytes Channel(const Bytes& Packets) { return Join({BE16(static_cast<unsigned>(Packets.size())), Packets}); }

// A literal packet of the given bytes (at most 128), and a run of Count (at
// most 128) copies of Value.
Bytes Literal(const Bytes& Values) { return Join({Bytes{static_cast<std::uint8_t>(256 - Values.size())}, Values}); }
Bytes Repeat(unsigned Count, std::uint8_t Value) { return {static_cast<std::uint8_t>(Count - 1), Value}; }

Bytes Counting(std::uint8_t From, unsigned Count)
{
    Bytes Values;
    for (unsigned i = 0; i < Count; ++i)
        Values.push_back(static_cast<std::uint8_t>(From + i));
    return Values;
}

// The whole file: the header, the offset table, then the stored rows in
// the order given by Placement (stored row Placement[k] is the k-th in the file).
Bytes File(const TRlaFields& F, const std::vector<Bytes>& Rows, const std::vector<unsigned>& Placement = {})
{
    std::vector<std::uint32_t> Offsets(Rows.size());
    Bytes Data;
    std::uint32_t At = 740 + 4 * static_cast<std::uint32_t>(Rows.size());
    for (std::size_t k = 0; k < Rows.size(); ++k) {
        const unsigned Stored = Placement.empty() ? static_cast<unsigned>(k) : Placement[k];
        Offsets[Stored] = At;
        Data.insert(Data.end(), Rows[Stored].begin(), Rows[Stored].end());
        At += static_cast<std::uint32_t>(Rows[Stored].size());
    }
    Bytes Table;
    for (std::uint32_t Offset : Offsets)
        Table = Join({Table, BE32(Offset)});
    return Join({Header(F), Table, Data});
}

// Red, green and blue of pixel x of a BGR(A) bitmap row.
struct TRgb {
    std::uint8_t R, G, B;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};
TRgb PixelOf(const TBitmap& Bitmap, std::uint32_t x, std::uint32_t y)
{
    const unsigned Size = Bitmap.BitsPerPixel() / 8;
    const std::uint8_t* P = Bitmap.ScanLine(y) + x * Size;
    return {P[2], P[1], P[0]};
}

bool Recognised(const Bytes& Data)
{
    TMemoryStream Stream(Data);
    const bool Answer = TRLAGraphic::CanReadStream(Stream);
    EXPECT_EQ(Stream.GetPosition(), 0);
    return Answer;
}

void Load(TRLAGraphic& Graphic, const Bytes& Data)
{
    TMemoryStream Stream(Data);
    Graphic.LoadFromStream(Stream);
}

// A 200 x 3 picture of 8-bit channels. Stored row r: red a run of 127 of
// 10 + r and a literal 73 counting up from 1; green a literal of 127 and a
// run of 73; blue a single run of 128 and a run of 72.
constexpr unsigned Wide = 200;
Bytes StoredRow(unsigned r)
{
    const auto v = static_cast<std::uint8_t>(r);
    return Join({Channel(Join({Repeat(127, 10 + v), Literal(Counting(1, 73))})),
                 Channel(Join({Literal(Counting(50 + v, 127)), Repeat(73, 200)})),
                 Channel(Join({Repeat(128, 30), Repeat(72, 40 + v)}))});
}
TRgb Expected(unsigned r, unsigned x)
{
    const auto v = static_cast<std::uint8_t>(r);
    return {static_cast<std::uint8_t>(x < 127 ? 10 + v : 1 + (x - 127)),
            static_cast<std::uint8_t>(x < 127 ? 50 + v + x : 200), static_cast<std::uint8_t>(x < 128 ? 30 : 40 + v)};
}

} // namespace

TEST(RLAContentTest, RevisionAndRedGreenBlue)
{
    const Bytes Rows = Join({BE32(744), StoredRow(0)});
    EXPECT_TRUE(Recognised(Join({Header({}), Rows})));
    EXPECT_TRUE(Recognised(Join({Header({.Space = "RGB"}), Rows})));
    EXPECT_FALSE(Recognised(Header({})));
    EXPECT_FALSE(Recognised(Join({Header({.Revision = 0xFFFD}), Rows})));
    EXPECT_FALSE(Recognised(Join({Header({.Space = "rgb "}), Rows})));
    EXPECT_FALSE(Recognised(Join({Header({.Space = "xyz"}), Rows})));
}

TEST(RLAProperties, SizeRowOrderAndChannels)
{
    TRLAGraphic Graphic;
    TMemoryStream Stream(Header({.Right = 99, .Top = 49}));
    ASSERT_TRUE(Graphic.ReadProperties(Stream, 0));
    const TImageProperties& P = Graphic.ImageProperties;
    EXPECT_EQ(P.Width, 100u);
    EXPECT_EQ(P.Height, 50u);
    EXPECT_TRUE(P.RowsBottomUp);
    EXPECT_EQ(P.Layout, schRGB);
    EXPECT_EQ(P.SamplesPerPixel, 3);
    EXPECT_EQ(P.Flags, imgBigEndian | imgFileGamma);
    EXPECT_FLOAT_EQ(P.Gamma, 2.2f);
    EXPECT_EQ(Stream.GetPosition(), 0);
    // Any matte count above 0 gives one matte channel.
    for (unsigned Mattes : {1u, 2u}) {
        TMemoryStream WithMatte(Header({.Left = -5, .Right = 4, .Bottom = -3, .Top = 3, .MatteChannels = Mattes, .Bits = 16}));
        ASSERT_TRUE(Graphic.ReadProperties(WithMatte, 0));
        EXPECT_EQ(P.Width, 10u);
        EXPECT_EQ(P.Height, 7u);
        EXPECT_EQ(P.Layout, schRGBA);
        EXPECT_EQ(P.SamplesPerPixel, 4);
        EXPECT_EQ(P.BitsPerPixel, 64);
    }
}

TEST(RLALoad, EightBitRowsFromTheBottomThroughTheOffsetTable)
{
    // The rows lie in the file in the order 2, 0, 1.
    TRLAGraphic Graphic;
    Load(Graphic, File({.Right = Wide - 1, .Top = 2, .Gamma = "1.0"}, {StoredRow(0), StoredRow(1), StoredRow(2)},
                       {2, 0, 1}));
    ASSERT_EQ(Graphic.GetPixelFormat(), pf24bit);
    ASSERT_EQ(Graphic.GetWidth(), Wide);
    ASSERT_EQ(Graphic.GetHeight(), 3u);
    for (unsigned r = 0; r < 3; ++r)
        for (unsigned x = 0; x < Wide; ++x)
            ASSERT_EQ(PixelOf(Graphic, x, 2 - r), Expected(r, x)) << "stored row " << r << ", x " << x;
}

TEST(RLALoad, MatteChannelBecomesAlpha)
{
    const Bytes Row = Join({Channel(Literal({1, 2})), Channel(Literal({3, 4})), Channel(Literal({5, 6})),
                            Channel(Literal({7, 8})), Channel(Literal({9, 9}))});
    TRLAGraphic Graphic;
    Load(Graphic, File({.Right = 1, .MatteChannels = 2, .Gamma = ""}, {Row}));
    ASSERT_EQ(Graphic.GetPixelFormat(), pf32bit);
    EXPECT_EQ(test::Row(Graphic, 0), (Bytes{5, 3, 1, 7, 6, 4, 2, 8}));
}

TEST(RLALoad, SixteenBitChannelsAreStoredHighByteFirst)
{
    // Each channel expands to two bytes a pixel; 0xFFFF is 255, 0x8000 is 127.
    const Bytes Row = Join({Channel(Literal({0xFF, 0xFF, 0x80, 0x00})), Channel(Literal({0x00, 0xFF, 0x01, 0x01})),
                            Channel(Join({Repeat(2, 0x40), Repeat(2, 0x00)}))});
    TRLAGraphic Graphic;
    Load(Graphic, File({.Right = 1, .Gamma = "", .Bits = 16}, {Row}));
    ASSERT_EQ(Graphic.GetPixelFormat(), pf24bit);
    EXPECT_EQ(PixelOf(Graphic, 0, 0), (TRgb{255, 0, 64}));
    EXPECT_EQ(PixelOf(Graphic, 1, 0), (TRgb{127, 1, 0}));
}

TEST(RLALoad, FileGammaIsUndoneForTheDisplay)
{
    const Bytes Row = Join({Channel(Repeat(1, 64)), Channel(Repeat(1, 128)), Channel(Repeat(1, 255))});
    const struct {
        const char* Gamma;
        TRgb Shown;
        bool FileGamma;
    } Cases[] = {
        // Stored for a display of 2.2: the samples as stored.
        {"2.2", {64, 128, 255}, true},
        {" 2.2 ", {64, 128, 255}, true},
        // Stored for 1.1: the display's 2.2 takes the square root.
        {"1.1", {128, 181, 255}, true},
        // No gamma, or none that counts: the samples as stored, no correction.
        {"1.0", {64, 128, 255}, false},
        {"2,2", {64, 128, 255}, false},
        {"abc", {64, 128, 255}, false},
        {"0", {64, 128, 255}, false},
        {"-2.2", {64, 128, 255}, false},
        {"10.5", {64, 128, 255}, false},
        {"inf", {64, 128, 255}, false},
        {"nan", {64, 128, 255}, false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Gamma);
        TRLAGraphic Graphic;
        Load(Graphic, File({.Gamma = C.Gamma}, {Row}));
        EXPECT_EQ(PixelOf(Graphic, 0, 0), C.Shown);
        EXPECT_EQ((Graphic.ImageProperties.Flags & imgFileGamma) != 0, C.FileGamma);
        EXPECT_EQ((Graphic.ColorManager.OutFlags & cfGamma) != 0, C.FileGamma);
    }
}

TEST(RLALoad, RunsStayInsideTheirRowAndTheirData)
{
    // A run of 128 into a row of 4, a literal that claims more bytes than
    // its channel holds, and a row whose blue channel the file cuts short
    // (stored last): that row and those after it keep the bitmap's zero fill.
    const Bytes Rows[] = {
        Join({Channel(Repeat(128, 9)), Channel(Bytes{0x80, 1, 2}), Channel(Join({Repeat(2, 3), Repeat(2, 4)}))}),
        Join({Channel(Repeat(4, 5)), Channel(Repeat(4, 6)), Channel(Repeat(4, 7))}),
        Join({Channel(Repeat(4, 1)), Channel(Repeat(4, 1)), BE16(40), Bytes{3, 1}}),
    };
    TRLAGraphic Graphic;
    Load(Graphic, File({.Right = 3, .Top = 3, .Gamma = ""}, {Rows[0], Rows[1], Rows[2], Rows[1]}, {0, 1, 3, 2}));
    EXPECT_EQ(PixelOf(Graphic, 0, 3), (TRgb{9, 1, 3}));
    EXPECT_EQ(PixelOf(Graphic, 1, 3), (TRgb{9, 2, 3}));
    EXPECT_EQ(PixelOf(Graphic, 2, 3), (TRgb{9, 0, 4}));
    EXPECT_EQ(PixelOf(Graphic, 3, 2), (TRgb{5, 6, 7}));
    EXPECT_EQ(Row(Graphic, 1), Bytes(12, 0));
    EXPECT_EQ(Row(Graphic, 0), Bytes(12, 0));
}

TEST(RLALoad, RefusesWhatItCannotShow)
{
    const Bytes Rows = Join({BE32(744), StoredRow(0)});
    const struct {
        const char* Case;
        Bytes Data;
    } Cases[] = {
        {"header cut short", Bytes(700, 0)},
        {"xyz data", Join({Header({.Space = "xyz"}), Rows})},
        {"unknown channel space", Join({Header({.Space = "yuv"}), Rows})},
        {"right left of left", Join({Header({.Left = 5, .Right = 4}), Rows})},
        {"top below bottom", Join({Header({.Bottom = 49, .Top = 0}), Rows})},
        {"two colour channels", Join({Header({.ColorChannels = 2}), Rows})},
        {"four colour channels", Join({Header({.ColorChannels = 4}), Rows})},
        {"twelve bits", Join({Header({.Bits = 12}), Rows})},
        {"beyond the caps", Join({Header({.Left = -16384, .Right = 16382, .Bottom = -16384, .Top = 16382}), Rows})},
        {"rows far too short", Join({Header({.Right = 8999, .Top = 8999}), Bytes(4096, 0)})},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        ExpectRefused<TRLAGraphic>(C.Data, "RLA");
    }
}
