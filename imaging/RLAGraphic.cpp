#include "imaging/RLAGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/GraphicStrings.h"
#include "imaging/RLAHeader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/RLADecoder.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TRLAGraphic::ClassInfo{
    "TRLAGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TRLAGraphic>, &TRLAGraphic::CanReadStream};

namespace {

// A run packet covers at most this many bytes.
constexpr std::uint64_t MaxPacketBytes = 128;
// A channel's packed length is a 16-bit count.
constexpr std::size_t MaxChannelBytes = 0xFFFF;

TRLAHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TRLAHeader), TRLAGraphic::FormatName).Struct<TRLAHeader>();
}

// The gamma text as a number, read the same in every locale; 1.0 (none)
// unless it is a finite value above 0 and at most 10.
float GammaFrom(std::string_view Text)
{
    const auto Blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!Text.empty() && Blank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && Blank(Text.back()))
        Text.remove_suffix(1);
    double Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error != std::errc() || End != Text.data() + Text.size() || !std::isfinite(Value) || Value <= 0 ||
        Value > 10)
        return 1.0f;
    return static_cast<float>(Value);
}

// Fewest bytes the data of the picture take: the offset table, and for each
// row and channel its length and the run packets that fill it.
std::uint64_t LeastDataBytes(const TImageProperties& P, std::uint64_t ChannelBytes)
{
    const std::uint64_t PerChannel = 2 + (ChannelBytes + MaxPacketBytes - 1) / MaxPacketBytes * 2;
    return SaturatingProduct(P.Height, 4 + P.SamplesPerPixel * PerChannel);
}

void DescribePixels(TColorManager& Manager, const TImageProperties& P)
{
    Manager.SetInSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetOutSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetInBitsPerSample(P.BitsPerSample);
    Manager.SetOutBitsPerSample(8);
    Manager.SetInLayout(P.Layout);
    Manager.SetOutLayout(P.Layout == schRGBA ? schBGRA : schBGR);
    Manager.InFlags = P.BitsPerSample == 16 ? cfSwapBytes : 0;
    Manager.OutFlags = 0;
    if (P.Gamma != 1.0f) {
        // The colour manager takes the image's gamma as the exponent that
        // encoded it: a file stored for a display gamma of 2.2 then shows its
        // samples as stored.
        Manager.SetGammas(1.0f / P.Gamma, 2.2f);
        Manager.OutFlags |= cfGamma;
    }
}

// Reads one channel's packed bytes at the stream's position and expands
// them into Plane; false when the file ends before them.
bool ReadChannel(TStream& Stream, TRLADecoder& Decoder, std::vector<std::uint8_t>& Packed,
                 std::uint8_t* Plane, std::size_t PlaneBytes)
{
    std::uint8_t Length[2];
    if (Stream.Read(Length, 2) != 2)
        return false;
    const std::size_t Count = LoadEndian<std::uint16_t, true>(Length);
    if (Stream.Read(Packed.data(), Count) != Count)
        return false;
    std::fill_n(Plane, PlaneBytes, 0);
    std::uint8_t* Source = Packed.data();
    Decoder.Unpack(Source, Plane, static_cast<std::int32_t>(Count), static_cast<std::int32_t>(PlaneBytes));
    return true;
}

} // namespace

bool TRLAGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TRLAHeader)))
        return false;
    const TRLAHeader Header = PeekHeader(Stream);
    return Header.Revision == rla::Revision && rla::HeaderLoadable(Header);
}

bool TRLAGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TRLAHeader)))
        return false;
    const TRLAHeader Header = PeekHeader(Stream);
    if (!rla::HeaderLoadable(Header))
        return false;
    TImageProperties& P = ImageProperties;
    const bool Matte = static_cast<std::int16_t>(Header.MatteChannels) > 0;
    P.Flags = imgBigEndian;
    // One matte channel is read whatever the count; further ones are passed over.
    P.SamplesPerPixel = Matte ? 4 : 3;
    P.BitsPerSample = static_cast<std::uint8_t>(Header.ColorChannelBits);
    P.BitsPerPixel = static_cast<std::uint8_t>(P.SamplesPerPixel * P.BitsPerSample);
    P.Layout = Matte ? schRGBA : schRGB;
    P.Gamma = GammaFrom(rla::Text(Header.Gamma));
    if (P.Gamma != 1.0f)
        P.Flags |= imgFileGamma;
    P.Compression = cmpRLE;
    P.Width = static_cast<std::uint32_t>(rla::Width(Header));
    P.Height = static_cast<std::uint32_t>(rla::Height(Header));
    P.RowsBottomUp = static_cast<std::int16_t>(Header.Bottom) < static_cast<std::int16_t>(Header.Top);
    return true;
}

void TRLAGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    const TImageProperties& P = ImageProperties;
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(P.Width), 1};
    ReportStageStart(gesTransfering);
    DescribePixels(ColorManager, P);

    const std::size_t PlaneBytes = std::size_t{P.Width} * (P.BitsPerSample / 8);
    Stream.Seek(sizeof(TRLAHeader), TSeekOrigin::soCurrent);
    CheckPictureSize(Stream, P.Width, P.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     LeastDataBytes(P, PlaneBytes), FormatName);
    const std::vector<std::uint8_t> Table = ReadFileBlock(Stream, std::uint64_t{P.Height} * 4, FormatName);
    PrepareBitmap(P.Width, P.Height, FormatName);

    TRLADecoder Decoder;
    std::vector<std::uint8_t> Packed(MaxChannelBytes);
    std::vector<std::uint8_t> Planes(PlaneBytes * P.SamplesPerPixel);
    std::array<const void*, 4> Sources{};
    for (std::size_t c = 0; c < P.SamplesPerPixel; ++c)
        Sources[c] = Planes.data() + c * PlaneBytes;
    const std::span<const void* const> Channels(Sources.data(), P.SamplesPerPixel);

    for (std::uint32_t i = 0; i < P.Height; ++i) {
        Stream.SetPosition(StartPosition + LoadEndian<std::uint32_t, true>(&Table[4 * std::size_t{i}]));
        bool Complete = true;
        for (std::size_t c = 0; c < P.SamplesPerPixel && Complete; ++c)
            Complete = ReadChannel(Stream, Decoder, Packed, Planes.data() + c * PlaneBytes, PlaneBytes);
        // Rows whose data the file does not hold keep the bitmap's zero fill.
        if (!Complete)
            break;
        ColorManager.TransformRow(Channels, ScanLine(P.RowsBottomUp ? P.Height - 1 - i : i), P.Width);
        ReportRowDone(i);
    }
    ReportStageEnd();
}

} // namespace vidlark
