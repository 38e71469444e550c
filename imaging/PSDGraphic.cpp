#include "imaging/PSDGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/PSDHeader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPSDGraphic::ClassInfo{
    "TPSDGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPSDGraphic>, &TPSDGraphic::CanReadStream};

namespace {

// A Packbits packet gives at most 128 bytes and takes two.
constexpr std::uint64_t MaxPacketBytes = 128;

TPSDHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TPSDHeader), TPSDGraphic::FormatName).Struct<TPSDHeader>();
}

// Where the colour mode data lie and where the pixel data begin, behind
// the three length-prefixed sections and the compression field.
struct TSections {
    std::int64_t ColorDataAt = 0;
    std::uint32_t ColorDataBytes = 0;
    std::uint16_t Compression = 0;
    std::int64_t PixelDataAt = 0;
};

// From the header at the stream's position; the position is kept.
std::optional<TSections> FindSections(TStream& Stream)
{
    TStreamPositionKeeper Keep(Stream);
    Stream.Seek(sizeof(TPSDHeader), TSeekOrigin::soCurrent);
    TSections S;
    for (int Section = 0; Section < 3; ++Section) {
        std::array<std::uint8_t, 4> Length;
        if (Stream.Read(Length.data(), Length.size()) != Length.size())
            return std::nullopt;
        const std::uint32_t Bytes = LoadEndian<std::uint32_t, true>(Length.data());
        if (static_cast<std::uint64_t>(Stream.Remaining()) < Bytes)
            return std::nullopt;
        if (Section == 0) {
            S.ColorDataAt = Stream.GetPosition();
            S.ColorDataBytes = Bytes;
        }
        Stream.Seek(Bytes, TSeekOrigin::soCurrent);
    }
    std::array<std::uint8_t, 2> Compression;
    if (Stream.Read(Compression.data(), Compression.size()) != Compression.size())
        return std::nullopt;
    S.Compression = LoadEndian<std::uint16_t, true>(Compression.data());
    S.PixelDataAt = Stream.GetPosition();
    return S;
}

TColorLayout LayoutOf(const TPSDHeader& Header)
{
    switch (Header.Mode) {
    case psd::Bitmap:
    case psd::Grayscale: return schGray;
    case psd::Indexed: return schIndexed;
    case psd::RGB: return Header.Channels == 3 ? schRGB : schRGBA;
    case psd::CMYK: return schCMYK;
    case psd::Lab: return schCIELab;
    default: return schUnknown;
    }
}

TPixelCompression CompressionOf(std::uint16_t Field)
{
    switch (Field) {
    case 0: return cmpNone;
    case 1: return cmpPackbits;
    case 2:
    case 3: return cmpDeflate; // zip, without and with prediction
    default: return cmpUnknown;
    }
}

void DescribePixels(TColorManager& Manager, const TImageProperties& P)
{
    const TColorLayout In = P.Layout;
    Manager.InFlags = cfSwapBytes;
    if (In == schCIELab)
        Manager.InFlags |= cfLabScaledL | cfLabOffsetAB;
    Manager.SetInBitsPerSample(P.BitsPerSample);
    Manager.SetOutBitsPerSample(P.BitsPerSample == 16 ? 8 : P.BitsPerSample);
    Manager.SetInSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetOutSamplesPerPixel(In == schCMYK ? 3 : P.SamplesPerPixel);
    Manager.SetInLayout(In);
    Manager.SetOutLayout(In == schIndexed || In == schGray ? In : In == schRGBA ? schBGRA : schBGR);
}

// The colour table: all red values, then all green, then all blue; the
// first 256 of each are used.
TPalette ReadColorTable(TStream& Stream, const TSections& S, const TColorManager& Manager)
{
    const std::uint32_t Count = S.ColorDataBytes / 3;
    const std::uint32_t Used = std::min<std::uint32_t>(Count, MaxPaletteEntries);
    std::array<std::vector<std::uint8_t>, 3> Planes;
    for (std::uint32_t Plane = 0; Plane < 3; ++Plane) {
        Stream.SetPosition(S.ColorDataAt + std::int64_t{Plane} * Count);
        Planes[Plane] = ReadFileBlock(Stream, Used, TPSDGraphic::FormatName);
    }
    return Manager.MakeColorPalette({Planes[0].data(), Planes[1].data(), Planes[2].data()}, 2, Used, false);
}

// The pixel data of the shown channels, and how to find each row in it.
struct TPixelData {
    std::vector<std::uint8_t> Bytes;           // raw planes, or the packed rows
    std::vector<std::uint8_t> RowCounts;       // packed: 16-bit byte counts of the shown channels
    std::array<std::uint64_t, 4> ChannelAt{};  // packed: where each shown channel's rows begin
};

std::uint64_t LeastPixelBytes(const TImageProperties& P, unsigned Shown, std::uint64_t RowBytes)
{
    const std::uint64_t Rows = SaturatingProduct(Shown, P.Height);
    if (P.Compression == cmpNone)
        return SaturatingProduct(Rows, RowBytes);
    const std::uint64_t Table = SaturatingProduct(2 * std::uint64_t{P.ChannelCount}, P.Height);
    const std::uint64_t Packets = (RowBytes + MaxPacketBytes - 1) / MaxPacketBytes;
    return Table + SaturatingProduct(Rows, 2 * Packets);
}

TPixelData ReadPixelData(TStream& Stream, const TImageProperties& P, unsigned Shown, std::uint64_t RowBytes)
{
    TPixelData Data;
    const std::uint64_t Rows = std::uint64_t{Shown} * P.Height;
    if (P.Compression == cmpNone) {
        Data.Bytes = ReadFileBlock(Stream, Rows * RowBytes, TPSDGraphic::FormatName);
        return Data;
    }
    Data.RowCounts = ReadFileBlock(Stream, 2 * Rows, TPSDGraphic::FormatName);
    const std::uint64_t OtherCounts = 2 * std::uint64_t{P.ChannelCount - Shown} * P.Height;
    CheckStreamHolds(Stream, OtherCounts, TPSDGraphic::FormatName);
    Stream.Seek(static_cast<std::int64_t>(OtherCounts), TSeekOrigin::soCurrent);
    std::uint64_t Sum = 0;
    for (std::uint64_t Row = 0; Row < Rows; ++Row) {
        if (Row % P.Height == 0)
            Data.ChannelAt[Row / P.Height] = Sum;
        Sum += LoadEndian<std::uint16_t, true>(&Data.RowCounts[2 * Row]);
    }
    // Data that end early give the rows they hold.
    Data.Bytes = ReadFileBlock(Stream, std::min(Sum, static_cast<std::uint64_t>(Stream.Remaining())),
                               TPSDGraphic::FormatName);
    return Data;
}

// Decodes (or points at) row y of every shown channel.
class TChannelRows {
public:
    TChannelRows(TPixelData& Data, const TImageProperties& P, unsigned Shown, std::uint64_t RowBytes)
        : Data(Data), Height(P.Height), Shown(Shown), RowBytes(RowBytes), Packed(P.Compression != cmpNone)
    {
        if (Packed)
            Decoded.resize(Shown * RowBytes);
        Next = Data.ChannelAt;
    }

    // Pointers to the rows; they may be changed until the next call.
    std::array<std::uint8_t*, 4> Row(std::uint32_t y)
    {
        std::array<std::uint8_t*, 4> Planes{};
        for (unsigned c = 0; c < Shown; ++c) {
            if (!Packed) {
                Planes[c] = Data.Bytes.data() + (std::uint64_t{c} * Height + y) * RowBytes;
                continue;
            }
            Planes[c] = Decoded.data() + c * RowBytes;
            const std::uint64_t Count = LoadEndian<std::uint16_t, true>(&Data.RowCounts[2 * (std::uint64_t{c} * Height + y)]);
            const std::uint64_t At = std::min<std::uint64_t>(Next[c], Data.Bytes.size());
            const std::uint64_t Held = std::min(Count, Data.Bytes.size() - At);
            Next[c] += Count;
            std::fill_n(Planes[c], RowBytes, 0);
            std::uint8_t* Source = Data.Bytes.data() + At;
            std::uint8_t* Target = Planes[c];
            Decoder.Unpack(Source, Target, static_cast<std::int32_t>(Held), static_cast<std::int32_t>(RowBytes));
        }
        return Planes;
    }

private:
    TPixelData& Data;
    std::uint32_t Height;
    unsigned Shown;
    std::uint64_t RowBytes;
    bool Packed;
    std::vector<std::uint8_t> Decoded;
    std::array<std::uint64_t, 4> Next{};
    TPackbitsRLEDecoder Decoder;
};

// The file stores 0 for full ink.
void InvertInk(const std::array<std::uint8_t*, 4>& Planes, std::uint64_t RowBytes)
{
    for (std::uint8_t* Plane : Planes)
        for (std::uint64_t i = 0; i < RowBytes; ++i)
            Plane[i] = static_cast<std::uint8_t>(~Plane[i]);
}

} // namespace

bool TPSDGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TPSDHeader)))
        return false;
    return psd::HeaderLoadable(PeekHeader(Stream));
}

bool TPSDGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TPSDHeader)))
        return false;
    const TPSDHeader Header = PeekHeader(Stream);
    const std::optional<TSections> Sections = FindSections(Stream);
    if (!psd::HeaderLoadable(Header) || !Sections)
        return false;
    TImageProperties& P = ImageProperties;
    P.Flags = imgBigEndian | (Header.Mode == psd::Bitmap ? imgMinIsWhite : 0);
    P.Width = Header.Width;
    P.Height = Header.Height;
    P.BitsPerSample = static_cast<std::uint8_t>(Header.Depth);
    P.ChannelCount = static_cast<std::uint8_t>(Header.Channels);
    P.Layout = LayoutOf(Header);
    // Grey and indexed pictures show their first channel alone; a CMYK
    // picture has four samples, Lab three.
    P.SamplesPerPixel = static_cast<std::uint8_t>(psd::ShownChannels(Header.Mode, Header.Channels));
    P.BitsPerPixel = static_cast<std::uint8_t>(P.SamplesPerPixel * P.BitsPerSample);
    P.AlphaPresent = P.Layout == schRGBA;
    P.Compression = CompressionOf(Sections->Compression);
    return true;
}

void TPSDGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    const TSections Sections = *FindSections(Stream);
    const TImageProperties& P = ImageProperties;
    if (P.Compression != cmpNone && P.Compression != cmpPackbits)
        RaiseGraphicErrorFmt(gesUnsupportedFeature, {gesCompressionScheme, FormatName});
    DescribePixels(ColorManager, P);

    const unsigned Shown = P.SamplesPerPixel;
    const std::uint64_t RowBytes = (std::uint64_t{P.Width} * P.BitsPerSample + 7) / 8;
    Stream.SetPosition(Sections.PixelDataAt);
    CheckPictureSize(Stream, P.Width, P.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     LeastPixelBytes(P, Shown, RowBytes), FormatName);
    std::optional<TPalette> Palette;
    if (P.Layout == schIndexed)
        Palette = ReadColorTable(Stream, Sections, ColorManager);
    else if (P.Layout == schGray)
        Palette = ColorManager.MakeGrayPalette((P.Flags & imgMinIsWhite) != 0);
    PrepareBitmap(P.Width, P.Height, FormatName);
    if (Palette)
        SetPalette(*Palette);
    ReportStageEnd();

    const bool Colour = Shown > 1;
    if (Colour)
        ReportStageStart(gesLoadingData);
    Stream.SetPosition(Sections.PixelDataAt);
    TPixelData Data = ReadPixelData(Stream, P, Shown, RowBytes);
    if (Colour)
        ReportStageEnd();
    ReportStageStart(gesTransfering);

    TChannelRows Channels(Data, P, Shown, RowBytes);
    for (std::uint32_t y = 0; y < P.Height; ++y) {
        const std::array<std::uint8_t*, 4> Planes = Channels.Row(y);
        if (P.Layout == schCMYK)
            InvertInk(Planes, RowBytes);
        const std::array<const void*, 4> Constant{Planes[0], Planes[1], Planes[2], Planes[3]};
        ColorManager.TransformRow(std::span<const void* const>(Constant.data(), Shown), ScanLine(y), P.Width);
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
