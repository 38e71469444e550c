#include "imaging/PCDGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/ChromaUpsampler.h"
#include "imaging/GraphicStrings.h"
#include "imaging/ReaderChecks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPCDGraphic::ClassInfo{
    "TPCDGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPCDGraphic>, &TPCDGraphic::CanReadStream};

namespace {

constexpr std::size_t SectorBytes = 2048;
constexpr std::size_t HeaderBytes = 3 * SectorBytes;
constexpr std::size_t SignatureOffset = SectorBytes; // "PCD" in an image pac
constexpr std::size_t RotationOffset = 0xE02;
constexpr std::uint32_t BaseIndex = 2;
constexpr std::uint32_t MaxIndex = 5;
constexpr std::int64_t BaseOffset = 96 * SectorBytes;

constexpr std::size_t BaseWidth = 768;
constexpr std::size_t BaseHeight = 512;
constexpr std::size_t ChromaWidth = BaseWidth / 2;
constexpr std::size_t ChromaHeight = BaseHeight / 2;
// A row pair: two luma rows, then one row of each chroma.
constexpr std::size_t RowPairBytes = 2 * BaseWidth + 2 * ChromaWidth;
constexpr std::size_t PlaneBytes = BaseWidth * BaseHeight;

bool IsOverview(std::span<const std::uint8_t> Header)
{
    constexpr std::string_view Signature = "PCD_OPA";
    return Header.size() >= Signature.size() && std::equal(Signature.begin(), Signature.end(), Header.begin());
}

// The one check of a header this reader can load: an image pac.
bool HeaderLoadable(std::span<const std::uint8_t> Header)
{
    constexpr std::string_view Signature = "PCD";
    return Header.size() >= SignatureOffset + Signature.size() && !IsOverview(Header) &&
           std::equal(Signature.begin(), Signature.end(), Header.begin() + SignatureOffset);
}

// Where pixel x of a converted source row lands: row Row0 + RowStep x,
// column Column0 + ColumnStep x.
struct TPlacement {
    std::int64_t Row0, RowStep, Column0, ColumnStep;
};

// Rotation 1 turns the stored picture a quarter to the left (its left column
// becomes the bottom row), 3 a quarter to the right, 2 half round.
TPlacement PlacementOf(std::uint8_t Rotation, std::int64_t y)
{
    constexpr std::int64_t W = BaseWidth;
    constexpr std::int64_t H = BaseHeight;
    switch (Rotation) {
    case 1: return {W - 1, -1, y, 0};
    case 2: return {H - 1 - y, 0, W - 1, -1};
    case 3: return {0, 1, H - 1 - y, 0};
    default: return {y, 0, 0, 1};
    }
}

} // namespace

bool TPCDGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(HeaderBytes))
        return false;
    TByteReader Header(Stream, SignatureOffset + 3, FormatName);
    return HeaderLoadable(Header.Bytes(Header.Size()));
}

bool TPCDGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(HeaderBytes))
        return false;
    TByteReader Reader(Stream, HeaderBytes, FormatName);
    const std::span<const std::uint8_t> Header = Reader.Bytes(HeaderBytes);
    if (!HeaderLoadable(Header))
        return false;
    const std::uint32_t Index = std::min(ImageIndex, MaxIndex);
    TImageProperties& P = ImageProperties;
    P.Rotation = Header[RotationOffset] & 3;
    const bool Turned = P.Rotation == 1 || P.Rotation == 3;
    P.Width = (Turned ? 128u : 192u) << Index;
    P.Height = (Turned ? 192u : 128u) << Index;
    P.Layout = schPhotoYCC;
    P.BitsPerSample = 8;
    P.SamplesPerPixel = 3;
    P.BitsPerPixel = 24;
    P.Compression = Index > BaseIndex ? cmpPCDHuffman : cmpNone;
    P.OverviewImageCount = static_cast<std::uint16_t>(Header[10] << 8 | Header[11]);
    return true;
}

void TPCDGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, BaseIndex, FormatName);
    ReportPreparing();
    const std::uint8_t Rotation = ImageProperties.Rotation;
    Stream.SetPosition(StartPosition + BaseOffset);
    CheckPictureSize(Stream, ImageProperties.Width, ImageProperties.Height, 24, ChromaHeight * RowPairBytes,
                     FormatName);
    ColorManager.SetInLayout(schPhotoYCC);
    ColorManager.SetInBitsPerSample(8);
    ColorManager.SetInSamplesPerPixel(3);
    ColorManager.SetOutLayout(schBGR);
    ColorManager.SetOutBitsPerSample(8);
    ColorManager.SetOutSamplesPerPixel(3);
    ColorManager.InFlags = 0;
    ColorManager.OutFlags = 0;
    ColorManager.SetChromaParameters({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    ReportStageEnd();

    ReportStageStart(gesLoadingData);
    std::vector<std::uint8_t> Luma(PlaneBytes), Chroma1(PlaneBytes), Chroma2(PlaneBytes);
    for (std::size_t k = 0; k < ChromaHeight; ++k) {
        Stream.ReadBuffer(&Luma[2 * k * BaseWidth], 2 * BaseWidth);
        Stream.ReadBuffer(&Chroma1[k * BaseWidth], ChromaWidth);
        Stream.ReadBuffer(&Chroma2[k * BaseWidth], ChromaWidth);
    }
    ReportStageEnd();

    ReportStageStart(gesUpsampling);
    Progress(TProgressStage::psRunning, 80, false, ProgressRect, std::string());
    UpsampleChroma(Chroma1.data(), ChromaWidth, ChromaHeight, BaseWidth);
    Progress(TProgressStage::psRunning, 100, false, ProgressRect, std::string());
    UpsampleChroma(Chroma2.data(), ChromaWidth, ChromaHeight, BaseWidth);
    ReportStageEnd();

    PrepareBitmap(ImageProperties.Width, ImageProperties.Height, FormatName);
    ProgressRect.Right = static_cast<std::int32_t>(ImageProperties.Width);
    ReportStageStart(gesTransfering);
    std::vector<std::uint8_t> Row(3 * BaseWidth);
    for (std::size_t y = 0; y < BaseHeight; ++y) {
        const std::size_t At = y * BaseWidth;
        ColorManager.TransformRow({&Luma[At], &Chroma1[At], &Chroma2[At]}, Row.data(), BaseWidth);
        const TPlacement Place = PlacementOf(Rotation, static_cast<std::int64_t>(y));
        for (std::size_t x = 0; x < BaseWidth; ++x) {
            const auto X = static_cast<std::int64_t>(x);
            std::uint8_t* Pixel = ScanLine(static_cast<std::uint32_t>(Place.Row0 + Place.RowStep * X)) +
                                  3 * (Place.Column0 + Place.ColumnStep * X);
            std::memcpy(Pixel, &Row[3 * x], 3);
        }
        // Progress counts source rows, of which there are always 512.
        const double Percent = std::nearbyint(static_cast<double>(y) * 100.0 / BaseHeight);
        Progress(TProgressStage::psRunning, static_cast<std::uint8_t>(Percent), true, ProgressRect, std::string());
        ++ProgressRect.Top;
        ++ProgressRect.Bottom;
    }
    ReportStageEnd();
}

} // namespace vidlark
