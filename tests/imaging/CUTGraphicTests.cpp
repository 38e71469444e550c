// The Dr. Halo reader: run-length rows, the palette file beside the image
// (found in any letter case, its blocks, its maximum levels), grey without
// one, and what it refuses. Files are built byte by byte.

#include "imaging/CUTGraphic.h"
#include "imaging/FileFormatList.h"
#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "imaging/decoders/CUTRLEDecoder.h"
#include "tests/imaging/ByteBuiltFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace vidlark;
using namespace vidlark::test;

namespace {

Bytes Header(unsigned Width, unsigned Height) { return Join({LE16(Width), LE16(Height), LE16(0)}); }

// A row as stored: its byte count, the packets, the closing zero.
Bytes Row(const Bytes& Packets) { return Join({LE16(static_cast<unsigned>(Packets.size() + 1)), Packets, Bytes{0}}); }

struct TPalFields {
    unsigned LastIndex = 255;
    unsigned Maximum[3] = {255, 255, 255};
};

// A palette file whose entry i holds Level(i, c) for channel c, each level
// in a 16-bit value with 0x5A above it (only the low byte counts), laid out
// in 512-byte blocks: 78 entries in the first, 85 in every further one.
template <typename TLevel>
Bytes PaletteFile(const TPalFields& F, unsigned Entries, TLevel Level)
{
    Bytes File = Join({Bytes{'A', 'H'}, Bytes(10, 0), LE16(F.LastIndex), LE16(F.Maximum[0]), LE16(F.Maximum[1]),
                       LE16(F.Maximum[2]), Bytes(20, 0)});
    for (unsigned i = 0; i < Entries; ++i) {
        if (File.size() % 512 > 506)
            File.resize((File.size() / 512 + 1) * 512, 0xCC);
        for (unsigned c = 0; c < 3; ++c)
            File.insert(File.end(), {static_cast<std::uint8_t>(Level(i, c)), 0x5A});
    }
    return File;
}

std::uint8_t Spread(unsigned i, unsigned c) { return static_cast<std::uint8_t>(i * (c + 1) + 7 * c); }

// A 200 x 3 picture: a run of 127 and a literal of 73; a literal of 127
// and a run of 73; runs of one value after another, ended early.
const std::uint32_t PictureWidth = 200;

Bytes Literal(std::uint8_t From, unsigned Count)
{
    Bytes Values;
    for (unsigned i = 0; i < Count; ++i)
        Values.push_back(static_cast<std::uint8_t>(From + i));
    return Values;
}

Bytes Picture()
{
    return Join({Header(PictureWidth, 3), Row(Join({Bytes{255, 9, 73}, Literal(1, 73)})),
                 Row(Join({Bytes{127}, Literal(100, 127), Bytes{128 + 73, 4}})),
                 Row(Bytes{128 + 2, 250, 128 + 3, 251})});
}

void ExpectPicture(const TCUTGraphic& Graphic)
{
    ASSERT_EQ(Graphic.GetWidth(), PictureWidth);
    ASSERT_EQ(Graphic.GetHeight(), 3u);
    ASSERT_EQ(Graphic.GetPixelFormat(), pf8bit);
    EXPECT_EQ(test::Row(Graphic, 0), Join({Bytes(127, 9), Literal(1, 73)}));
    EXPECT_EQ(test::Row(Graphic, 1), Join({Literal(100, 127), Bytes(73, 4)}));
    EXPECT_EQ(test::Row(Graphic, 2), Join({Bytes{250, 250, 251, 251, 251}, Bytes(195, 0)}));
}

void ExpectGrey(const TCUTGraphic& Graphic)
{
    for (unsigned i = 0; i < 256; ++i) {
        const auto Level = static_cast<std::uint8_t>(i);
        EXPECT_EQ(Graphic.PaletteEntries()[i], (TPaletteEntry{Level, Level, Level, 0})) << i;
    }
}

std::unique_ptr<TCUTGraphic> LoadedWith(const Bytes& Image, const Bytes& Palette)
{
    auto Graphic = std::make_unique<TCUTGraphic>();
    TMemoryStream ImageStream(Image), PaletteStream(Palette);
    Graphic->LoadWithPalette(ImageStream, &PaletteStream);
    return Graphic;
}

// A folder of its own, removed at the end of the test.
struct TFolder {
    std::filesystem::path Path = std::filesystem::temp_directory_path() /
                                 ("vidlark-cut-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TFolder() { std::filesystem::create_directories(Path); }
    ~TFolder() { std::filesystem::remove_all(Path); }
    std::filesystem::path Write(const std::string& Name, const Bytes& Data) const
    {
        std::ofstream(Path / Name, std::ios::binary).write(reinterpret_cast<const char*>(Data.data()), Data.size());
        return Path / Name;
    }
};

} // namespace

TEST(CUTContentTest, NeverAcceptsAStream)
{
    TMemoryStream Stream(Picture());
    EXPECT_FALSE(TCUTGraphic::CanReadStream(Stream));
}

TEST(CUTLoad, RunsAndLiteralsOfWholeRowsWithAFullPalette)
{
    const auto Graphic = LoadedWith(Picture(), PaletteFile({}, 256, Spread));
    ExpectPicture(*Graphic);
    for (unsigned i = 0; i < 256; ++i)
        EXPECT_EQ(Graphic->PaletteEntries()[i], (TPaletteEntry{Spread(i, 0), Spread(i, 1), Spread(i, 2), 0})) << i;
    EXPECT_EQ(Graphic->ImageProperties.Compression, cmpRLE);
}

TEST(CUTLoad, PaletteEntriesNeverCrossABlockEnd)
{
    // 77 gives 78 entries, all in the first block; 78 gives 79, the last at
    // the start of the second block.
    for (unsigned Last : {77u, 78u}) {
        SCOPED_TRACE(Last);
        const Bytes File = PaletteFile({.LastIndex = Last}, Last + 1, Spread);
        EXPECT_EQ(File.size(), Last == 77 ? 508u : 518u);
        const auto Graphic = LoadedWith(Picture(), File);
        EXPECT_EQ(Graphic->PaletteCount(), Last + 1);
        EXPECT_EQ(Graphic->PaletteEntries()[Last], (TPaletteEntry{Spread(Last, 0), Spread(Last, 1), Spread(Last, 2), 0}));
        EXPECT_EQ(Graphic->PaletteEntries()[Last + 1], TPaletteEntry{});
    }
}

TEST(CUTLoad, EntryCountsBeyondThePalette)
{
    // At most 256 entries are read, whatever the count; 65535 counts none.
    EXPECT_EQ(LoadedWith(Picture(), PaletteFile({.LastIndex = 1000}, 256, Spread))->PaletteCount(), 256u);
    const auto None = LoadedWith(Picture(), PaletteFile({.LastIndex = 65535}, 0, Spread));
    EXPECT_EQ(None->PaletteCount(), 0u);
    EXPECT_EQ(None->PaletteEntries()[9], TPaletteEntry{});
}

TEST(CUTLoad, MaximumLevelsScaleTheEntries)
{
    const auto Levels = [](unsigned i, unsigned) { return i; };
    // Six-bit levels with maximum 63 span the whole scale; a maximum of 0 or
    // 255 leaves the levels as stored, and so does 255 in the low byte.
    const auto Scaled = LoadedWith(Picture(), PaletteFile({.LastIndex = 63, .Maximum = {63, 1, 255}}, 64, Levels));
    EXPECT_EQ(Scaled->PaletteEntries()[63], (TPaletteEntry{255, 255, 63, 0}));
    EXPECT_EQ(Scaled->PaletteEntries()[32], (TPaletteEntry{130, 255, 32, 0}));
    EXPECT_EQ(Scaled->PaletteEntries()[1], (TPaletteEntry{4, 255, 1, 0}));
    EXPECT_EQ(Scaled->PaletteEntries()[0], (TPaletteEntry{0, 0, 0, 0}));
    const auto Plain = LoadedWith(Picture(), PaletteFile({.LastIndex = 1, .Maximum = {0, 255, 1000}}, 2, Levels));
    EXPECT_EQ(Plain->PaletteEntries()[1], (TPaletteEntry{1, 1, 1, 0}));
}

TEST(CUTLoad, DataEndingEarlyKeepTheRowsDecoded)
{
    // The fourth row has no closing zero and ends with the file, in the
    // middle of a literal; the decoder reads no further than the bytes left,
    // and the row after it stays index 0.
    const Bytes Image = Join({Header(4, 5), Row(Bytes{4, 1, 2, 3, 4}), Row(Bytes{128 + 4, 7}),
                              Row(Bytes{4, 5, 6, 7, 8}), Row(Bytes{4, 9, 9, 9, 9}), LE16(5), Bytes{3, 8}});
    const auto Graphic = LoadedWith(Image, PaletteFile({}, 256, Spread));
    EXPECT_EQ(test::Row(*Graphic, 0), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(test::Row(*Graphic, 1), (Bytes{7, 7, 7, 7}));
    EXPECT_EQ(test::Row(*Graphic, 2), (Bytes{5, 6, 7, 8}));
    EXPECT_EQ(test::Row(*Graphic, 3), (Bytes{9, 9, 9, 9}));
    EXPECT_EQ(test::Row(*Graphic, 4), (Bytes{8, 0, 0, 0}));
}

TEST(CUTLoad, DecoderGivenNoBytesReadsNothing)
{
    std::uint8_t Data[4] = {1, 0, 128 + 9, 5};
    std::uint8_t Target[2] = {0xAA, 0xAA};
    std::uint8_t* Source = Data;
    std::uint8_t* Out = Target;
    TCUTRLEDecoder().Unpack(Source, Out, 0, 2);
    EXPECT_EQ(Source, Data);
    EXPECT_EQ(Target[0], 0xAA);
    EXPECT_EQ(Target[1], 0xAA);
}

TEST(CUTLoad, ProgressBandHasNoHeight)
{
    TCUTGraphic Graphic;
    TProgressLog Log;
    Log.Attach(Graphic);
    TMemoryStream Stream(Picture());
    Graphic.LoadFromStream(Stream);
    EXPECT_EQ(Log.Reports, (std::vector<std::string>{"0 0 0-0/200 Transfering...", "1 0 0-0/200 ", "1 33 1-1/200 ",
                                                     "1 67 2-2/200 ", "2 0 3-3/200 "}));
}

TEST(CUTPaletteFile, FoundBesideTheImageInAnyLetterCase)
{
    TFolder Folder;
    const Bytes Palette = PaletteFile({}, 256, Spread);
    const struct {
        const char* Image;
        const char* Palette;
    } Cases[] = {{"A.CUT", "A.PAL"}, {"b.cut", "b.pal"}, {"C.CUT", "C.pal"}, {"D.Cut", "d.pAL"}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Image);
        const auto Image = Folder.Write(C.Image, Picture());
        Folder.Write(C.Palette, Palette);
        ASSERT_EQ(FindPaletteFile(Image), Folder.Path / C.Palette);
        TCUTGraphic Graphic;
        Graphic.LoadFromFile(Image);
        ExpectPicture(Graphic);
        EXPECT_EQ(Graphic.PaletteEntries()[200], (TPaletteEntry{Spread(200, 0), Spread(200, 1), Spread(200, 2), 0}));
    }
    // Another picture's palette does not count.
    Folder.Write("E.PAL.old", Palette);
    Folder.Write("EE.pal", Palette);
    EXPECT_FALSE(FindPaletteFile(Folder.Write("E.cut", Picture())).has_value());
}

TEST(CUTPaletteFile, WithoutOneThePictureIsGrey)
{
    TFolder Folder;
    TCUTGraphic Graphic;
    Graphic.LoadFromFile(Folder.Write("Grey.cut", Picture()));
    ExpectPicture(Graphic);
    ExpectGrey(Graphic);
    TCUTGraphic FromStream;
    TMemoryStream Stream(Picture());
    FromStream.LoadFromStream(Stream);
    ExpectGrey(FromStream);
    // A later load from a stream uses the palette file of the last load by
    // name, unless that file has gone since.
    Folder.Write("Gone.pal", PaletteFile({}, 256, Spread));
    Graphic.LoadFromFile(Folder.Write("Gone.cut", Picture()));
    EXPECT_EQ(Graphic.PaletteEntries()[1], (TPaletteEntry{Spread(1, 0), Spread(1, 1), Spread(1, 2), 0}));
    std::filesystem::remove(Folder.Path / "Gone.pal");
    TMemoryStream Again(Picture());
    Graphic.LoadFromStream(Again);
    ExpectGrey(Graphic);
}

TEST(CUTPaletteFile, ChosenByExtensionThroughTheRegistry)
{
    TFolder Folder;
    Folder.Write("Shot.PAL", PaletteFile({}, 256, Spread));
    const auto Image = Folder.Write("Shot.CUT", Picture());
    TPictureFormats Loader;
    TFileFormatList List(Loader);
    RegisterImageFormats(List);
    EXPECT_EQ(Loader.ClassForExtension("cut"), &TCUTGraphic::ClassInfo);
    EXPECT_EQ(List.ClassForContent(Image), nullptr);
    TPicture Picture(Loader);
    Picture.LoadFromFile(Image);
    const auto* Graphic = dynamic_cast<const TCUTGraphic*>(Picture.Graphic());
    ASSERT_NE(Graphic, nullptr);
    ExpectPicture(*Graphic);
    EXPECT_EQ(Graphic->PaletteEntries()[5], (TPaletteEntry{Spread(5, 0), Spread(5, 1), Spread(5, 2), 0}));
    UnregisterImageFormats(List);
}

TEST(CUTLoad, RefusesWhatTheFileCannotHold)
{
    const struct {
        const char* Case;
        Bytes Data;
    } Cases[] = {
        {"header cut short", Bytes{4, 0, 4}},
        {"no pixels", Join({Header(0, 5), Row(Bytes{128 + 1, 1})})},
        {"beyond the caps", Join({Header(65535, 65535), Bytes(64, 0x80)})},
        {"rows far too short for the height", Join({Header(4000, 4000), Bytes(4000, 0x81)})},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        ExpectRefused<TCUTGraphic>(C.Data, "CUT");
    }
}

TEST(CUTLoad, RefusesAPaletteFileTooShortForItsEntries)
{
    for (const Bytes& Palette : {Bytes(30, 0), PaletteFile({.LastIndex = 100}, 90, Spread)}) {
        TCUTGraphic Graphic;
        TMemoryStream ImageStream(Picture()), PaletteStream(Palette);
        EXPECT_THROW(Graphic.LoadWithPalette(ImageStream, &PaletteStream), EInvalidGraphic) << Palette.size();
        EXPECT_TRUE(Graphic.Empty());
    }
}
