#include "imaging/PSPGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/PSPHeader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/PSPRLEDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <optional>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPSPGraphic::ClassInfo{
    "TPSPGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPSPGraphic>, &TPSPGraphic::CanReadStream};

namespace {

constexpr std::string_view Format = TPSPGraphic::FormatName;
// The bytes of the layer information that the reader looks at (its first is the layer type).
constexpr std::size_t LayerInfoBytes = 115;
constexpr std::size_t LayerNameBytes = 256; // version 3
// Packed bytes that one unpacked byte may need at most: runs of the
// run-length code cover up to 127 bytes, deflate up to 1032.
constexpr std::uint64_t RunLengthRatio = 63;
constexpr std::uint64_t DeflateRatio = 1032;

[[noreturn]] void Refuse() { RaiseGraphicErrorFmt(gesInvalidImage, {Format}); }

struct TBlock {
    std::uint16_t Id;
    std::int64_t End; // the data begin at the stream's position
};

// Reads the block header at the stream's position; none at the end of the
// data (ParentEnd) or where no block header begins. A block must end inside
// its parent, so a crafted length can never move a reader backwards or out.
std::optional<TBlock> ReadBlock(TStream& Stream, unsigned Major, std::int64_t ParentEnd)
{
    const std::size_t HeaderBytes = sizeof(TPSPBlockHeader) + psp::BlockLengthBytes(Major);
    const std::int64_t Start = Stream.GetPosition();
    if (ParentEnd - Start < static_cast<std::int64_t>(HeaderBytes))
        return std::nullopt;
    TByteReader Header(Stream, HeaderBytes, Format);
    const auto Head = Header.Struct<TPSPBlockHeader>();
    if (Head.Identifier[0] != '~')
        return std::nullopt;
    if (Major == 3)
        Header.Skip(4);
    const std::int64_t DataStart = Start + static_cast<std::int64_t>(HeaderBytes);
    const std::int64_t End = DataStart + Header.U32();
    if (End > ParentEnd)
        Refuse();
    Stream.SetPosition(DataStart);
    return TBlock{Head.BlockId, End};
}

// The end of a chunk that began at Start with its 4-byte length, which must
// lie between the position reached and the end of its block.
std::int64_t ChunkEnd(TStream& Stream, std::int64_t Start, std::uint32_t Length, std::int64_t BlockEnd)
{
    const std::int64_t End = Start + Length;
    if (End < Stream.GetPosition() || End > BlockEnd)
        Refuse();
    return End;
}

// The general image attributes, in the first block after the file header
// at the stream's position. The stream is left at the end of that block.
TPSPImageAttributes ReadAttributes(TStream& Stream, unsigned Major)
{
    const std::optional<TBlock> Block = ReadBlock(Stream, Major, Stream.GetSize());
    if (!Block)
        Refuse();
    const std::size_t Skipped = Major > 3 ? 4 : 0; // the chunk length
    TByteReader Reader(Stream, Skipped + sizeof(TPSPImageAttributes), Format);
    Reader.Skip(Skipped);
    const auto Attributes = Reader.Struct<TPSPImageAttributes>();
    if (Stream.GetPosition() + static_cast<std::int64_t>(Reader.Size()) > Block->End)
        Refuse();
    Stream.SetPosition(Block->End);
    return Attributes;
}

std::optional<TPSPFileHeader> PeekFileHeader(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TPSPFileHeader)))
        return std::nullopt;
    const auto Header = TByteReader(Stream, sizeof(TPSPFileHeader), Format).Struct<TPSPFileHeader>();
    if (!psp::HeaderLoadable(Header))
        return std::nullopt;
    return Header;
}

// Bytes of one channel's row.
std::size_t ChannelRowBytes(std::uint32_t Width, std::uint8_t Bits)
{
    switch (Bits) {
    case 1: return (std::size_t{Width} + 7) / 8;
    case 4: return std::size_t{Width} / 2 + 1;
    case 8: return Width;
    default: RaiseGraphicErrorFmt(gesInvalidColorFormat, {Format});
    }
}

// One channel of a layer, Size bytes: RowBytes × Height, zeroed, of which
// a channel never fills more, whatever sizes it states.
std::vector<std::uint8_t> ReadChannel(TStream& Stream, TPixelCompression Compression, std::uint32_t Packed,
                                      std::size_t Size)
{
    std::vector<std::uint8_t> Plane(Size, 0);
    if (Compression == cmpNone) {
        Stream.ReadBuffer(Plane.data(), std::min<std::size_t>(Packed, Size));
        return Plane;
    }
    // No packed form of Size bytes needs more than this; what lies beyond is not read.
    const std::size_t Needed = std::min<std::uint64_t>(Packed, 2 * std::uint64_t{Size} + 1024);
    std::vector<std::uint8_t> Data(Needed);
    Stream.ReadBuffer(Data.data(), Data.size());
    std::uint8_t* Source = Data.data();
    std::uint8_t* Target = Plane.data();
    const auto PackedSize = static_cast<std::int32_t>(std::min<std::size_t>(Needed, std::numeric_limits<std::int32_t>::max()));
    const auto UnpackedSize = static_cast<std::int32_t>(std::min<std::size_t>(Size, std::numeric_limits<std::int32_t>::max()));
    if (Compression == cmpRLE) {
        TPSPRLEDecoder Decoder;
        Decoder.Unpack(Source, Target, PackedSize, UnpackedSize);
        Decoder.FinishUnpack();
    } else {
        TLZ77Decoder Decoder(Z_FINISH, false);
        Decoder.StartUnpack();
        Decoder.Unpack(Source, Target, PackedSize, UnpackedSize);
        Decoder.FinishUnpack();
    }
    return Plane;
}

TPixelCompression CompressionOf(std::uint16_t Value)
{
    switch (Value) {
    case 0: return cmpNone;
    case 1: return cmpRLE;
    case 2: return cmpDeflate;
    case 3: return cmpJPEG;
    default: return cmpUnknown;
    }
}

} // namespace

bool TPSPGraphic::CanReadStream(TStream& Stream)
{
    return PeekFileHeader(Stream).has_value();
}

bool TPSPGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    const std::optional<TPSPFileHeader> Header = PeekFileHeader(Stream);
    if (!Header)
        return false;
    TStreamPositionKeeper Keep(Stream);
    Stream.Seek(sizeof(TPSPFileHeader), TSeekOrigin::soCurrent);
    const TPSPImageAttributes A = ReadAttributes(Stream, Header->MajorVersion);

    TImageProperties& P = ImageProperties;
    P.FormatVersion = Header->MajorVersion;
    P.Width = A.Width;
    P.Height = A.Height;
    if (A.BitDepth == 24) {
        P.BitsPerSample = 8;
        P.SamplesPerPixel = 3;
        P.Layout = schRGB;
    } else {
        P.BitsPerSample = static_cast<std::uint8_t>(A.BitDepth);
        P.SamplesPerPixel = 1;
        P.Layout = A.GreyscaleFlag != 0 ? schGray : schIndexed;
    }
    P.BitsPerPixel = static_cast<std::uint8_t>(P.BitsPerSample * P.SamplesPerPixel);
    P.Compression = CompressionOf(A.Compression);
    const double Resolution = std::bit_cast<double>(LoadEndian<std::uint64_t, false>(A.Resolution));
    P.XResolution = static_cast<float>(Resolution) * (A.ResolutionUnit == 2 ? 2.54f : 1.0f);
    P.YResolution = P.XResolution;
    return true;
}

void TPSPGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    const TImageProperties& P = ImageProperties;
    Stream.Seek(sizeof(TPSPFileHeader), TSeekOrigin::soCurrent);
    ReadAttributes(Stream, P.FormatVersion);
    if (P.Compression != cmpNone && P.Compression != cmpRLE && P.Compression != cmpDeflate)
        RaiseGraphicErrorFmt(gesUnsupportedFeature, {gesCompressionScheme, FormatName});

    ColorManager.InFlags = 0;
    ColorManager.OutFlags = 0;
    ColorManager.SetInBitsPerSample(P.BitsPerSample == 0 ? 1 : std::min<std::uint8_t>(P.BitsPerSample, 16));
    ColorManager.SetOutBitsPerSample(ColorManager.InBitsPerSample());
    ColorManager.SetInSamplesPerPixel(P.SamplesPerPixel);
    ColorManager.SetOutSamplesPerPixel(P.SamplesPerPixel);
    ColorManager.SetInLayout(P.Layout);
    ColorManager.SetOutLayout(P.Layout == schRGB ? schBGR : P.Layout);
    const std::size_t RowBytes = ChannelRowBytes(P.Width, P.BitsPerSample);

    // Every channel of the picture must fit in the rest of the file, packed
    // as tightly as its compression can.
    const std::uint64_t Unpacked = SaturatingProduct(SaturatingProduct(RowBytes, P.Height), P.SamplesPerPixel);
    const std::uint64_t Ratio = P.Compression == cmpNone ? 1 : P.Compression == cmpRLE ? RunLengthRatio : DeflateRatio;
    CheckPictureSize(Stream, P.Width, P.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)), Unpacked / Ratio,
                     FormatName);
    PrepareBitmap(P.Width, P.Height, FormatName);
    if (P.Layout == schGray)
        SetPalette(ColorManager.MakeGrayPalette(false));
    ReportStageEnd();

    const std::int64_t FileEnd = Stream.GetSize();
    while (const std::optional<TBlock> Block = ReadBlock(Stream, P.FormatVersion, FileEnd)) {
        if (Block->Id == psp::PaletteBlock && P.Layout == schIndexed) {
            const std::size_t Skipped = P.FormatVersion > 3 ? 4 : 0;
            TByteReader Count(Stream, Skipped + 4, FormatName);
            Count.Skip(Skipped);
            const std::uint32_t Entries = std::min<std::uint32_t>(Count.U32(), MaxPaletteEntries);
            Stream.Seek(static_cast<std::int64_t>(Count.Size()), TSeekOrigin::soCurrent);
            if (Stream.GetPosition() + 4 * std::int64_t{Entries} > Block->End)
                Refuse();
            const std::vector<std::uint8_t> Data = ReadFileBlock(Stream, 4 * std::uint64_t{Entries}, FormatName);
            SetPalette(ColorManager.MakeColorPalette({Data.data()}, 1, Entries, true));
        } else if (Block->Id == psp::LayerBankBlock) {
            ReadLayerBank(Block->End);
        }
        Stream.SetPosition(Block->End);
    }
}

bool TPSPGraphic::ReadLayerBank(std::int64_t BankEnd)
{
    TStream& Stream = *CurrentStream;
    const TImageProperties& P = ImageProperties;
    const unsigned Major = P.FormatVersion;
    while (const std::optional<TBlock> Layer = ReadBlock(Stream, Major, BankEnd)) {
        if (Layer->Id != psp::LayerBlock)
            return false;
        ReportStageStart(gesLoadingData);
        std::uint8_t LayerType = 0;
        if (Major == 3) {
            TByteReader Info(Stream, LayerNameBytes + LayerInfoBytes, FormatName);
            Info.Skip(LayerNameBytes);
            LayerType = Info.U8();
            Stream.Seek(LayerNameBytes + LayerInfoBytes, TSeekOrigin::soCurrent);
        } else {
            const std::int64_t ChunkStart = Stream.GetPosition();
            TByteReader Head(Stream, 6, FormatName);
            const std::uint32_t ChunkLength = Head.U32();
            const std::uint16_t NameLength = Head.U16();
            Stream.Seek(6 + std::int64_t{NameLength}, TSeekOrigin::soCurrent);
            LayerType = TByteReader(Stream, LayerInfoBytes, FormatName).U8();
            Stream.Seek(LayerInfoBytes, TSeekOrigin::soCurrent);
            Stream.SetPosition(ChunkEnd(Stream, ChunkStart, ChunkLength, Layer->End));
        }
        // Version 3 shows layers of type 0; later versions undefined (0) and raster (1) ones.
        if (Major == 3 ? LayerType != 0 : LayerType >= 2) {
            ReportStageEnd();
            Stream.SetPosition(Layer->End);
            continue;
        }
        const std::int64_t InfoStart = Stream.GetPosition();
        const std::size_t InfoLengthBytes = Major > 3 ? 4 : 0;
        TByteReader Info(Stream, InfoLengthBytes + 4, FormatName);
        const std::uint32_t InfoLength = Major > 3 ? Info.U32() : 0;
        Info.Skip(2); // bitmap count
        const std::uint16_t Channels = Info.U16();
        Stream.Seek(static_cast<std::int64_t>(Info.Size()), TSeekOrigin::soCurrent);
        if (Major > 3)
            Stream.SetPosition(ChunkEnd(Stream, InfoStart, InfoLength, Layer->End));

        // The channels by type: 0 the single channel of a grey or palette
        // layer or the transparency mask of a colour one, 1 to 3 red, green, blue.
        std::array<std::vector<std::uint8_t>, 4> Planes;
        const std::size_t PlaneBytes = ChannelRowBytes(P.Width, P.BitsPerSample) * std::size_t{P.Height};
        for (std::uint16_t c = 0; c < Channels; ++c) {
            const std::optional<TBlock> Channel = ReadBlock(Stream, Major, Layer->End);
            if (!Channel)
                Refuse();
            const std::size_t Skipped = Major > 3 ? 4 : 0; // the chunk length
            TByteReader Sizes(Stream, Skipped + 12, FormatName);
            Sizes.Skip(Skipped);
            const std::uint32_t Packed = Sizes.U32();
            Sizes.Skip(4 + 2); // uncompressed size, bitmap type
            const std::uint16_t Type = Sizes.U16();
            Stream.Seek(static_cast<std::int64_t>(Sizes.Size()), TSeekOrigin::soCurrent);
            if (Stream.GetPosition() + std::int64_t{Packed} > Channel->End)
                Refuse();
            if (Type <= 3)
                Planes[Type] = ReadChannel(Stream, P.Compression, Packed, PlaneBytes);
            Stream.SetPosition(Channel->End);
        }
        ReportStageEnd();
        TransferRows(Planes);
        return true;
    }
    return false;
}

void TPSPGraphic::TransferRows(const std::array<std::vector<std::uint8_t>, 4>& Planes)
{
    const TImageProperties& P = ImageProperties;
    const std::size_t RowBytes = ChannelRowBytes(P.Width, P.BitsPerSample);
    const bool Colour = P.Layout == schRGB;
    // A layer without the planes its colours need shows nothing.
    if (Colour ? Planes[1].empty() || Planes[2].empty() || Planes[3].empty() : Planes[0].empty())
        Refuse();
    // A colour layer's mask is its alpha.
    const bool Masked = Colour && !Planes[0].empty();
    if (Masked) {
        ColorManager.SetInLayout(schRGBA);
        ColorManager.SetInSamplesPerPixel(4);
        ColorManager.SetOutLayout(schBGRA);
        ColorManager.SetOutSamplesPerPixel(4);
        PrepareBitmap(P.Width, P.Height, FormatName);
    }
    ReportStageStart(gesTransfering);
    for (std::uint32_t y = 0; y < P.Height; ++y) {
        const std::size_t At = y * RowBytes;
        if (Masked)
            ColorManager.TransformRow({&Planes[1][At], &Planes[2][At], &Planes[3][At], &Planes[0][At]}, ScanLine(y), P.Width);
        else if (Colour)
            ColorManager.TransformRow({&Planes[1][At], &Planes[2][At], &Planes[3][At]}, ScanLine(y), P.Width);
        else
            ColorManager.TransformRow(&Planes[0][At], ScanLine(y), P.Width);
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
