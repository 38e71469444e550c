#include "imaging/PCXGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/PCXHeader.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/PCXRLEDecoder.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPCXGraphic::ClassInfo{
    "TPCXGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPCXGraphic>, &TPCXGraphic::CanReadStream};

namespace {

// The 256-colour palette block at the very end: the byte 12, then 256
// entries of red, green, blue.
constexpr std::size_t PaletteBlockBytes = 769;
constexpr std::uint8_t PaletteBlockMarker = 12;
// A run covers at most 63 bytes and takes two.
constexpr std::uint64_t MaxRunBytes = 63;

// What version 3 files, which carry no palette, are shown with.
constexpr std::uint8_t StandardColors[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

TPCXHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TPCXHeader), TPCXGraphic::FormatName).Struct<TPCXHeader>();
}

bool FourPlanesOfOneBit(const TPCXHeader& Header) { return Header.Planes == 4 && Header.BitsPerPixel == 1; }

void DescribePixels(TColorManager& Manager, const TImageProperties& P)
{
    Manager.InFlags = 0;
    Manager.SetInLayout(P.Layout);
    Manager.SetInBitsPerSample(P.BitsPerSample);
    Manager.SetInSamplesPerPixel(P.SamplesPerPixel);
    Manager.SetOutLayout(P.Layout == schIndexed ? schIndexed : P.Layout == schRGBA ? schBGRA : schBGR);
    // 2-bit indices go into a 4-bit bitmap.
    Manager.SetOutBitsPerSample(P.BitsPerPixel == 2 ? 4 : P.BitsPerSample);
    Manager.SetOutSamplesPerPixel(P.SamplesPerPixel);
}

// One picture row of all its planes into a bitmap row; chosen once per load.
struct TPlaneRows {
    TColorManager& Manager;
    std::size_t PlaneBytes;
    std::uint32_t Width;
};
using TRowWriter = void (*)(const TPlaneRows& Job, const std::uint8_t* Row, std::uint8_t* Target);

void WriteOnePlane(const TPlaneRows& Job, const std::uint8_t* Row, std::uint8_t* Target)
{
    Job.Manager.TransformRow(Row, Target, Job.Width);
}

void WriteColourPlanes(const TPlaneRows& Job, const std::uint8_t* Row, std::uint8_t* Target)
{
    const std::size_t Step = Job.PlaneBytes;
    if (Job.Manager.InLayout() == schRGBA)
        Job.Manager.TransformRow({Row, Row + Step, Row + 2 * Step, Row + 3 * Step}, Target, Job.Width);
    else
        Job.Manager.TransformRow({Row, Row + Step, Row + 2 * Step}, Target, Job.Width);
}

// Four planes of one bit make a 4-bit index, plane 0 its lowest bit; two
// pixels to a bitmap byte, the left one high.
void WriteBitPlanes(const TPlaneRows& Job, const std::uint8_t* Row, std::uint8_t* Target)
{
    const std::size_t Step = Job.PlaneBytes;
    const auto Index = [&](std::uint32_t x) {
        const std::size_t Byte = x / 8;
        const unsigned Shift = 7 - x % 8;
        unsigned Value = 0;
        for (unsigned Plane = 0; Plane < 4; ++Plane)
            Value |= ((Row[Plane * Step + Byte] >> Shift) & 1u) << Plane;
        return Value;
    };
    for (std::uint32_t x = 0; x < Job.Width; x += 2) {
        const unsigned Right = x + 1 < Job.Width ? Index(x + 1) : 0;
        Target[x / 2] = static_cast<std::uint8_t>(Index(x) << 4 | Right);
    }
}

// The palette block when the file ends with one.
std::optional<std::vector<std::uint8_t>> ReadPaletteBlock(TStream& Stream, std::uint64_t Rest)
{
    if (Rest < PaletteBlockBytes)
        return std::nullopt;
    TStreamPositionKeeper Keep(Stream);
    Stream.Seek(-static_cast<std::int64_t>(PaletteBlockBytes), TSeekOrigin::soEnd);
    std::vector<std::uint8_t> Block = ReadFileBlock(Stream, PaletteBlockBytes, TPCXGraphic::FormatName);
    if (Block[0] != PaletteBlockMarker)
        return std::nullopt;
    return Block;
}

std::optional<TPalette> MakePalette(const TPCXHeader& Header, TPixelFormat Format, const TColorManager& Manager,
                                    const std::optional<std::vector<std::uint8_t>>& Block)
{
    const bool Grey = Header.PaletteInfo == pcx::GreyPalette;
    if (Format == pf24bit || Format == pf32bit)
        return std::nullopt;
    if (Header.Version == 3 && Format != pf1bit) {
        TPalette Standard;
        for (const auto& C : StandardColors)
            Standard.push_back(TPaletteEntry{C[0], C[1], C[2], 0});
        return Standard;
    }
    if (Format == pf1bit)
        return Manager.MakeGrayPalette(false);
    if (Format == pf4bit)
        return Grey ? Manager.MakeGrayPalette(false) : Manager.MakeColorPalette({Header.ColorMap}, 0, 16, false);
    if (Block)
        return Manager.MakeColorPalette({Block->data() + 1}, 0, 256, false);
    if (Grey)
        return Manager.MakeGrayPalette(false);
    return std::nullopt;
}

// The rows of the picture one after another, Planes x BytesPerLine bytes
// each: plain rows as stored; run-length rows decoded one at a time, runs
// going on from row to row; rows the data do not reach are 0.
class TRowSource {
public:
    TRowSource(TStream& Stream, const TImageProperties& P, std::size_t RowSize, std::uint64_t PictureBytes,
               std::uint64_t DataSize)
        : Packed(P.Compression == cmpRLE), RowSize(RowSize)
    {
        // Two bytes to a pixel byte is the longest a sound encoder writes.
        Data = ReadFileBlock(Stream, Packed ? std::min(DataSize, 2 * PictureBytes) : PictureBytes,
                             TPCXGraphic::FormatName);
        if (Packed)
            Row.resize(RowSize);
    }

    const std::uint8_t* Next()
    {
        if (!Packed) {
            const std::uint8_t* Plain = Data.data() + Taken;
            Taken += RowSize;
            return Plain;
        }
        const auto Part = Decoder.UnpackPart(Data.data() + Taken, static_cast<std::int32_t>(Data.size() - Taken),
                                             Row.data(), static_cast<std::int32_t>(RowSize), Pending);
        Taken += Part.Taken;
        std::fill(Row.begin() + static_cast<std::ptrdiff_t>(Part.Written), Row.end(), 0);
        return Row.data();
    }

private:
    bool Packed;
    std::size_t RowSize;
    std::vector<std::uint8_t> Data;
    std::size_t Taken = 0;
    std::vector<std::uint8_t> Row;
    TPCXRLEDecoder Decoder;
    TPCXPendingRun Pending;
};

} // namespace

bool TPCXGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TPCXHeader)))
        return false;
    const TPCXHeader Header = PeekHeader(Stream);
    const bool KnownVersion = Header.Version == 0 || Header.Version == 2 || Header.Version == 3 || Header.Version == 5;
    return Header.Manufacturer == pcx::Paintbrush && KnownVersion && Header.Encoding <= 1 &&
           pcx::HeaderLoadable(Header) && pcx::ColorFormatSupported(Header);
}

bool TPCXGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TPCXHeader)))
        return false;
    const TPCXHeader Header = PeekHeader(Stream);
    if (!pcx::HeaderLoadable(Header))
        return false;
    TImageProperties& P = ImageProperties;
    P.Width = pcx::Width(Header);
    P.Height = pcx::Height(Header);
    P.SamplesPerPixel = Header.Planes;
    P.BitsPerSample = Header.BitsPerPixel;
    const unsigned Bits = unsigned{Header.Planes} * Header.BitsPerPixel;
    P.BitsPerPixel = static_cast<std::uint8_t>(Bits);
    P.AlphaPresent = Header.Planes == 4 && Header.BitsPerPixel == 8;
    P.Layout = P.AlphaPresent ? schRGBA : Bits <= 8 ? schIndexed : schRGB;
    P.Compression = Header.Encoding == 1 ? cmpRLE : cmpNone;
    P.XResolution = Header.XResolution;
    P.YResolution = Header.YResolution;
    return true;
}

void TPCXGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    const TPCXHeader Header = PeekHeader(Stream);
    Stream.Seek(sizeof Header, TSeekOrigin::soCurrent);
    const TImageProperties& P = ImageProperties;
    DescribePixels(ColorManager, P);
    if (!pcx::ColorFormatSupported(Header))
        RaiseGraphicErrorFmt(gesInvalidColorFormat, {FormatName});
    const TPixelFormat Format = FourPlanesOfOneBit(Header) ? pf4bit : ColorManager.PixelFormatFor(true);

    const std::uint64_t Rest = static_cast<std::uint64_t>(Stream.Remaining());
    std::optional<std::vector<std::uint8_t>> Block;
    if (Format == pf8bit)
        Block = ReadPaletteBlock(Stream, Rest);
    const std::uint64_t DataSize = Block ? Rest - PaletteBlockBytes : Rest;
    const std::uint64_t RowSize = std::uint64_t{Header.Planes} * Header.BytesPerLine;
    const std::uint64_t PictureBytes = SaturatingProduct(RowSize, P.Height);
    const std::uint64_t LeastBytes =
        P.Compression == cmpRLE ? (PictureBytes + MaxRunBytes - 1) / MaxRunBytes * 2 : PictureBytes;
    CheckImageSize(P.Width, P.Height, BitsPerPixelOf(Format), FormatName);
    if (PictureBytes > MaxBitmapBytes || LeastBytes > DataSize)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});

    const std::optional<TPalette> Palette = MakePalette(Header, Format, ColorManager, Block);
    TRowSource Rows(Stream, P, RowSize, PictureBytes, DataSize);
    SetPixelFormat(Format);
    SetSize(P.Width, P.Height);
    if (Palette)
        SetPalette(*Palette);
    ReportStageEnd();
    ReportStageStart(gesTransfering);

    TRowWriter WriteRow = WriteOnePlane;
    if (FourPlanesOfOneBit(Header))
        WriteRow = WriteBitPlanes;
    else if (Header.Planes > 1)
        WriteRow = WriteColourPlanes;
    const TPlaneRows Job{ColorManager, Header.BytesPerLine, P.Width};
    for (std::uint32_t y = 0; y < P.Height; ++y) {
        WriteRow(Job, Rows.Next(), ScanLine(y));
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
