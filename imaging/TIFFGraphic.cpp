#include "imaging/TIFFGraphic.h"

#include "imaging/GraphicStrings.h"
#include "imaging/ReaderChecks.h"
#include "imaging/TIFFDirectory.h"
#include "imaging/TIFFPixelPlan.h"
#include "imaging/decoders/CCITTDecoder.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/LZWDecoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"
#include "imaging/decoders/ThunderDecoder.h"

#include <algorithm>
#include <cstring>
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
    case 1: return Samples >= 2 ? schGrayAlpha : schGray;
    case 2: return Samples < 4 ? schRGB : schRGBA;
    case 3: return schIndexed;
    case 5: return schCMYK;
    case 6: return schYCbCr;
    case 8: return schCIELab;
    default: return schUnknown;
    }
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

// The first Kept of the Stored samples of each pixel, for the colour
// manager, which reads no more than its layout has.
void KeepLeadingSamples(const std::uint8_t* Row, std::uint32_t Width, unsigned Stored, unsigned Kept,
                        unsigned SampleBytes, std::uint8_t* Out)
{
    const std::size_t In = std::size_t{Stored} * SampleBytes, Taken = std::size_t{Kept} * SampleBytes;
    for (std::uint32_t x = 0; x < Width; ++x)
        std::memcpy(Out + x * Taken, Row + x * In, Taken);
}

void UndoPredictorOf(const TPixelPlan& Plan, std::uint8_t* Line, std::uint32_t Pixels, bool BigEndian)
{
    if (Plan.Predictor != 2)
        return;
    if (Plan.SampleBytes == 1)
        UndoPredictor({Line, static_cast<std::size_t>(Plan.RowBytes(Pixels))}, Pixels - 1, Plan.SamplesInPlane);
    else
        UndoPredictor16(Line, Pixels, Plan.SamplesInPlane, BigEndian);
}

// Reads the blocks of the image, each into a buffer of the caller's, which
// comes back zero where the file has no data for it.
class TBlockSource {
public:
    TBlockSource(TStream& Stream, std::int64_t Start, const TTIFFDirectory& Directory, const TPixelPlan& Plan,
                 TDecoder* Decoder)
        : Stream(Stream), Start(Start), Plan(Plan), Decoder(Decoder),
          Inflater(dynamic_cast<const TLZ77Decoder*>(Decoder))
    {
        // Every block of every plane needs an offset; counts may be missing
        // for plain data, whose size the rows tell.
        const std::uint16_t OffsetsTag = Plan.Tiled ? tagTileOffsets : tagStripOffsets;
        const std::uint16_t CountsTag = Plan.Tiled ? tagTileByteCounts : tagStripByteCounts;
        Offsets = Directory.Integers(OffsetsTag, Plan.BlockCount());
        Counts = Directory.Integers(CountsTag, Plan.BlockCount());
        if (Offsets.empty())
            RaiseInvalid();
    }

    // Bands of blocks of the first plane the file lists offsets for: the
    // rows after them stay 0, and a file of a few bytes cannot make the
    // load run through millions of empty blocks.
    std::uint32_t BandsGiven() const
    {
        const std::uint64_t Listed = std::min<std::uint64_t>(Offsets.size(), Plan.BlocksPerPlane());
        return static_cast<std::uint32_t>((Listed + Plan.Across - 1) / Plan.Across);
    }

    // Block Index, of Rows rows as stored, into Buffer.
    void Read(std::uint64_t Index, std::uint32_t Rows, Bytes& Buffer)
    {
        Buffer.resize(static_cast<std::size_t>(Plan.StoredBytes(Rows)));
        const std::size_t Filled = Index < Offsets.size() ? Fill(Index, Buffer) : 0;
        std::fill(Buffer.begin() + static_cast<std::ptrdiff_t>(Filled), Buffer.end(), 0);
    }

private:
    // Answers how many leading bytes of Buffer the block has written.
    std::size_t Fill(std::uint64_t Index, Bytes& Buffer)
    {
        Stream.SetPosition(Start + Offsets[Index]);
        // Plain blocks take the bytes their rows need; encoded ones their
        // byte count, or what is left of the file when it has none.
        const std::uint64_t Left = static_cast<std::uint64_t>(Stream.Remaining());
        const std::uint64_t Wanted = !Decoder ? Buffer.size() : Index < Counts.size() ? Counts[Index] : Left;
        const std::size_t Count = static_cast<std::size_t>(std::min(Wanted, Left));
        std::uint8_t* Source = Decoder ? (Packed.resize(Count), Packed.data()) : Buffer.data();
        Stream.ReadBuffer(Source, Count);
        if (Plan.ReverseFill)
            std::transform(Source, Source + Count, Source, ReverseBits);
        if (!Decoder)
            return Count;
        // Deflate writes its output from the start; other decoders may skip
        // what stays 0.
        if (!Inflater)
            std::fill(Buffer.begin(), Buffer.end(), 0);
        std::uint8_t* Target = Buffer.data();
        Decoder->Unpack(Source, Target, static_cast<std::int32_t>(std::min<std::size_t>(Count, INT32_MAX)),
                        static_cast<std::int32_t>(Buffer.size()));
        if (!Inflater)
            return Buffer.size();
        // Damaged deflate data fail the picture rather than show rows of 0.
        if (Inflater->ZLibResult() < 0 && Inflater->ZLibResult() != Z_BUF_ERROR)
            throw EGraphicCompression(gesLZ77Error);
        return Buffer.size() - std::min<std::size_t>(Inflater->AvailableOutput(), Buffer.size());
    }

    TStream& Stream;
    std::int64_t Start;
    const TPixelPlan& Plan;
    TDecoder* Decoder;
    const TLZ77Decoder* Inflater; // the decoder when it inflates
    std::vector<std::uint32_t> Offsets;
    std::vector<std::uint32_t> Counts;
    Bytes Packed; // the block as stored, for a decoder
};

// P holds the width of a block (a strip's or a tile's): decoders of rows
// take it as theirs.
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

// Describes source and target to the colour manager. Premultiplied: the
// colour of an RGBA source is premultiplied by its alpha.
void DescribePixels(TColorManager& Manager, const TImageProperties& P, const TPixelPlan& Plan, bool Premultiplied)
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
    Manager.SetInSamplesPerPixel(static_cast<std::uint8_t>(Plan.Planes * Plan.KeptSamples));
    Manager.SetOutSamplesPerPixel(Out == schGray || Out == schIndexed ? 1 : Out == schBGRA ? 4 : 3);
    Manager.SetInAlphaPremultiplied(Premultiplied);
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

// The header and directory ImageIndex of the TIFF data at the stream's
// position into P; true when the image is one this reader loads.
bool ReadImageProperties(TStream& Stream, std::uint32_t ImageIndex, TImageProperties& P)
{
    const std::int64_t Start = Stream.GetPosition();
    const std::optional<THeader> Header = ReadHeader(Stream);
    if (!Header)
        return false;
    const std::optional<TTIFFDirectory> Directory = TTIFFDirectory::Read(Stream, Start, *Header, ImageIndex);
    if (!Directory)
        return false;
    P.FormatVersion = 42;
    P.FirstDirectoryOffset = Header->FirstDirectory;
    if (Header->BigEndian)
        P.Flags |= imgBigEndian;
    P.Width = Directory->Integer(tagImageWidth, 0);
    P.Height = Directory->Integer(tagImageLength, 0);
    P.RowsPerStrip = Directory->Integers(tagRowsPerStrip, 1 << 20);
    if (P.RowsPerStrip.empty() || P.RowsPerStrip[0] == 0 || P.RowsPerStrip[0] >= P.Height)
        P.RowsPerStrip = {P.Height};
    // More samples than a byte counts are no picture; 0 refuses it.
    const std::uint32_t Samples = Directory->Integer(tagSamplesPerPixel, 1);
    P.SamplesPerPixel = static_cast<std::uint8_t>(Samples <= 255 ? Samples : 0);
    P.BitsPerSample = static_cast<std::uint8_t>(std::min<std::uint32_t>(Directory->Integer(tagBitsPerSample, 1), 255));
    P.TileWidth = Directory->Integer(tagTileWidth, 0);
    P.TileLength = Directory->Integer(tagTileLength, 0);
    if (P.TileWidth != 0 && P.TileLength != 0)
        P.Flags |= imgTiled;
    const std::uint32_t Photometric = Directory->Integer(tagPhotometric, 0);
    const std::vector<std::uint32_t> Extra = Directory->Integers(tagExtraSamples, 255);
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
    return PlanPixels(P).has_value();
}

} // namespace

bool TTIFFGraphic::CanReadStream(TStream& Stream)
{
    TStreamPositionKeeper Keep(Stream);
    if (Stream.Remaining() < 9)
        return false;
    TImageProperties P;
    return ReadImageProperties(Stream, 0, P);
}

bool TTIFFGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    TStreamPositionKeeper Keep(Stream);
    return ReadImageProperties(Stream, ImageIndex, ImageProperties);
}

void TTIFFGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    TImageProperties& P = ImageProperties;
    if (P.Predictor != 1 && P.Predictor != 2)
        RaiseUnsupported(gesPredictorScheme);
    ReportPreparing();
    const std::optional<TTIFFDirectory> Directory =
        TTIFFDirectory::Read(Stream, StartPosition, THeader{bool(P.Flags & imgBigEndian), P.FirstDirectoryOffset}, 0);
    // BeginLoad has read this directory and planned its pixels already.
    const std::optional<TPixelPlan> Planned = PlanPixels(P);
    if (!Directory || !Planned)
        RaiseInvalid();
    const TPixelPlan& Plan = *Planned;
    if (Plan.Predictor == 2 && P.BitsPerSample != 8 && P.BitsPerSample != 16)
        RaiseUnsupported(gesPredictorScheme);

    const bool Premultiplied = P.Layout == schRGBA && Directory->Integer(tagExtraSamples, 0) == 1;
    DescribePixels(ColorManager, P, Plan, Premultiplied);
    CheckPictureSize(Stream, P.Width, P.Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)), 0, FormatName);
    if (P.Compression == cmpJPEG)
        P.JPEGTables = Directory->RawBytes(tagJPEGTables, 1 << 20);
    // Decoders that need the width of their rows take a block's.
    TImageProperties BlockProperties = P;
    BlockProperties.Width = Plan.BlockWidth;
    std::unique_ptr<TDecoder> Decoder = DecoderFor(BlockProperties, *Directory);
    TBlockSource Blocks(Stream, StartPosition, *Directory, Plan, Decoder.get());
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

    // Strips are converted straight from their block; tiles are copied,
    // clipped, into a band of picture rows first.
    const bool BigEndian = P.Flags & imgBigEndian;
    const std::size_t BandStride = static_cast<std::size_t>(Plan.RowBytes(P.Width));
    const std::size_t BlockStride = static_cast<std::size_t>(Plan.RowBytes(Plan.BlockWidth));
    std::vector<Bytes> Stored(Plan.Planes), Bands(Plan.Tiled ? Plan.Planes : 0);
    for (Bytes& Band : Bands)
        Band.resize(BandStride * std::min(Plan.BlockLength, P.Height));
    Bytes Expanded, Kept(Plan.SkipsSamples() ? std::size_t{P.Width} * Plan.KeptSamples * Plan.SampleBytes : 0);
    std::vector<std::uint8_t*> BandRows(Plan.Planes);
    std::vector<const void*> Sources(Plan.Planes);
    std::uint32_t Row = 0;
    for (std::uint32_t Band = 0, BandCount = Blocks.BandsGiven(); Band < BandCount; ++Band) {
        const std::uint32_t Rows = Plan.RowsInBand(Band, P.Height);
        const std::uint32_t StoredRows = Plan.StoredRows(Band, P.Height);
        for (unsigned Plane = 0; Plane < Plan.Planes; ++Plane)
            for (std::uint32_t Column = 0; Column < Plan.Across; ++Column) {
                Blocks.Read(Plane * Plan.BlocksPerPlane() + std::uint64_t{Band} * Plan.Across + Column, StoredRows,
                            Stored[Plane]);
                std::uint8_t* Pixels = Stored[Plane].data();
                if (Plan.Subsampled()) {
                    Expanded.assign(std::size_t{StoredRows} * BlockStride, 0);
                    ExpandDataUnits(Pixels, Plan.BlockWidth, Plan.SubX, Plan.SubY, StoredRows, Expanded.data());
                    Pixels = Expanded.data();
                }
                if (!Plan.Tiled) {
                    BandRows[Plane] = Pixels;
                    continue;
                }
                const std::size_t Clipped = static_cast<std::size_t>(Plan.RowBytes(Plan.ColumnsIn(Column, P.Width)));
                for (std::uint32_t y = 0; y < Rows; ++y) {
                    std::uint8_t* Line = Pixels + y * BlockStride;
                    UndoPredictorOf(Plan, Line, Plan.BlockWidth, BigEndian);
                    std::copy_n(Line, Clipped, Bands[Plane].data() + y * BandStride + Column * BlockStride);
                }
                BandRows[Plane] = Bands[Plane].data();
            }
        for (std::uint32_t y = 0; y < Rows; ++y, ++Row) {
            for (unsigned Plane = 0; Plane < Plan.Planes; ++Plane) {
                std::uint8_t* Line = BandRows[Plane] + y * BandStride;
                if (!Plan.Tiled)
                    UndoPredictorOf(Plan, Line, P.Width, BigEndian);
                Sources[Plane] = Line;
            }
            if (Plan.SkipsSamples()) {
                KeepLeadingSamples(BandRows[0] + y * BandStride, P.Width, Plan.SamplesInPlane, Plan.KeptSamples,
                                   Plan.SampleBytes, Kept.data());
                Sources[0] = Kept.data();
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
