// The Autodesk reader: content test, header, the 6-bit palette, rows and
// progress, and what it refuses. Files are built byte by byte.

#include "imaging/AutodeskGraphic.h"
#include "tests/imaging/ByteBuiltFiles.h"

#include <gtest/gtest.h>

using namespace vidlark;
using namespace vidlark::test;

namespace {

struct TCelFields {
    std::uint16_t Magic = 0x9119;
    std::uint16_t Width = 1;
    std::uint16_t Height = 1;
    std::uint8_t BitsPerPixel = 8;
    std::uint8_t Compression = 0;
};

Bytes Header(const TCelFields& F)
{
    return Join({LE16(F.Magic), LE16(F.Width), LE16(F.Height), LE16(7), LE16(9), Bytes{F.BitsPerPixel, F.Compression},
                 Bytes(20, 0xEE)});
}

// Entry i holds the levels i % 64, (i + 21) % 64 and (i + 42) % 64.
Bytes Palette()
{
    Bytes Levels;
    for (unsigned i = 0; i < 256; ++i)
        Levels.insert(Levels.end(), {std::uint8_t(i % 64), std::uint8_t((i + 21) % 64), std::uint8_t((i + 42) % 64)});
    return Levels;
}

bool Recognised(const Bytes& Data)
{
    TMemoryStream Stream(Data);
    const bool Answer = TAutodeskGraphic::CanReadStream(Stream);
    EXPECT_EQ(Stream.GetPosition(), 0);
    return Answer;
}

} // namespace

TEST(AutodeskContentTest, MagicEightBitsAndNoCompression)
{
    EXPECT_TRUE(Recognised(Join({Header({}), Bytes{0}})));
    EXPECT_FALSE(Recognised(Header({})));
    EXPECT_FALSE(Recognised(Join({Header({.Magic = 0x9118}), Bytes{0}})));
    EXPECT_FALSE(Recognised(Join({Header({.BitsPerPixel = 16}), Bytes{0}})));
    EXPECT_FALSE(Recognised(Join({Header({.Compression = 1}), Bytes{0}})));
}

TEST(AutodeskLoad, PaletteLevelsAndRowsTopFirst)
{
    const Bytes Pixels{0, 1, 2, 255, 63, 64, 128, 200};
    TAutodeskGraphic Graphic;
    TMemoryStream Stream(Join({Header({.Width = 4, .Height = 2}), Palette(), Pixels}));
    Graphic.LoadFromStream(Stream);
    ASSERT_EQ(Graphic.GetPixelFormat(), pf8bit);
    ASSERT_EQ(Graphic.GetWidth(), 4u);
    ASSERT_EQ(Graphic.GetHeight(), 2u);
    EXPECT_EQ(Row(Graphic, 0), Bytes(Pixels.begin(), Pixels.begin() + 4));
    EXPECT_EQ(Row(Graphic, 1), Bytes(Pixels.begin() + 4, Pixels.end()));
    // Every entry: a level of 63 is 252, two bits to the left.
    for (unsigned i = 0; i < 256; ++i) {
        const TPaletteEntry& E = Graphic.PaletteEntries()[i];
        EXPECT_EQ(E, (TPaletteEntry{std::uint8_t(i % 64 * 4), std::uint8_t((i + 21) % 64 * 4),
                                    std::uint8_t((i + 42) % 64 * 4), 0}))
            << i;
    }
    EXPECT_EQ(Graphic.ImageProperties.Layout, schIndexed);
    EXPECT_EQ(Graphic.ImageProperties.Compression, cmpNone);
}

TEST(AutodeskLoad, SixtyThreeThirtyTwoZeroIsRed252Green128)
{
    Bytes Levels(768, 0);
    Levels[0] = 63;
    Levels[1] = 32;
    TAutodeskGraphic Graphic;
    TMemoryStream Stream(Join({Header({}), Levels, Bytes{0}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Graphic.PaletteEntries()[0], (TPaletteEntry{252, 128, 0, 0}));
}

TEST(AutodeskLoad, SixteenBitsInTheHeaderStillLoadByExtension)
{
    TAutodeskGraphic Graphic;
    TMemoryStream Stream(Join({Header({.Width = 2, .BitsPerPixel = 16}), Palette(), Bytes{5, 6}}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Graphic.GetPixelFormat(), pf8bit);
    EXPECT_EQ(Row(Graphic, 0), (Bytes{5, 6}));
}

TEST(AutodeskLoad, ProgressBandIsSetBeforeTheFirstReport)
{
    TAutodeskGraphic Graphic;
    TProgressLog Log;
    Log.Attach(Graphic);
    TMemoryStream Stream(Join({Header({.Width = 5, .Height = 3}), Palette(), Bytes(15, 1)}));
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Log.Reports, (std::vector<std::string>{"0 0 0-1/5 Transfering...", "1 0 0-1/5 ", "1 33 1-2/5 ",
                                                 "1 67 2-3/5 ", "2 0 3-4/5 "}));
}

TEST(AutodeskLoad, RefusesWhatTheFileCannotHold)
{
    const struct {
        const char* Case;
        Bytes Data;
    } Cases[] = {
        {"header cut short", Bytes{0x19, 0x91, 4, 0}},
        {"wrong magic", Join({Header({.Magic = 0x1991}), Palette(), Bytes{0}})},
        {"beyond the caps", Join({Header({.Width = 65535, .Height = 65535}), Palette(), Bytes(64, 0)})},
        {"palette cut short", Join({Header({}), Bytes(700, 1)})},
        {"rows missing", Join({Header({.Width = 300, .Height = 200}), Palette(), Bytes(299 * 200, 1)})},
        {"no rows at all", Join({Header({.Width = 4, .Height = 0}), Palette()})},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        ExpectRefused<TAutodeskGraphic>(C.Data, "Autodesk");
    }
}
