#include "imaging/TargaGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/TargaHeader.h"
#include "imaging/decoders/TargaRLEDecoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TTargaGraphic::ClassInfo{
    "TTargaGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TTargaGraphic>, &TTargaGraphic::CanReadStream};

namespace {

// A run packet covers at most this many pixels.
constexpr std::size_t MaxPacketPixels = 128;

// The header at the stream's position; the position is kept.
TTargaHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TTargaHeader), TTargaGraphic::FormatName).Struct<TTargaHeader>();
}

// A 5-5-5 word of a 15- or 16-bit colour map entry, widened as the bitmap
// shows its 5-5-5 pixels, so mapped and true-colour pictures agree.
TPaletteEntry EntryFrom555(const std::uint8_t* Entry)
{
    const unsigned Word = LoadEndian<std::uint16_t, false>(Entry);
    return TPaletteEntry{WidenLevel(Word >> 10, 5), WidenLevel(Word >> 5, 5), WidenLevel(Word, 5), 0};
}

// What the row loop needs; one of the row readers below is chosen per load.
struct TRowSource {
    TStream& Stream;
    std::size_t RowBytes;
    std::uint32_t Width;
    TTargaRLEDecoder Decoder;
    std::vector<std::uint8_t> Packed; // read-ahead of one row's packets
};
using TRowReader = void (*)(TRowSource& Rows, std::uint8_t* Row);

void ReadNoRow(TRowSource&, std::uint8_t*) {}

void ReadPlainRow(TRowSource& Rows, std::uint8_t* Row)
{
    Rows.Stream.ReadBuffer(Row, Rows.RowBytes);
}

// Decodes one row from a read-ahead block and puts the stream right behind the
// packets it took, so the next row starts at its own first packet.
void ReadPackedRow(TRowSource& Rows, std::uint8_t* Row)
{
    const std::int64_t Start = Rows.Stream.GetPosition();
    const std::size_t Got = Rows.Stream.Read(Rows.Packed.data(), Rows.Packed.size());
    std::uint8_t* Source = Rows.Packed.data();
    Rows.Decoder.Unpack(Source, Row, static_cast<std::int32_t>(Got), static_cast<std::int32_t>(Rows.Width));
    Rows.Stream.SetPosition(Start + (Source - Rows.Packed.data()));
}

// Fewest bytes the pixel data of the header can take: whole rows when
// plain; when encoded, one full run packet per 128 pixels of the picture,
// as packets may run on across row ends.
std::uint64_t LeastPixelBytes(const TTargaHeader& Header)
{
    const std::uint64_t PixelBytes = targa::BytesFor(Header.PixelSize);
    const std::uint64_t Pixels = std::uint64_t{Header.Width} * Header.Height;
    if (Header.ImageType == 0)
        return 0;
    if (targa::RunLengthEncoded(Header.ImageType))
        return (Pixels + MaxPacketPixels - 1) / MaxPacketPixels * (1 + PixelBytes);
    return Pixels * PixelBytes;
}

// The colour manager only decides the bitmap format: rows are stored in the
// bitmap's byte order already.
void DescribePixels(TColorManager& Manager, const TImageProperties& P)
{
    Manager.SetInSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetOutSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetInLayout(P.Layout);
    Manager.InFlags = 0;
    Manager.SetOutLayout(schBGR);
    Manager.SetInBitsPerSample(P.BitsPerSample);
    Manager.SetOutBitsPerSample(P.BitsPerSample);
}

// Reads the colour map, which always stands right before the pixel data, and
// gives the picture's palette: a grey ramp for grey pictures (whose colour
// map is passed over), the first 256 map entries for the others, or none.
std::optional<TPalette> ReadPalette(TStream& Stream, const TTargaHeader& Header, const TColorManager& Manager)
{
    const bool Grey = targa::Grey(Header.ImageType);
    std::optional<TPalette> Palette;
    if (Header.ColorMapType == 1) {
        const std::size_t EntryBytes = targa::BytesFor(Header.ColorMapEntrySize);
        const std::size_t MapBytes = Header.ColorMapLength * EntryBytes;
        if (Grey) {
            CheckStreamHolds(Stream, MapBytes, TTargaGraphic::FormatName);
            Stream.Seek(static_cast<std::int64_t>(MapBytes), TSeekOrigin::soCurrent);
        } else {
            const std::vector<std::uint8_t> Map = ReadFileBlock(Stream, MapBytes, TTargaGraphic::FormatName);
            if (EntryBytes == 2) {
                const std::size_t Count = std::min<std::size_t>(Header.ColorMapLength, MaxPaletteEntries);
                Palette.emplace();
                for (std::size_t i = 0; i < Count; ++i)
                    Palette->push_back(EntryFrom555(&Map[i * 2]));
            } else {
                Palette = Manager.MakeColorPalette({Map.data()}, EntryBytes == 3 ? 0 : 1, Header.ColorMapLength, true);
            }
        }
    }
    if (Grey)
        Palette = Manager.MakeGrayPalette(false);
    return Palette;
}

} // namespace

bool TTargaGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TTargaHeader)) + 1)
        return false;
    // Content alone must name an entry size, even without a colour map.
    const TTargaHeader Header = PeekHeader(Stream);
    return targa::HeaderLoadable(Header) && targa::KnownEntrySize(Header.ColorMapEntrySize);
}

bool TTargaGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TTargaHeader)))
        return false;
    const TTargaHeader Header = PeekHeader(Stream);
    if (!targa::HeaderLoadable(Header))
        return false;
    TImageProperties& P = ImageProperties;
    P.Width = Header.Width;
    P.Height = Header.Height;
    P.BitsPerSample = 8;
    switch (Header.PixelSize) {
    case 8:
        P.Layout = targa::Grey(Header.ImageType) ? schGray : schIndexed;
        P.SamplesPerPixel = 1;
        break;
    case 15:
    case 16:
        P.Layout = schRGB;
        P.BitsPerSample = 5;
        P.SamplesPerPixel = 3;
        break;
    case 24:
        P.Layout = schRGB;
        P.SamplesPerPixel = 3;
        break;
    default:
        P.Layout = schRGBA;
        P.SamplesPerPixel = 4;
        break;
    }
    P.BitsPerPixel = static_cast<std::uint8_t>(P.SamplesPerPixel * P.BitsPerSample);
    P.Compression = targa::RunLengthEncoded(Header.ImageType) ? cmpRLE : cmpNone;
    return true;
}

void TTargaGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    const TTargaHeader Header = PeekHeader(Stream);
    const bool TopRowFirst = Header.Descriptor & TargaTopRowFirst;
    Stream.Seek(sizeof Header + Header.IdLength, TSeekOrigin::soCurrent);
    DescribePixels(ColorManager, ImageProperties);
    const std::optional<TPalette> Palette = ReadPalette(Stream, Header, ColorManager);

    CheckPictureSize(Stream, Header.Width, Header.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     LeastPixelBytes(Header), FormatName);
    PrepareBitmap(Header.Width, Header.Height, FormatName);
    if (Palette)
        SetPalette(*Palette);
    ReportStageEnd();
    ReportStageStart(gesTransfering);

    const std::size_t PixelBytes = targa::BytesFor(Header.PixelSize);
    TRowSource Rows{Stream, std::size_t{Header.Width} * PixelBytes, Header.Width, TTargaRLEDecoder(Header.PixelSize), {}};
    TRowReader ReadRow = ReadPlainRow;
    if (Header.ImageType == 0) {
        ReadRow = ReadNoRow;
    } else if (targa::RunLengthEncoded(Header.ImageType)) {
        // Twice the row, which holds any row's packets, and room for a last
        // packet that runs on past the row.
        Rows.Packed.resize(2 * Rows.RowBytes + MaxPacketPixels * PixelBytes);
        ReadRow = ReadPackedRow;
    }
    const std::uint32_t Height = Header.Height;
    for (std::uint32_t i = 0; i < Height; ++i) {
        ReadRow(Rows, ScanLine(TopRowFirst ? i : Height - 1 - i));
        ReportRowDone(i);
    }
    ReportStageEnd();
}

namespace {

// The bytes of one bitmap row as a Targa row: most formats as they are; 1-
// and 4-bit indices widened to bytes, 5-6-5 words narrowed to 5-5-5.
using TRowWriter = const std::uint8_t* (*)(const std::uint8_t* Row, std::uint32_t Width, std::uint8_t* Buffer);

const std::uint8_t* RowAsStored(const std::uint8_t* Row, std::uint32_t, std::uint8_t*)
{
    return Row;
}

template <unsigned Bits>
const std::uint8_t* RowFromPacked(const std::uint8_t* Row, std::uint32_t Width, std::uint8_t* Buffer)
{
    for (std::uint32_t x = 0; x < Width; ++x)
        Buffer[x] = PackedSample(Row, x, Bits);
    return Buffer;
}

const std::uint8_t* RowFrom565(const std::uint8_t* Row, std::uint32_t Width, std::uint8_t* Buffer)
{
    for (std::uint32_t x = 0; x < Width; ++x) {
        const unsigned Word = Row[2 * x] | (Row[2 * x + 1] << 8);
        const unsigned Narrow = ((Word >> 1) & 0x7FE0) | (Word & 0x1F);
        Buffer[2 * x] = static_cast<std::uint8_t>(Narrow);
        Buffer[2 * x + 1] = static_cast<std::uint8_t>(Narrow >> 8);
    }
    return Buffer;
}

void Write(std::ostream& Stream, const void* Data, std::size_t Count)
{
    Stream.write(static_cast<const char*>(Data), static_cast<std::streamsize>(Count));
    if (!Stream)
        throw EStreamError(gesStreamWrite);
}

} // namespace

void TTargaGraphic::SaveToStream(std::ostream& Stream)
{
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(GetWidth()), 1};
    ReportStageStart(gesPreparing);
    std::size_t PixelBytes = 0;
    TRowWriter RowBytesOf = RowAsStored;
    switch (GetPixelFormat()) {
    case pf1bit: PixelBytes = 1; RowBytesOf = RowFromPacked<1>; break;
    case pf4bit: PixelBytes = 1; RowBytesOf = RowFromPacked<4>; break;
    case pf8bit: PixelBytes = 1; break;
    case pf15bit: PixelBytes = 2; break;
    case pf16bit: PixelBytes = 2; RowBytesOf = RowFrom565; break;
    case pf24bit: PixelBytes = 3; break;
    case pf32bit:
    case pfDevice: PixelBytes = 4; break;
    case pfCustom: RaiseGraphicError(gesCustomFormat);
    }
    if (Empty())
        return;
    const std::uint32_t Width = GetWidth();
    const std::uint32_t Height = GetHeight();
    if (Width > 0xFFFF || Height > 0xFFFF)
        RaiseGraphicError(gesBitmapTooLarge);

    const bool Mapped = PixelBytes == 1;
    TTargaHeader Header{};
    Header.ColorMapType = Mapped ? 1 : 0;
    Header.ImageType = Mapped ? 9 : 10;
    Header.ColorMapLength.Set(256);
    Header.ColorMapEntrySize = 24;
    Header.Width.Set(static_cast<std::uint16_t>(Width));
    Header.Height.Set(static_cast<std::uint16_t>(Height));
    Header.PixelSize = static_cast<std::uint8_t>(8 * PixelBytes);
    // Our bitmaps lie top-down in memory and are written so.
    Header.Descriptor = TargaTopRowFirst;
    Write(Stream, &Header, sizeof Header);
    if (Mapped) {
        std::array<std::uint8_t, 3 * MaxPaletteEntries> Map{};
        const auto& Entries = PaletteEntries();
        for (std::size_t i = 0; i < MaxPaletteEntries; ++i) {
            Map[3 * i] = Entries[i].Blue;
            Map[3 * i + 1] = Entries[i].Green;
            Map[3 * i + 2] = Entries[i].Red;
        }
        Write(Stream, Map.data(), Map.size());
    }
    ReportStageEnd();
    ReportStageStart(gesTransfering);

    TTargaRLEDecoder Encoder(Header.PixelSize);
    std::vector<std::uint8_t> Packed(Encoder.PackedSizeFor(Width));
    std::vector<std::uint8_t> Row(std::size_t{Width} * PixelBytes);
    for (std::uint32_t y = 0; y < Height; ++y) {
        std::int32_t Stored = 0;
        Encoder.Pack(RowBytesOf(ScanLine(y), Width, Row.data()), Packed.data(), static_cast<std::int32_t>(Width),
                     Stored);
        Write(Stream, Packed.data(), static_cast<std::size_t>(Stored));
        Progress(TProgressStage::psRunning, 0, true, ProgressRect, std::string());
        ++ProgressRect.Top;
        ++ProgressRect.Bottom;
    }
    ReportStageEnd();
}

} // namespace vidlark
