#include "imaging/SGIGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/SGIHeader.h"
#include "imaging/decoders/SGIRLEDecoder.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TSGIGraphic::ClassInfo{
    "TSGIGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TSGIGraphic>, &TSGIGraphic::CanReadStream};

namespace {

constexpr std::uint64_t HeaderBytes = sizeof(TSGIHeader);
constexpr std::uint64_t TableEntryBytes = 4;
// Plain rows are read in bands of about this many bytes per channel.
constexpr std::size_t BandBytes = 128 * 1024;

// The header at the stream's position; the position is kept.
TSGIHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TSGIHeader), TSGIGraphic::FormatName).Struct<TSGIHeader>();
}

// Fewest bytes of the file, header included, that can hold the picture:
// every channel row when plain; when encoded, the two offset tables and the
// packets of one row, as rows may share their packets.
std::uint64_t LeastFileBytes(const TSGIHeader& Header)
{
    const std::uint64_t ChannelRows = std::uint64_t{Header.Height} * Header.Channels;
    const std::uint64_t RowBytes = std::uint64_t{Header.Width} * Header.BytesPerSample;
    if (Header.Storage != sgi::RunLengthEncoded)
        return HeaderBytes + ChannelRows * RowBytes;
    const std::uint64_t LeastPackets = (Header.Width + sgi::MaxPacketSamples - 1) / sgi::MaxPacketSamples;
    return HeaderBytes + 2 * ChannelRows * TableEntryBytes + LeastPackets * 2 * Header.BytesPerSample;
}

// Each row arrives as one buffer per channel, big-endian samples.
void DescribePixels(TColorManager& Manager, const TImageProperties& P, std::uint8_t Shown)
{
    Manager.InFlags = cfSwapBytes;
    Manager.SetInBitsPerSample(P.BitsPerSample);
    Manager.SetOutBitsPerSample(8);
    Manager.SetInSamplesPerPixel(Shown);
    Manager.SetOutSamplesPerPixel(Shown);
    Manager.SetInLayout(P.Layout);
    Manager.SetOutLayout(P.Layout == schRGB ? schBGR : P.Layout == schRGBA ? schBGRA : schIndexed);
}

// Where the row loop finds the rows of each channel. Plain rows are read
// from the stream a band of rows at a time, into one band buffer per
// channel shown; run-length rows are decoded from File, the whole file, into
// one row buffer per channel shown.
struct TChannelRows {
    TStream& Stream;
    std::int64_t FileStart;
    std::vector<std::uint8_t> File;
    std::uint32_t Width;
    std::uint32_t Height;
    std::size_t RowBytes;
    std::uint32_t BandRows;
    std::vector<std::uint8_t> Buffers;
    std::size_t TableEntries; // Height × channels
    std::int32_t MostPackedBytes;
    TSGIRLEDecoder RowDecoder;
};
using TChannelReader = const std::uint8_t* (*)(TChannelRows& Rows, unsigned Channel, std::uint32_t Row);

// Plain storage: row r of channel k starts at 512 + (k × height + r) × width
// × bytes per sample, so a channel's rows follow each other and a band of
// them is read at once.
const std::uint8_t* PlainRow(TChannelRows& Rows, unsigned Channel, std::uint32_t Row)
{
    std::uint8_t* Band = Rows.Buffers.data() + Channel * Rows.BandRows * Rows.RowBytes;
    const std::uint32_t InBand = Row % Rows.BandRows;
    if (InBand == 0) {
        const std::uint64_t Offset = HeaderBytes + (std::uint64_t{Channel} * Rows.Height + Row) * Rows.RowBytes;
        Rows.Stream.SetPosition(Rows.FileStart + static_cast<std::int64_t>(Offset));
        Rows.Stream.ReadBuffer(Band, std::min(Rows.BandRows, Rows.Height - Row) * Rows.RowBytes);
    }
    return Band + InBand * Rows.RowBytes;
}

// Run-length storage: entry k × height + r of the row start table and of
// the row length table that follows it gives the file offset and the bytes
// of the row's packets. A row the file does not hold stays zero.
const std::uint8_t* PackedRow(TChannelRows& Rows, unsigned Channel, std::uint32_t Row)
{
    const std::size_t Entry = std::size_t{Channel} * Rows.Height + Row;
    const std::uint8_t* RowStarts = Rows.File.data() + HeaderBytes;
    const std::uint8_t* RowLengths = RowStarts + Rows.TableEntries * TableEntryBytes;
    const std::uint64_t Start = LoadEndian<std::uint32_t, true>(RowStarts + Entry * TableEntryBytes);
    const std::uint64_t Length = LoadEndian<std::uint32_t, true>(RowLengths + Entry * TableEntryBytes);
    std::uint8_t* Target = Rows.Buffers.data() + Channel * Rows.RowBytes;
    std::fill_n(Target, Rows.RowBytes, 0);
    if (Start + Length > Rows.File.size())
        return Target;
    std::uint8_t* Source = Rows.File.data() + Start;
    std::uint8_t* Unpacked = Target;
    const auto PackedBytes = static_cast<std::int32_t>(std::min<std::uint64_t>(Length, Rows.MostPackedBytes));
    Rows.RowDecoder.Unpack(Source, Unpacked, PackedBytes, static_cast<std::int32_t>(Rows.Width));
    return Target;
}

// The rows of a load whose header and stream size are checked: the stream
// stands at the start of the file.
TChannelRows RowsOf(TStream& Stream, const TSGIHeader& Header)
{
    const bool Packed = Header.Storage == sgi::RunLengthEncoded;
    const std::uint32_t Height = Header.Height;
    const std::size_t RowBytes = std::size_t{Header.Width} * Header.BytesPerSample;
    const std::uint32_t BandRows =
        Packed ? 1 : static_cast<std::uint32_t>(std::clamp<std::size_t>(BandBytes / RowBytes, 1, Height));
    // One-sample packets and the end mark are the most a row can take, so
    // damaged lengths cannot make every row walk the whole file.
    const std::size_t MostPackedBytes = 2 * RowBytes + Header.BytesPerSample;
    return TChannelRows{Stream,
                        Stream.GetPosition(),
                        Packed ? ReadFileBlock(Stream, Stream.Remaining(), TSGIGraphic::FormatName)
                               : std::vector<std::uint8_t>(),
                        Header.Width,
                        Height,
                        RowBytes,
                        BandRows,
                        std::vector<std::uint8_t>(sgi::ShownChannels(Header) * BandRows * RowBytes),
                        std::size_t{Height} * Header.Channels,
                        static_cast<std::int32_t>(MostPackedBytes),
                        TSGIRLEDecoder(static_cast<std::uint8_t>(8 * Header.BytesPerSample))};
}

} // namespace

bool TSGIGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(HeaderBytes))
        return false;
    const TSGIHeader Header = PeekHeader(Stream);
    return sgi::HeaderLoadable(Header) && Header.Dimension >= 1 && Header.Dimension <= 3;
}

bool TSGIGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(HeaderBytes))
        return false;
    const TSGIHeader Header = PeekHeader(Stream);
    if (!sgi::HeaderLoadable(Header))
        return false;
    TImageProperties& P = ImageProperties;
    P.Flags = imgBigEndian;
    P.BitsPerSample = static_cast<std::uint8_t>(8 * Header.BytesPerSample);
    P.Width = Header.Width;
    P.Height = Header.Height;
    P.SamplesPerPixel = static_cast<std::uint8_t>(Header.Channels);
    P.Layout = P.SamplesPerPixel == 3 ? schRGB : P.SamplesPerPixel == 4 ? schRGBA : schIndexed;
    P.BitsPerPixel = static_cast<std::uint8_t>(P.BitsPerSample * P.SamplesPerPixel);
    P.Compression = Header.Storage == sgi::RunLengthEncoded ? cmpRLE : cmpNone;
    return true;
}

void TSGIGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    const TSGIHeader Header = PeekHeader(Stream);
    const std::uint8_t Shown = sgi::ShownChannels(Header);
    const std::uint32_t Width = Header.Width;
    const std::uint32_t Height = Header.Height;
    DescribePixels(ColorManager, ImageProperties, Shown);

    CheckPictureSize(Stream, Width, Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     LeastFileBytes(Header), FormatName);
    TChannelRows Rows = RowsOf(Stream, Header);
    const TChannelReader ReadChannel = ImageProperties.Compression == cmpRLE ? PackedRow : PlainRow;

    PrepareBitmap(Width, Height, FormatName);
    if (ImageProperties.Layout == schIndexed)
        SetPalette(ColorManager.MakeGrayPalette(false));
    ReportStageEnd();
    ReportStageStart(gesTransfering);

    std::array<const void*, 4> Sources{};
    for (std::uint32_t Row = 0; Row < Height; ++Row) {
        for (unsigned Channel = 0; Channel < Shown; ++Channel)
            Sources[Channel] = ReadChannel(Rows, Channel, Row);
        ColorManager.TransformRow(std::span(Sources.data(), Shown), ScanLine(Height - 1 - Row), Width);
        ReportRowDone(Row);
    }
    ReportStageEnd();
}

} // namespace vidlark
