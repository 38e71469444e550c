#include "imaging/PPMGraphic.h"

#include "imaging/PortableMapHeader.h"
#include "imaging/ReaderChecks.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPPMGraphic::ClassInfo{
    "TPPMGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPPMGraphic>, &TPPMGraphic::CanReadStream};

namespace {

// By samples per pixel: the layout the properties report, and how rows of
// 8-bit levels reach the bitmap (grey and alpha widened to red, green,
// blue and alpha, so the alpha is kept).
struct TDepthLayout {
    TColorLayout Stored, In, Out;
    std::uint8_t Samples;
};
constexpr TDepthLayout DepthLayouts[] = {
    {},
    {schIndexed, schGray, schGray, 1},
    {schGrayAlpha, schRGBA, schBGRA, 4},
    {schRGB, schRGB, schBGR, 3},
    {schRGBA, schRGBA, schBGRA, 4},
};

// What the row loop needs.
struct TRows {
    TStream& Stream;
    TMapTextReader& Text;
    const TPortableMapHeader& Map;
    std::vector<std::uint8_t> Stored; // a row as the binary form stores it
    std::vector<std::uint8_t> Levels; // the 8-bit level of each sample value
    std::vector<std::uint8_t> Scaled; // a row of levels
};

// Each reads one row into Stored, or answers false where the data end.
using TRowReader = bool (*)(TRows& Rows);

bool ReadBinaryRow(TRows& Rows)
{
    Rows.Stream.ReadBuffer(Rows.Stored.data(), Rows.Stored.size());
    return true;
}

// Pixels "0" and "1", which need no whitespace between them.
bool ReadPlainBits(TRows& Rows)
{
    std::fill(Rows.Stored.begin(), Rows.Stored.end(), 0);
    for (std::uint32_t x = 0; x < Rows.Map.Width; ++x) {
        const int C = Rows.Text.SkipWhitespace();
        if (C != '0' && C != '1')
            return false;
        Rows.Stored[x / 8] |= static_cast<std::uint8_t>((C - '0') << (7 - x % 8));
    }
    return true;
}

// Decimal samples; one above the maximum value is taken as the maximum.
bool ReadPlainSamples(TRows& Rows)
{
    const std::size_t Count = std::size_t{Rows.Map.Width} * Rows.Map.Depth;
    const bool Wide = Rows.Map.SampleBytes() == 2;
    for (std::size_t i = 0; i < Count; ++i) {
        std::uint32_t Value = 0;
        if (!Rows.Text.ScanNumber(Value))
            return false;
        Value = std::min(Value, Rows.Map.MaxVal);
        if (Wide) {
            Rows.Stored[2 * i] = static_cast<std::uint8_t>(Value >> 8);
            Rows.Stored[2 * i + 1] = static_cast<std::uint8_t>(Value);
        } else {
            Rows.Stored[i] = static_cast<std::uint8_t>(Value);
        }
    }
    return true;
}

// Each gives the row of Stored as the colour manager takes it.
using TLevelScaler = const std::uint8_t* (*)(TRows& Rows);

const std::uint8_t* StoredAsLevels(TRows& Rows) { return Rows.Stored.data(); }

template <unsigned Bytes, bool GreyAlpha>
const std::uint8_t* ScaleToLevels(TRows& Rows)
{
    const std::size_t Count = std::size_t{Rows.Map.Width} * Rows.Map.Depth;
    const std::uint8_t* In = Rows.Stored.data();
    std::uint8_t* Out = Rows.Scaled.data();
    for (std::size_t i = 0; i < Count; ++i, In += Bytes) {
        const std::uint8_t Level = Rows.Levels[Bytes == 1 ? In[0] : In[0] << 8 | In[1]];
        if (GreyAlpha && i % 2 == 0) {
            *Out++ = Level;
            *Out++ = Level;
        }
        *Out++ = Level;
    }
    return Rows.Scaled.data();
}

TLevelScaler ScalerFor(const TPortableMapHeader& Map)
{
    const bool GreyAlpha = Map.Depth == 2;
    if (Map.Bitmap() || (Map.MaxVal == 255 && !GreyAlpha))
        return StoredAsLevels;
    if (Map.SampleBytes() == 2)
        return GreyAlpha ? ScaleToLevels<2, true> : ScaleToLevels<2, false>;
    return GreyAlpha ? ScaleToLevels<1, true> : ScaleToLevels<1, false>;
}

// The level of each value a sample of the file can hold, rounded; values
// above the maximum, which the format does not allow, show as full.
std::vector<std::uint8_t> LevelTable(const TPortableMapHeader& Map)
{
    std::vector<std::uint8_t> Levels(Map.SampleBytes() == 2 ? 65536 : 256, 255);
    for (std::uint32_t Value = 0; Value <= Map.MaxVal; ++Value)
        Levels[Value] = static_cast<std::uint8_t>((Value * 255 + Map.MaxVal / 2) / Map.MaxVal);
    return Levels;
}

// Fewest bytes the pixel data can take: the binary form's rows; in the
// plain form a character per pixel of a bitmap, else a digit per sample
// and whitespace between them.
std::uint64_t LeastDataBytes(const TPortableMapHeader& Map)
{
    if (!Map.Plain())
        return SaturatingProduct(Map.RowBytes(), Map.Height);
    const std::uint64_t Samples = SaturatingProduct(SaturatingProduct(Map.Width, Map.Height), Map.Depth);
    return Map.Bitmap() ? Samples : SaturatingProduct(Samples, 2) - 1;
}

void DescribePixels(TColorManager& Manager, const TPortableMapHeader& Map)
{
    const TDepthLayout& Layout = DepthLayouts[Map.Depth];
    const std::uint8_t Bits = Map.Bitmap() ? 1 : 8;
    Manager.InFlags = 0;
    Manager.OutFlags = 0;
    Manager.SetInLayout(Layout.In);
    Manager.SetOutLayout(Layout.Out);
    Manager.SetInBitsPerSample(Bits);
    Manager.SetOutBitsPerSample(Bits);
    Manager.SetInSamplesPerPixel(Layout.Samples);
    Manager.SetOutSamplesPerPixel(Layout.Samples);
}

} // namespace

bool TPPMGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= 10)
        return false;
    TStreamPositionKeeper Keep(Stream);
    TMapTextReader Text(Stream);
    return ReadMapHeader(Text).has_value();
}

bool TPPMGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    TStreamPositionKeeper Keep(Stream);
    TMapTextReader Text(Stream);
    const std::optional<TPortableMapHeader> Map = ReadMapHeader(Text);
    if (!Map)
        return false;
    TImageProperties& P = ImageProperties;
    P.Width = Map->Width;
    P.Height = Map->Height;
    P.Layout = DepthLayouts[Map->Depth].Stored;
    P.SamplesPerPixel = static_cast<std::uint8_t>(Map->Depth);
    P.BitsPerSample = static_cast<std::uint8_t>(Map->Bitmap() ? 1 : 8 * Map->SampleBytes());
    P.BitsPerPixel = static_cast<std::uint8_t>(P.SamplesPerPixel * P.BitsPerSample);
    P.AlphaPresent = Map->Depth % 2 == 0;
    P.Compression = cmpNone;
    return true;
}

void TPPMGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    TMapTextReader Text(Stream);
    const std::optional<TPortableMapHeader> Header = ReadMapHeader(Text);
    if (!Header) // the stream changed since BeginLoad read it
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    const TPortableMapHeader& Map = *Header;
    Text.ReturnUnread();
    DescribePixels(ColorManager, Map);
    CheckPictureSize(Stream, Map.Width, Map.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     LeastDataBytes(Map), FormatName);
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(Map.Width), 1};
    ReportStageStart(gesTransfering);
    PrepareBitmap(Map.Width, Map.Height, FormatName);
    if (Map.Depth == 1)
        SetPalette(ColorManager.MakeGrayPalette(Map.Bitmap()));

    TRows Rows{Stream, Text, Map, std::vector<std::uint8_t>(Map.RowBytes()), {}, {}};
    const TRowReader ReadRow = !Map.Plain() ? ReadBinaryRow : Map.Bitmap() ? ReadPlainBits : ReadPlainSamples;
    const TLevelScaler ToLevels = ScalerFor(Map);
    if (ToLevels != StoredAsLevels) {
        Rows.Levels = LevelTable(Map);
        Rows.Scaled.resize(std::size_t{Map.Width} * DepthLayouts[Map.Depth].Samples);
    }
    for (std::uint32_t y = 0; y < Map.Height; ++y) {
        if (!ReadRow(Rows)) {
            // Plain data that end early leave the rows after them blank;
            // a picture without a single row is none.
            if (y == 0)
                RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
            break;
        }
        ColorManager.TransformRow(ToLevels(Rows), ScanLine(y), Map.Width);
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
