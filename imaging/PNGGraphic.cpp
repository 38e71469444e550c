#include "imaging/PNGGraphic.h"

#include "imaging/ByteReader.h"
#include "imaging/PNGChunkReader.h"
#include "imaging/PNGFilters.h"
#include "imaging/ReaderChecks.h"
#include "imaging/decoders/LZ77Decoder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TPNGGraphic::ClassInfo{
    "TPNGGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TPNGGraphic>, &TPNGGraphic::CanReadStream};

// What the chunks before the image data say about it.
struct TPNGAncillary {
    std::vector<std::uint8_t> Palette; // PLTE data of a palette image
    bool HavePalette = false;
    TColor BackColor = 0xFFFFFF;           // fill where image data are missing
    std::optional<std::uint8_t> BackIndex; // a palette image's background entry
    std::optional<TColor> ClearColor;      // the transparent colour
};

namespace {

constexpr std::string_view Format = TPNGGraphic::FormatName;

constexpr TColor White = 0xFFFFFF;
// Deflate codes 258 bytes in at most 2 bits at best, so image data can
// never be more than 1032 times as large as their compressed form.
constexpr std::uint64_t MaxDeflateRatio = 1032;
// Rows are inflated in batches of about this many bytes (at least one row).
constexpr std::size_t BatchBytes = 256 * 1024;
// A batch of one row and the row above it stay within the bitmap's cap together.
constexpr std::uint64_t MaxRowBytes = MaxBitmapBytes / 4;

// Where an interlace pass finds its pixels, and which pixels of each group
// of eight in a bitmap row it supplies (bit 7 for the first).
struct TPass {
    std::uint32_t FirstRow, RowStep, FirstColumn, ColumnStep;
    std::uint8_t Mask;
};
constexpr TPass WholeImage[] = {{0, 1, 0, 1, 0xFF}};
constexpr TPass Adam7[] = {
    {0, 8, 0, 8, 0x80}, {0, 8, 4, 8, 0x08}, {4, 8, 0, 4, 0x88}, {0, 4, 2, 4, 0x22},
    {2, 4, 0, 2, 0xAA}, {0, 2, 1, 2, 0x55}, {1, 2, 0, 1, 0xFF},
};

std::optional<TPNGFileStart> PeekFileStart(TStream& Stream)
{
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TPNGFileStart)))
        return std::nullopt;
    const auto Start = TByteReader(Stream, sizeof(TPNGFileStart), Format).Struct<TPNGFileStart>();
    if (!png::HeaderLoadable(Start))
        return std::nullopt;
    return Start;
}

// Reads the IHDR chunk, which the chunk reader has just opened.
TPNGImageHeader ReadImageHeader(TPNGChunkReader& Chunks)
{
    return TByteReader(Chunks.ReadBody(), Format).Struct<TPNGImageHeader>();
}

// The first gAMA chunk's gamma; 1.0 without one. A chunk too short to hold
// the value is passed over.
float FileGamma(TPNGChunkReader& Chunks)
{
    while (Chunks.ReadHead() && Chunks.Fits()) {
        if (Chunks.Is(png::gAMA)) {
            const std::vector<std::uint8_t>& Data = Chunks.ReadBody();
            if (Data.size() >= 4)
                return static_cast<float>(LoadEndian<std::uint32_t, true>(Data.data()) / 100000.0);
            continue;
        }
        Chunks.Skip();
        if (Chunks.Is(png::IEND))
            break;
    }
    return 1.0f;
}

// Samples stored for each pixel.
unsigned ChannelsOf(std::uint8_t ColorType)
{
    switch (ColorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

std::uint64_t RowBytesOf(std::uint32_t Width, const TPNGImageHeader& Header)
{
    return (std::uint64_t{Width} * Header.BitDepth * ChannelsOf(Header.ColorType) + 7) / 8;
}

// A grey or colour value of a bKGD or tRNS chunk on the 0..255 scale.
std::uint8_t Level(std::uint16_t Value, std::uint8_t Depth)
{
    if (Depth == 16)
        return static_cast<std::uint8_t>(std::uint32_t{Value} * 255u / 65535u);
    if (Depth >= 8)
        return static_cast<std::uint8_t>(Value);
    return WidenLevel(Value, Depth);
}

// The grey or RGB colour of a bKGD or tRNS chunk; none when the chunk is
// too short or the colour type has no such colour.
std::optional<TColor> ChunkColor(const std::vector<std::uint8_t>& Data, const TPNGImageHeader& Header)
{
    const auto Value = [&](std::size_t i) { return Level(LoadEndian<std::uint16_t, true>(&Data[2 * i]), Header.BitDepth); };
    switch (Header.ColorType) {
    case 0:
    case 4:
        if (Data.size() < 2)
            return std::nullopt;
        return RGBColor(Value(0), Value(0), Value(0));
    case 2:
    case 6:
        if (Data.size() < 6)
            return std::nullopt;
        return RGBColor(Value(0), Value(1), Value(2));
    default:
        return std::nullopt;
    }
}

// Takes the chunks that describe the image; false for any other chunk.
bool TakeDescription(TPNGChunkReader& Chunks, const TPNGImageHeader& Header, TPNGAncillary& Ancillary,
                     TColorManager& Manager, TImageProperties& Properties)
{
    if (Chunks.Is(png::PLTE)) {
        if (Chunks.Length() % 3 != 0)
            RaiseGraphicErrorFmt(gesInvalidPalette, {Format});
        const std::vector<std::uint8_t>& Data = Chunks.ReadBody();
        if (Header.ColorType == 3) {
            Ancillary.Palette.assign(Data.begin(), Data.begin() + std::min<std::size_t>(Data.size(), 3 * MaxPaletteEntries));
            Ancillary.HavePalette = true;
        }
    } else if (Chunks.Is(png::gAMA)) {
        const std::vector<std::uint8_t>& Data = Chunks.ReadBody();
        if (Data.size() >= 4) {
            Manager.SetGammas(static_cast<float>(LoadEndian<std::uint32_t, true>(Data.data()) / 100000.0), 2.2f);
            Manager.OutFlags |= cfGamma;
            Properties.Flags |= imgFileGamma;
        }
    } else if (Chunks.Is(png::bKGD)) {
        const std::vector<std::uint8_t>& Data = Chunks.ReadBody();
        if (Header.ColorType == 3 && !Data.empty())
            Ancillary.BackIndex = Data[0];
        else if (const auto Color = ChunkColor(Data, Header))
            Ancillary.BackColor = *Color;
    } else if (Chunks.Is(png::tRNS)) {
        // Alpha of palette entries and of images that carry alpha is not shown.
        const std::vector<std::uint8_t>& Data = Chunks.ReadBody();
        if (Header.ColorType == 0 || Header.ColorType == 2)
            Ancillary.ClearColor = ChunkColor(Data, Header);
    } else {
        return false;
    }
    return true;
}

// Describes the stored rows and the bitmap's pixels to the colour manager
// and answers the bytes of a whole pixel for the row filters.
unsigned PrepareConversion(TColorManager& Manager, std::uint8_t ColorType, std::uint8_t Depth)
{
    struct TConversion {
        TColorLayout In, Out;
        std::uint8_t InSamples, OutSamples, OutBits;
    };
    const bool Byte = Depth == 8 || Depth == 16;
    const bool Packed = Depth == 1 || Depth == 2 || Depth == 4;
    std::optional<TConversion> C;
    switch (ColorType) {
    case 0:
        if (Byte || Packed)
            C = TConversion{schGray, schGray, 1, 1, static_cast<std::uint8_t>(Depth == 2 ? 4 : Depth == 16 ? 8 : Depth)};
        break;
    case 2:
        if (Byte)
            C = TConversion{schRGB, schBGR, 3, 3, 8};
        break;
    case 3:
        if (Packed || Depth == 8)
            C = TConversion{schIndexed, schIndexed, 1, 1, static_cast<std::uint8_t>(Depth == 2 ? 4 : Depth)};
        break;
    case 4:
        if (Byte)
            C = TConversion{schGrayAlpha, schGray, 1, 1, 8};
        break;
    case 6:
        if (Byte)
            C = TConversion{schRGBA, schBGRA, 4, 4, 8};
        break;
    default:
        break;
    }
    if (!C)
        RaiseGraphicErrorFmt(gesInvalidColorFormat, {Format});
    Manager.SetInLayout(C->In);
    Manager.SetOutLayout(C->Out);
    Manager.SetInBitsPerSample(Depth);
    Manager.SetOutBitsPerSample(C->OutBits);
    Manager.SetInSamplesPerPixel(C->InSamples);
    Manager.SetOutSamplesPerPixel(C->OutSamples);
    return std::max(1u, Depth * ChannelsOf(ColorType) / 8u);
}

// The entry of the palette nearest to Color.
std::uint8_t NearestEntry(const TBitmap& Bitmap, TColor Color)
{
    const auto Channel = [](TColor c, unsigned Shift) { return static_cast<int>((c >> Shift) & 0xFF); };
    unsigned Best = 0;
    int BestDistance = std::numeric_limits<int>::max();
    for (unsigned i = 0; i < std::max(1u, Bitmap.PaletteCount()); ++i) {
        const TPaletteEntry& E = Bitmap.PaletteEntries()[i];
        const int r = E.Red - Channel(Color, 0), g = E.Green - Channel(Color, 8), b = E.Blue - Channel(Color, 16);
        const int Distance = r * r + g * g + b * b;
        if (Distance < BestDistance) {
            Best = i;
            BestDistance = Distance;
        }
    }
    return static_cast<std::uint8_t>(Best);
}

// Paints rows [First, Last) of the bitmap in Color; indexed bitmaps take
// the palette entry nearest to it.
void FillRows(TBitmap& Bitmap, TColor Color, std::uint32_t First, std::uint32_t Last)
{
    if (First >= Last)
        return;
    std::vector<std::uint8_t> Row(Bitmap.RowBytes());
    const auto Red = static_cast<std::uint8_t>(Color), Green = static_cast<std::uint8_t>(Color >> 8),
               Blue = static_cast<std::uint8_t>(Color >> 16);
    switch (Bitmap.GetPixelFormat()) {
    case pf24bit:
    case pf32bit: {
        const std::size_t Bytes = Bitmap.GetPixelFormat() == pf24bit ? 3 : 4;
        for (std::size_t i = 0; i + Bytes <= Row.size(); i += Bytes) {
            Row[i] = Blue;
            Row[i + 1] = Green;
            Row[i + 2] = Red;
        }
        break;
    }
    default: {
        const std::uint8_t Index = NearestEntry(Bitmap, Color);
        const unsigned Bits = Bitmap.BitsPerPixel();
        std::uint8_t Byte = 0;
        for (unsigned Shift = 0; Shift < 8; Shift += Bits)
            Byte = static_cast<std::uint8_t>(Byte | (Index << Shift));
        std::fill(Row.begin(), Row.end(), Byte);
        break;
    }
    }
    for (std::uint32_t y = First; y < Last; ++y)
        std::copy(Row.begin(), Row.end(), Bitmap.ScanLine(y));
}

// The image data: consecutive IDAT chunks holding one zlib stream, which
// begin at the current chunk. Several chunks are gathered before each call
// of the decoder, and rows are asked for in batches: zlib copies what each
// call produces into its window, so few large calls are much cheaper than a
// call for every chunk or row.
class TImageData {
public:
    explicit TImageData(TPNGChunkReader& Reader) : Chunks(Reader), Inflater(Z_PARTIAL_FLUSH, false)
    {
        Inflater.StartUnpack();
        // Every chunk's CRC already covers the data.
        Inflater.SkipChecksum();
    }

    // Fills up to Count bytes and answers how many; fewer only when the
    // image data end first.
    std::size_t Inflate(std::uint8_t* Target, std::size_t Count)
    {
        std::size_t Done = 0;
        while (Done < Count) {
            if (Unused() == 0 && !Gather())
                break;
            std::uint8_t* Source = Input.data() + Next;
            std::uint8_t* Out = Target + Done;
            Inflater.Unpack(Source, Out, ClampedSize(Unused()), ClampedSize(Count - Done));
            const auto Used = static_cast<std::size_t>(Source - (Input.data() + Next));
            const auto Made = static_cast<std::size_t>(Out - (Target + Done));
            Next += Used;
            Done += Made;
            const int Result = Inflater.ZLibResult();
            if (Result == Z_STREAM_END && Done < Count) {
                if (Unused() > 0)
                    RaiseGraphicErrorFmt(gesExtraCompressedData, {Format});
                break;
            }
            if ((Result != Z_OK && Result != Z_STREAM_END) || (Used == 0 && Made == 0))
                RaiseGraphicErrorFmt(gesCompression, {Format});
        }
        return Done;
    }

    // Reads (and checks) what is left of the image data, then ends the
    // stream. Answers whether the chunk after them has been opened.
    bool Finish()
    {
        while (Gather()) {
            Next = Input.size();
        }
        Inflater.FinishUnpack();
        return HeadRead;
    }

private:
    static constexpr std::size_t GatherBytes = 64 * 1024;

    static std::int32_t ClampedSize(std::size_t Size)
    {
        return static_cast<std::int32_t>(std::min<std::size_t>(Size, std::numeric_limits<std::int32_t>::max()));
    }

    std::size_t Unused() const { return Input.size() - Next; }

    // Appends whole IDAT chunks to the unused input until it holds
    // GatherBytes or the image data end; false when nothing was added.
    bool Gather()
    {
        Input.erase(Input.begin(), Input.begin() + static_cast<std::ptrdiff_t>(Next));
        Next = 0;
        bool Added = false;
        while (Input.size() < GatherBytes && HeadRead && Chunks.Is(png::IDAT) && Chunks.Fits()) {
            Chunks.AppendBody(Input);
            HeadRead = Chunks.ReadHead();
            Added = true;
        }
        return Added;
    }

    TPNGChunkReader& Chunks;
    TLZ77Decoder Inflater;
    std::vector<std::uint8_t> Input;
    std::size_t Next = 0;
    bool HeadRead = true;
};

} // namespace

bool TPNGGraphic::CanReadStream(TStream& Stream)
{
    return PeekFileStart(Stream).has_value();
}

bool TPNGGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (!PeekFileStart(Stream))
        return false;
    TStreamPositionKeeper Keep(Stream);
    Stream.Seek(sizeof PNGSignature, TSeekOrigin::soCurrent);
    TPNGChunkReader Chunks(Stream);
    Chunks.ReadHead();
    const TPNGImageHeader Header = ReadImageHeader(Chunks);

    TImageProperties& P = ImageProperties;
    P.Flags |= imgBigEndian;
    P.Width = Header.Width;
    P.Height = Header.Height;
    P.Compression = Header.CompressionMethod == 0 ? cmpDeflate : cmpUnknown;
    P.BitsPerSample = Header.BitDepth;
    P.SamplesPerPixel = 1;
    switch (Header.ColorType) {
    case 0: P.Layout = schGray; break;
    case 2: P.Layout = schRGB; P.SamplesPerPixel = 3; break;
    case 3: P.Layout = schIndexed; break;
    case 4: P.Layout = schGrayAlpha; break;
    case 6: P.Layout = schRGBA; P.SamplesPerPixel = 4; break;
    default: P.Layout = schUnknown; break;
    }
    P.BitsPerPixel = static_cast<std::uint8_t>(P.SamplesPerPixel * P.BitsPerSample);
    P.PngFilterMethod = Header.FilterMethod;
    P.IsInterlaced = Header.InterlaceMethod != 0;
    P.AlphaPresent = P.Layout == schGrayAlpha || P.Layout == schRGBA;
    P.Gamma = FileGamma(Chunks);
    return true;
}

void TPNGGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    ReportPreparing();
    Stream.SetPosition(StartPosition + static_cast<std::int64_t>(sizeof PNGSignature));
    Transparent = false;
    ColorManager.InFlags = cfSwapBytes; // 16-bit samples are big-endian
    ColorManager.OutFlags = 0;

    TPNGChunkReader Chunks(Stream);
    Chunks.ReadHead();
    const TPNGImageHeader Header = ReadImageHeader(Chunks);
    if (Header.CompressionMethod != 0)
        RaiseGraphicErrorFmt(gesUnsupportedFeature, {gesCompressionScheme, FormatName});

    TPNGAncillary Ancillary;
    bool ImageRead = false;
    bool HeadRead = Chunks.ReadHead();
    // A chunk that the rest of the file cannot hold ends the walk.
    while (HeadRead && Chunks.Fits()) {
        if (Chunks.Is(png::IDAT) && !ImageRead) {
            ReportStageEnd();
            HeadRead = DecodePixels(Chunks, Header, Ancillary);
            ImageRead = true;
            continue;
        }
        if (!TakeDescription(Chunks, Header, Ancillary, ColorManager, ImageProperties)) {
            Chunks.Skip();
            if (Chunks.Is(png::IEND))
                break;
            if (!png::Ancillary(Chunks.Type()))
                RaiseGraphicError(gesUnknownCriticalChunk);
        }
        HeadRead = Chunks.ReadHead();
    }
    // Without image data there is no picture to show.
    if (!ImageRead)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    ReportStageEnd();
}

bool TPNGGraphic::DecodePixels(TPNGChunkReader& Chunks, const TPNGImageHeader& Header, const TPNGAncillary& Ancillary)
{
    ReportStageStart(gesTransfering);
    const std::uint32_t Width = Header.Width;
    const std::uint32_t Height = Header.Height;
    const unsigned Stride = PrepareConversion(ColorManager, Header.ColorType, Header.BitDepth);
    const std::uint64_t RowBytes = RowBytesOf(Width, Header);
    if (RowBytes + 1 + png::RowSlack > MaxRowBytes)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    CheckPictureSize(*CurrentStream, Width, Height, BitsPerPixelOf(ColorManager.PixelFormatFor(true)),
                     SaturatingProduct(RowBytes + 1, Height) / MaxDeflateRatio, FormatName);
    if (Header.ColorType == 3 && !Ancillary.HavePalette)
        RaiseGraphicErrorFmt(gesInvalidPalette, {FormatName});

    PrepareBitmap(Width, Height, FormatName);
    if (Header.ColorType == 3)
        SetPalette(ColorManager.MakeColorPalette({Ancillary.Palette.data()}, 0,
                                                 static_cast<std::uint32_t>(Ancillary.Palette.size() / 3), false));
    else if (Header.ColorType == 0 || Header.ColorType == 4)
        SetPalette(ColorManager.MakeGrayPalette(false));
    TColor BackColor = Ancillary.BackColor;
    if (Ancillary.BackIndex) {
        const TPaletteEntry& E = PaletteEntries()[*Ancillary.BackIndex];
        BackColor = *Ancillary.BackIndex < PaletteCount() ? RGBColor(E.Red, E.Green, E.Blue) : White;
    }
    if (Ancillary.ClearColor) {
        SetTransparentColor(*Ancillary.ClearColor);
        Transparent = true;
    }

    const bool Interlaced = Header.InterlaceMethod != 0;
    // A whole image fills rows top down, so only the rows the data never
    // reach are painted afterwards; passes leave gaps anywhere.
    if (Interlaced)
        FillRows(*this, BackColor, 0, Height);
    TImageData Data(Chunks);
    std::vector<std::uint8_t> Batch;
    std::uint64_t RowsDecoded = 0;
    std::uint32_t NextRow = 0;
    bool Ended = false;
    for (const TPass& Pass : Interlaced ? std::span<const TPass>(Adam7) : std::span<const TPass>(WholeImage)) {
        if (Ended || Pass.FirstColumn >= Width || Pass.FirstRow >= Height)
            continue;
        const std::uint32_t PassWidth = (Width - Pass.FirstColumn + Pass.ColumnStep - 1) / Pass.ColumnStep;
        // A row: the filter type, then the filtered bytes. Slot 0 of the
        // batch holds the row above the batch's first one, all zeros at the
        // start of each pass.
        const std::size_t Stored = static_cast<std::size_t>(RowBytesOf(PassWidth, Header)) + 1;
        const std::uint32_t PassRows = (Height - Pass.FirstRow + Pass.RowStep - 1) / Pass.RowStep;
        const std::uint32_t BatchRows = static_cast<std::uint32_t>(
            std::clamp<std::size_t>(BatchBytes / Stored, 1, PassRows));
        Batch.assign((BatchRows + 1) * Stored + png::RowSlack, 0);
        const bool ReportsProgress = !Interlaced || &Pass == &Adam7[std::size(Adam7) - 1];
        for (std::uint32_t Row = 0; Row < PassRows && !Ended; Row += BatchRows) {
            const std::uint32_t Wanted = std::min(BatchRows, PassRows - Row);
            const std::size_t Got = Data.Inflate(&Batch[Stored], Wanted * Stored);
            const auto Whole = static_cast<std::uint32_t>(Got / Stored);
            Ended = Whole < Wanted;
            for (std::uint32_t k = 1; k <= Whole; ++k) {
                std::uint8_t* Current = &Batch[k * Stored];
                png::UnfilterRow(Current[0], Current + 1, Current - Stored + 1, Stored - 1, Stride);
                const std::uint32_t y = Pass.FirstRow + (Row + k - 1) * Pass.RowStep;
                ColorManager.TransformRow(Current + 1, ScanLine(y), Width, Pass.Mask);
                NextRow = y + 1;
                if (ReportsProgress)
                    ReportRowDone(Interlaced ? y + 2 : y);
            }
            RowsDecoded += Whole;
            std::copy_n(&Batch[Whole * Stored], Stored, Batch.begin());
        }
    }
    // Image data that yield no row at all make no picture.
    if (RowsDecoded == 0)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    if (!Interlaced)
        FillRows(*this, BackColor, NextRow, Height);
    return Data.Finish();
}

} // namespace vidlark
