#include "imaging/CUTGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/GraphicStrings.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/CUTRLEDecoder.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TCUTGraphic::ClassInfo{
    "TCUTGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TCUTGraphic>, &TCUTGraphic::CanReadStream};

namespace {

// Width, height and two reserved bytes, little-endian.
constexpr std::size_t HeaderBytes = 6;
// A control byte repeats or copies at most 127 pixels.
constexpr std::uint64_t MaxPacketPixels = 127;

// Palette files are read in blocks of 512 bytes; an entry of three 16-bit
// values never crosses a block end.
constexpr std::size_t PaletteBlockBytes = 512;
constexpr std::size_t PaletteEntryBytes = 6;
constexpr std::size_t FirstEntryOffset = 40;
constexpr std::size_t LastEntryStart = PaletteBlockBytes - PaletteEntryBytes;

// Fewest bytes a row of Width pixels takes: its byte count, two-byte run
// packets, and the closing zero.
std::uint64_t LeastRowBytes(std::uint32_t Width)
{
    return 2 + (Width + MaxPacketPixels - 1) / MaxPacketPixels * 2 + 1;
}

// Most bytes worth reading for a picture: every pixel a literal of its own.
std::uint64_t MostPictureBytes(std::uint32_t Width, std::uint32_t Height)
{
    return SaturatingProduct(Height, 2 * std::uint64_t{Width} + 3);
}

TPalette GreyPalette()
{
    TPalette Palette(MaxPaletteEntries);
    for (std::size_t i = 0; i < Palette.size(); ++i) {
        const auto Level = static_cast<std::uint8_t>(i);
        Palette[i] = TPaletteEntry{Level, Level, Level, 0};
    }
    return Palette;
}

// A level on the scale 0..Maximum as a level on 0..255. Palettes that give a
// maximum between 1 and 254 (63 for 6-bit levels) are scaled; the others
// hold 8-bit levels already.
std::uint8_t ScaledLevel(std::uint8_t Level, std::uint16_t Maximum)
{
    if (Maximum == 0 || Maximum >= 255)
        return Level;
    return static_cast<std::uint8_t>(std::min<unsigned>(255, (Level * 255u + Maximum / 2) / Maximum));
}

// The palette file's entries; a file too short for the entries it
// announces refuses the picture. Of a 16-bit value only the low byte counts.
TPalette ReadPalette(TStream& Stream)
{
    TByteReader Header(Stream, FirstEntryOffset, TCUTGraphic::FormatName);
    Header.Seek(12);
    const std::uint16_t LastIndex = Header.U16();
    const std::uint16_t Maximum[3] = {Header.U16(), Header.U16(), Header.U16()};
    const std::size_t Count = std::min<std::size_t>(static_cast<std::uint16_t>(LastIndex + 1), MaxPaletteEntries);

    // The offset of entry i inside the file.
    const auto EntryOffset = [](std::size_t i) {
        constexpr std::size_t InFirstBlock = (LastEntryStart - FirstEntryOffset) / PaletteEntryBytes + 1;
        constexpr std::size_t PerBlock = LastEntryStart / PaletteEntryBytes + 1;
        if (i < InFirstBlock)
            return FirstEntryOffset + i * PaletteEntryBytes;
        const std::size_t Later = i - InFirstBlock;
        return (1 + Later / PerBlock) * PaletteBlockBytes + Later % PerBlock * PaletteEntryBytes;
    };
    TPalette Palette(Count);
    if (Count == 0)
        return Palette;
    TByteReader Entries(Stream, EntryOffset(Count - 1) + PaletteEntryBytes, TCUTGraphic::FormatName);
    for (std::size_t i = 0; i < Count; ++i) {
        Entries.Seek(EntryOffset(i));
        std::uint8_t Level[3];
        for (int c = 0; c < 3; ++c)
            Level[c] = ScaledLevel(static_cast<std::uint8_t>(Entries.U16()), Maximum[c]);
        Palette[i] = TPaletteEntry{Level[0], Level[1], Level[2], 0};
    }
    return Palette;
}

bool SameLetters(const std::string& A, const std::string& B)
{
    const auto Lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return std::equal(A.begin(), A.end(), B.begin(), B.end(),
                      [&](unsigned char a, unsigned char b) { return Lower(a) == Lower(b); });
}

bool IsFile(const std::filesystem::path& Path)
{
    std::error_code Error;
    return std::filesystem::is_regular_file(Path, Error);
}

} // namespace

std::optional<std::filesystem::path> FindPaletteFile(const std::filesystem::path& ImageFile)
{
    const std::string Extension = ImageFile.extension().string();
    const bool UpperCase = Extension.size() > 1 && std::all_of(Extension.begin() + 1, Extension.end(), [](char c) {
                               return c < 'a' || c > 'z';
                           });
    for (const char* Wanted : {UpperCase ? ".PAL" : ".pal", ".pal"}) {
        const std::filesystem::path Candidate = std::filesystem::path(ImageFile).replace_extension(Wanted);
        if (IsFile(Candidate))
            return Candidate;
    }
    // Any letter case, as on the file systems such files come from; the
    // first name in byte order when several differ only in case.
    const std::string Name = std::filesystem::path(ImageFile).replace_extension(".pal").filename().string();
    std::optional<std::filesystem::path> Found;
    std::error_code Error;
    const std::filesystem::path Folder = ImageFile.has_parent_path() ? ImageFile.parent_path() : ".";
    for (std::filesystem::directory_iterator It(Folder, Error), End; !Error && It != End; It.increment(Error)) {
        const std::filesystem::path& Candidate = It->path();
        if (SameLetters(Candidate.filename().string(), Name) && IsFile(Candidate) &&
            (!Found || Candidate.filename() < Found->filename()))
            Found = Candidate;
    }
    return Found;
}

bool TCUTGraphic::CanReadStream(TStream&)
{
    return false;
}

bool TCUTGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(HeaderBytes))
        return false;
    TByteReader Header(Stream, HeaderBytes, FormatName);
    TImageProperties& P = ImageProperties;
    P.Width = Header.U16();
    P.Height = Header.U16();
    P.Layout = schIndexed;
    P.BitsPerSample = 8;
    P.SamplesPerPixel = 1;
    P.BitsPerPixel = 8;
    P.Compression = cmpRLE;
    return true;
}

void TCUTGraphic::LoadFromFile(const std::filesystem::path& FileName)
{
    PaletteFile = FindPaletteFile(FileName).value_or(std::filesystem::path());
    ZOdidoreVuZazador::LoadFromFile(FileName);
}

void TCUTGraphic::LoadFromStream(TStream& Stream)
{
    // The palette file of an earlier load may have gone since.
    if (PaletteFile.empty() || !IsFile(PaletteFile)) {
        LoadWithPalette(Stream, nullptr);
        return;
    }
    TFileStream Palette(PaletteFile);
    LoadWithPalette(Stream, &Palette);
}

void TCUTGraphic::LoadWithPalette(TStream& Image, TStream* Palette)
{
    BeginLoad(Image, 0, FormatName);
    const std::uint32_t Width = ImageProperties.Width;
    const std::uint32_t Height = ImageProperties.Height;
    // A band of no height, as this format has always reported.
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(Width), 0};
    ReportStageStart(gesTransfering);

    Image.Seek(HeaderBytes, TSeekOrigin::soCurrent);
    CheckPictureSize(Image, Width, Height, 8, SaturatingProduct(Height, LeastRowBytes(Width)), FormatName);
    const TPalette Colours = Palette ? ReadPalette(*Palette) : GreyPalette();
    const std::uint64_t Wanted = std::min<std::uint64_t>(Image.Remaining(), MostPictureBytes(Width, Height));
    std::vector<std::uint8_t> Packed(static_cast<std::size_t>(Wanted));
    Image.ReadBuffer(Packed.data(), Packed.size());

    SetPixelFormat(pf8bit);
    SetPalette(Colours);
    SetSize(Width, Height);
    TCUTRLEDecoder Decoder;
    std::uint8_t* Source = Packed.data();
    std::uint8_t* const End = Packed.data() + Packed.size();
    for (std::uint32_t y = 0; y < Height && Source < End; ++y) {
        std::uint8_t* Row = ScanLine(y);
        // The bytes really left bound the decoder; rows after the data keep index 0.
        Decoder.Unpack(Source, Row, static_cast<std::int32_t>(std::min<std::ptrdiff_t>(End - Source, INT32_MAX)),
                       static_cast<std::int32_t>(Width));
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
