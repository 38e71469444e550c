#include "imaging/TIFFGraphic.h"

#include "imaging/GraphicStrings.h"
#include "imaging/ReaderChecks.h"
#include "imaging/TIFFDirectory.h"
#include "imaging/decoders/CCITTDecoder.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/LZWDecoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"
#include "imaging/decoders/ThunderDecoder.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TTIFFGraphic::ClassInfo{
    "TTIFFGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TTIFFGraphic>, &TTIFFGraphic::CanReadStream};

namespace {

using namespace tiff;
constexpr std::string_view Name = TTIFFGraphic::FormatName;
using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void RaiseUnsupported(const char* What)
{
    RaiseGraphicErrorFmt(gesUnsupportedFeature, {What, Name});
}

[[noreturn]] void RaiseInvalid()
{
    RaiseGraphicErrorFmt(gesInvalidImage, {Name});
}

TPixelCompression CompressionOf(std::uint32_t Value)
{
    switch (Value) {
    case 1: return cmpNone;
    case 2: return cmpFaxMH;
    case 3: return cmpFax3;
    case 4: return cmpFax4;
    case 5: return cmpLZW;
    case 6: return cmpOldJPEG;
    case 7: return cmpJPEG;
    case 8:
    case 32946: return cmpDeflate;
    case 32766: return cmpNeXT;
    case 32771: return cmpFaxMHWord;
    case 32773: return cmpPackbits;
    case 32809: return cmpThunderscan;
    case 32895: return cmpIT8CTPAD;
    case 32896: return cmpIT8LW;
    case 32897: return cmpIT8MP;
    case 32898: return cmpIT8BL;
    case 32908: return cmpPixarFilm;
    case 32909: return cmpPixarLog;
    case 32947: return cmpDCS;
    case 34661: return cmpJBIG;
    default: return cmpUnknown;
    }
}

TColorLayout LayoutOf(std::uint32_t Photometric, std::uint8_t Samples)
{
    switch (Photometric) {
    case 0:
    case 1: return Samples == 2 ? schGrayAlpha : schGray;
    case 2: return Samples < 4 ? schRGB : schRGBA;
    case 3: return schIndexed;
    case 5: return schCMYK;
    case 6: return schYCbCr;
    case 8: return schCIELab;
    default: return schUnknown;
    }
}

// The one check of a directory this reader can load.
bool PropertiesLoadable(const TImageProperties& P)
{
    const unsigned Bits = P.BitsPerSample;
    const bool KnownDepth = Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8 || Bits == 16;
    const bool WholeBytes = Bits == 8 || Bits == 16;
    unsigned Samples = 0;
    switch (P.Layout) {
    case schGray: Samples = 1; break;
    case schGrayAlpha: Samples = 2; break;
    case schIndexed: Samples = 1; break;
    case schRGB:
    case schYCbCr:
    case schCIELab: Samples = 3; break;
    case schRGBA:
    case schCMYK: Samples = 4; break;
    default: return false;
    }
    const bool Colour = P.Layout != schGray && P.Layout != schIndexed;
    return P.Width > 0 && P.Height > 0 && KnownDepth && (!Colour || WholeBytes) && P.SamplesPerPixel == Samples &&
           !(P.Layout == schIndexed && Bits == 16);
}

std::uint8_t ReverseBits(std::uint8_t Byte)
{
    Byte = static_cast<std::uint8_t>((Byte & 0xF0) >> 4 | (Byte & 0x0F) << 4);
    Byte = static_cast<std::uint8_t>((Byte & 0xCC) >> 2 | (Byte & 0x33) << 2);
    return static_cast<std::uint8_t>((Byte & 0xAA) >> 1 | (Byte & 0x55) << 1);
}

// Horizontal differencing undone per sample: each sample adds the one
// Stride samples to its left, modulo its width.
void UndoPredictor16(std::uint8_t* Row, std::uint32_t Width, unsigned Stride, bool BigEndian)
{
    const std::size_t Count = std::size_t{Width} * Stride;
    for (std::size_t i = Stride; i < Count; ++i) {
        std::uint8_t* Here = Row + 2 * i;
        const std::uint8_t* Left = Row + 2 * (i - Stride);
        const unsigned Sum = BigEndian ? ((Here[0] << 8 | Here[1]) + (Left[0] << 8 | Left[1]))
                                       : ((Here[1] << 8 | Here[0]) + (Left[1] << 8 | Left[0]));
        Here[BigEndian ? 0 : 1] = static_cast<std::uint8_t>(Sum >> 8);
        Here[BigEndian ? 1 : 0] = static_cast<std::uint8_t>(Sum);
    }
}

// YCbCr data units (SubX x SubY luma samples, then Cb and Cr) turned into
// rows of full-size Y, Cb, Cr pixels, the chroma of a unit replicated.
void ExpandDataUnits(const std::uint8_t* Units, std::uint32_t Width, unsigned SubX, unsigned SubY,
                     std::size_t Rows, std::uint8_t* Pixels)
{
    const std::size_t UnitsAcross = (std::size_t{Width} + SubX - 1) / SubX;
    const std::size_t UnitBytes = std::size_t{SubX} * SubY + 2;
    for (std::size_t Block = 0; Block * SubY < Rows; ++Block)
        for (std::size_t u = 0; u < UnitsAcross; ++u) {
            const std::uint8_t* Unit = Units + (Block * UnitsAcross + u) * UnitBytes;
            for (unsigned dy = 0; dy < SubY; ++dy)
                for (unsigned dx = 0; dx < SubX; ++dx) {
                    const std::size_t y = Block * SubY + dy, x = u * SubX + dx;
                    if (y >= Rows || x >= Width)
                        continue;
                    std::uint8_t* Pixel = Pixels + (y * Width + x) * 3;
                    Pixel[0] = Unit[dy * SubX + dx];
                    Pixel[1] = Unit[SubX * SubY];
                    Pixel[2] = Unit[SubX * SubY + 1];
                }
        }
}

// Everything the strip loop needs, fixed once per load.
struct TStripPlan {
    std::uint32_t RowsPerStrip = 0;
    std::uint32_t StripsPerPlane = 0;
    unsigned Planes = 1;
    std::size_t RowBytes = 0;   // of one decoded row of one plane
    unsigned SubX = 1, SubY = 1; // YCbCr data units to expand
    bool ReverseFill = false;   // FillOrder 2 for data the decoder reads as bytes
    unsigned Predictor = 1;

    std::uint32_t RowsIn(std::uint32_t Strip, std::uint32_t Height) const
    {
        const std::uint64_t First = std::uint64_t{Strip} * RowsPerStrip;
        return First >= Height ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(RowsPerStrip, Height - First));
    }
    // Bytes of a strip of Rows rows as stored (data units for subsampled YCbCr).
    std::uint64_t StoredBytes(std::uint32_t Rows, std::uint32_t Width) const
    {
        if (SubX == 1 && SubY == 1)
            return std::uint64_t{Rows} * RowBytes;
        const std::uint64_t UnitsAcross = (std::uint64_t{Width} + SubX - 1) / SubX;
        return (std::uint64_t{Rows} + SubY - 1) / SubY * UnitsAcross * (SubX * SubY + 2);
    }
};

std::unique_ptr<TDecoder> DecoderFor(const TImageProperties& P, const TTIFFDirectory& Directory)
{
    const bool Reversed = P.Flags & imgBitsReversed;
    switch (P.Compression) {
    case cmpNone: return nullptr;
    case cmpPackbits: return std::make_unique<TPackbitsRLEDecoder>();
    case cmpFax3:
        return std::make_unique<TCCITTFax3Decoder>(Directory.Integer(tagT4Options, 0), P.Width, false, Reversed);
    case cmpFax4:
        return std::make_unique<TCCITTFax4Decoder>(Directory.Integer(tagT6Options, 0), P.Width, false, Reversed);
    case cmpFaxMH:
    case cmpFaxMHWord:
        return std::make_unique<TCCITTMHDecoder>(0, P.Width, P.Compression == cmpFaxMHWord, Reversed);
    case cmpJPEG:
        if (P.PlanarConfiguration == 2)
            RaiseUnsupported(gesSeparateJpegPlanes);
        return std::make_unique<TTIFFJPEGDecoder>(P, TTIFFGraphic::OnJpegWarning);
    case cmpThunderscan: return std::make_unique<TThunderDecoder>(P.Width);
    // One zlib stream a strip.
    case cmpDeflate: return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true);
    case cmpLZW: return std::make_unique<TTIFFLZWDecoder>();
    default: RaiseUnsupported(gesCompressionScheme);
    }
}

// Describes source and target to the colour manager; answers the bitmap's
// pixel format.
void DescribePixels(TColorManager& Manager, const TImageProperties& P)
{
    const bool Jpeg = P.Compression == cmpJPEG;
    TColorLayout In = Jpeg ? (P.SamplesPerPixel == 1 ? schGray : schBGR) : P.Layout;
    TColorLayout Out = In;
    switch (In) {
    case schRGB:
    case schBGR:
    case schCMYK:
    case schCIELab:
    case schYCbCr: Out = schBGR; break;
    case schRGBA: Out = schBGRA; break;
    case schGrayAlpha: Out = schGray; break;
    default: break;
    }
    Manager.InFlags = (P.Flags & imgBigEndian) ? cfSwapBytes : 0;
    if (In == schCIELab)
        Manager.InFlags |= cfLabScaledL;
    Manager.SetInLayout(In);
    Manager.SetOutLayout(Out);
    Manager.SetInBitsPerSample(P.BitsPerSample);
    // 2-bit samples have no bitmap format of their own: 4 bits hold them.
    Manager.SetOutBitsPerSample(P.BitsPerSample == 16 ? 8 : P.BitsPerSample == 2 ? 4 : P.BitsPerSample);
    Manager.SetInSamplesPerPixel(Jpeg && P.SamplesPerPixel == 3 ? 3 : P.SamplesPerPixel);
    Manager.SetOutSamplesPerPixel(Out == schGray || Out == schIndexed ? 1 : Out == schBGRA ? 4 : 3);
}

TPalette PaletteFor(const TColorManager& Manager, const TImageProperties& P, const TTIFFDirectory& Directory)
{
    if (P.Layout != schIndexed)
        return Manager.MakeGrayPalette(P.Flags & imgMinIsWhite);
    const std::uint32_t Count = Directory.Count(tagColorMap);
    if (Count > 768 || Count % 3 != 0)
        RaiseInvalid();
    const std::vector<std::uint32_t> Map = Directory.Integers(tagColorMap, 768);
    std::vector<std::uint16_t> Planes(Map.begin(), Map.end());
    if (Planes.empty())
        return Manager.MakeGrayPalette(false);
    // The values are in host order already: the manager must not swap them.
    TColorManager Host = Manager;
    Host.InFlags = 0;
    const std::uint32_t Entries = Count / 3;
    return Host.MakeColorPalette({Planes.data(), Planes.data() + Entries, Planes.data() + 2 * Entries}, 6, Entries,
                                 false);
}

} // namespace

bool TTIFFGraphic::CanReadStream(TStream& Stream)
{
    TStreamPositionKeeper Keep(Stream);
    if (Stream.Remaining() < 9)
        return false;
    const std::optional<THeader> Header = ReadHeader(Stream);
    return Header && Header->FirstDirectory < static_cast<std::uint64_t>(Stream.Remaining());
}

bool TTIFFGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    TStreamPositionKeeper Keep(Stream);
    const std::int64_t Start = Stream.GetPosition();
    const std::optional<THeader> Header = ReadHeader(Stream);
    if (!Header)
        return false;
    const std::optional<TTIFFDirectory> Directory = TTIFFDirectory::Read(Stream, Start, *Header, ImageIndex);
    if (!Directory)
        return false;
    TImageProperties& P = ImageProperties;
    P.FormatVersion = 42;
    P.FirstDirectoryOffset = Header->FirstDirectory;
    if (Header->BigEndian)
        P.Flags |= imgBigEndian;
    P.Width = Directory->Integer(tagImageWidth, 0);
    P.Height = Directory->Integer(tagImageLength, 0);
    P.RowsPerStrip = Directory->Integers(tagRowsPerStrip, 1 << 20);
    if (P.RowsPerStrip.empty() || P.RowsPerStrip[0] == 0 || P.RowsPerStrip[0] >= P.Height)
        P.RowsPerStrip = {P.Height};
    P.SamplesPerPixel = static_cast<std::uint8_t>(std::min<std::uint32_t>(Directory->Integer(tagSamplesPerPixel, 1), 255));
    P.BitsPerSample = static_cast<std::uint8_t>(std::min<std::uint32_t>(Directory->Integer(tagBitsPerSample, 1), 255));
    P.TileWidth = Directory->Integer(tagTileWidth, 0);
    P.TileLength = Directory->Integer(tagTileLength, 0);
    if (P.TileWidth != 0 && P.TileLength != 0)
        P.Flags |= imgTiled;
    const std::uint32_t Photometric = Directory->Integer(tagPhotometric, 0);
    const std::vector<std::uint32_t> Extra = Directory->Integers(tagExtraSamples, 4);
    P.AlphaPresent = !Extra.empty() && std::none_of(Extra.begin(), Extra.end(), [](std::uint32_t v) { return v > 2; });
    P.BitsPerPixel = static_cast<std::uint8_t>(std::min(P.BitsPerSample * P.SamplesPerPixel, 255));
    P.Compression = CompressionOf(Directory->Integer(tagCompression, 1));
    P.Layout = LayoutOf(Photometric, P.SamplesPerPixel);
    if (Photometric == 0)
        P.Flags |= imgMinIsWhite;
    if (P.Layout == schYCbCr) {
        const std::vector<std::uint32_t> Sampling = Directory->Integers(tagYCbCrSubSampling, 2);
        P.YCbCrSubSampling = Sampling.size() == 2 ? TByteArray{static_cast<std::uint8_t>(Sampling[0]),
                                                              static_cast<std::uint8_t>(Sampling[1])}
                                                  : TByteArray{2, 2};
    }
    P.PlanarConfiguration = Directory->Integer(tagPlanarConfiguration, 1);
    const float Scale = Directory->Integer(tagResolutionUnit, 2) == 3 ? 2.54f : 1.0f;
    P.XResolution = Directory->Float(tagXResolution, 0) * Scale;
    P.YResolution = Directory->Float(tagYResolution, 0) * Scale;
    P.Predictor = Directory->Integer(tagPredictor, 1);
    if (Directory->Integer(tagFillOrder, 1) == 2)
        P.Flags |= imgBitsReversed;
    P.RowStride = static_cast<std::uint32_t>(
        std::min<std::uint64_t>((std::uint64_t{P.BitsPerPixel} * P.Width + 7) / 8, UINT32_MAX));
    return PropertiesLoadable(P);
}

void TTIFFGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    TImageProperties& P = ImageProperties;
    if (P.Flags & imgTiled)
        RaiseUnsupported(gesTiledImages);
    if (P.Predictor != 1 && P.Predictor != 2)
        RaiseUnsupported(gesPredictorScheme);
    ReportPreparing();
    const std::optional<TTIFFDirectory> Directory =
        TTIFFDirectory::Read(Stream, StartPosition, THeader{bool(P.Flags & imgBigEndian), P.FirstDirectoryOffset}, 0);
    if (!Directory)
        RaiseInvalid();

    TStripPlan Plan;
    const bool Separate = P.PlanarConfiguration == 2 && P.SamplesPerPixel > 1;
    Plan.Planes = Separate ? P.SamplesPerPixel : 1;
    Plan.RowsPerStrip = P.RowsPerStrip[0];
    Plan.StripsPerPlane = static_cast<std::uint32_t>((std::uint64_t{P.Height} + Plan.RowsPerStrip - 1) / Plan.RowsPerStrip);
    Plan.RowBytes = static_cast<std::size_t>((std::uint64_t{P.BitsPerSample} * (Separate ? 1 : P.SamplesPerPixel) * P.Width + 7) / 8);
    if (P.Layout == schYCbCr && P.Compression != cmpJPEG && !Separate) {
        Plan.SubX = P.YCbCrSubSampling[0];
        Plan.SubY = P.YCbCrSubSampling[1];
        if ((Plan.SubX != 1 && Plan.SubX != 2 && Plan.SubX != 4) || (Plan.SubY != 1 && Plan.SubY != 2 && Plan.SubY != 4) ||
            P.BitsPerSample != 8)
            RaiseInvalid();
    }
    Plan.ReverseFill = (P.Flags & imgBitsReversed) &&
                       (P.Compression == cmpNone || P.Compression == cmpPackbits || P.Compression == cmpLZW);
    Plan.Predictor = P.Compression == cmpNone ? 1 : P.Predictor;
    if (Plan.Predictor == 2 && P.BitsPerSample != 8 && P.BitsPerSample != 16)
        RaiseUnsupported(gesPredictorScheme);

    // Every strip of every plane needs an offset; counts may be missing
    // for plain data, whose size the rows tell.
    const std::uint64_t Strips = std::uint64_t{Plan.StripsPerPlane} * Plan.Planes;
    const std::vector<std::uint32_t> Offsets = Directory->Integers(tagStripOffsets, Strips);
    const std::vector<std::uint32_t> Counts = Directory->Integers(tagStripByteCounts, Strips);
    if (Offsets.empty())
        RaiseInvalid();

    DescribePixels(ColorManager, P);
    CheckPictureSize(Stream, P.Width, P.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)), 0, FormatName);
    std::unique_ptr<TDecoder> Decoder = DecoderFor(P, *Directory);
    if (P.Compression == cmpJPEG) {
        P.JPEGTables = Directory->RawBytes(tagJPEGTables, 1 << 20);
        Plan.RowBytes = static_cast<TTIFFJPEGDecoder&>(*Decoder).RowBytes();
    }
    PrepareBitmap(P.Width, P.Height, FormatName);
    if (ColorManager.OutLayout() == schGray || ColorManager.OutLayout() == schIndexed)
        SetPalette(PaletteFor(ColorManager, P, *Directory));
    // L*a*b* is relative to the white the file names (ImageMagick writes
    // D65), else to D50.
    if (P.Layout == schCIELab)
        ColorManager.SetLabWhitePoint(Directory->Floats(tagWhitePoint, 2));
    if (P.Layout == schYCbCr) {
        const std::vector<float> Luma = Directory->Floats(tagYCbCrCoefficients, 3);
        ColorManager.SetChromaParameters(Luma.size() == 3 ? std::span<const float>(Luma)
                                                          : std::span<const float>(),
                                         1, 1);
    }
    if (Decoder)
        Decoder->StartUnpack();
    ReportStageEnd();
    ReportStageStart(gesTransfering);

    std::vector<Bytes> Planes(Plan.Planes);
    Bytes Expanded;
    std::vector<const void*> Sources(Plan.Planes);
    std::uint32_t Row = 0;
    // Rows after the last strip the file has stay 0; a file of a few bytes
    // cannot make the loop run through millions of empty strips.
    const std::uint32_t StripsGiven = static_cast<std::uint32_t>(std::min<std::size_t>(Offsets.size(), Plan.StripsPerPlane));
    for (std::uint32_t Strip = 0; Strip < StripsGiven && Row < P.Height; ++Strip) {
        const std::uint32_t Rows = Plan.RowsIn(Strip, P.Height);
        const std::uint64_t Size = Plan.StoredBytes(Rows, P.Width);
        for (unsigned Plane = 0; Plane < Plan.Planes; ++Plane) {
            Bytes& Buffer = Planes[Plane];
            Buffer.assign(static_cast<std::size_t>(Size), 0);
            const std::size_t Index = std::size_t{Plane} * Plan.StripsPerPlane + Strip;
            if (Index >= Offsets.size())
                continue;
            Stream.SetPosition(StartPosition + Offsets[Index]);
            // Plain strips take the bytes their rows need; encoded ones their
            // byte count, or what is left of the file when it has none.
            const std::uint64_t Left = static_cast<std::uint64_t>(Stream.Remaining());
            const std::uint64_t Wanted = !Decoder ? Size : Index < Counts.size() ? Counts[Index] : Left;
            Bytes Packed = ReadFileBlock(Stream, std::min(Wanted, Left), FormatName);
            if (Plan.ReverseFill)
                std::transform(Packed.begin(), Packed.end(), Packed.begin(), ReverseBits);
            if (!Decoder) {
                std::copy(Packed.begin(), Packed.end(), Buffer.begin());
                continue;
            }
            std::uint8_t* Source = Packed.data();
            std::uint8_t* Target = Buffer.data();
            Decoder->Unpack(Source, Target, static_cast<std::int32_t>(std::min<std::uint64_t>(Packed.size(), INT32_MAX)),
                            static_cast<std::int32_t>(Buffer.size()));
            // Damaged deflate data fail the picture rather than show rows of 0.
            if (const auto* Inflater = dynamic_cast<const TLZ77Decoder*>(Decoder.get());
                Inflater && Inflater->ZLibResult() < 0 && Inflater->ZLibResult() != Z_BUF_ERROR)
                throw EGraphicCompression(gesLZ77Error);
        }
        const std::uint8_t* Rows0 = Planes[0].data();
        if (Plan.SubX != 1 || Plan.SubY != 1) {
            Expanded.assign(std::size_t{Rows} * P.Width * 3, 0);
            ExpandDataUnits(Planes[0].data(), P.Width, Plan.SubX, Plan.SubY, Rows, Expanded.data());
            Rows0 = Expanded.data();
        }
        const std::size_t Stride = Plan.SubX != 1 || Plan.SubY != 1 ? std::size_t{P.Width} * 3 : Plan.RowBytes;
        for (std::uint32_t y = 0; y < Rows && Row < P.Height; ++y, ++Row) {
            for (unsigned Plane = 0; Plane < Plan.Planes; ++Plane) {
                std::uint8_t* Line = (Plane == 0 ? const_cast<std::uint8_t*>(Rows0) : Planes[Plane].data()) + y * Stride;
                const unsigned SampleStride = Separate ? 1 : P.SamplesPerPixel;
                if (Plan.Predictor == 2 && P.BitsPerSample == 8)
                    UndoPredictor({Line, Stride}, P.Width - 1, SampleStride);
                else if (Plan.Predictor == 2)
                    UndoPredictor16(Line, P.Width, SampleStride, P.Flags & imgBigEndian);
                Sources[Plane] = Line;
            }
            ColorManager.TransformRow(std::span<const void* const>(Sources), ScanLine(Row), P.Width);
            ReportRowDone(Row);
        }
    }
    if (Decoder)
        Decoder->FinishUnpack();
    ReportStageEnd();
}

} // namespace vidlark
