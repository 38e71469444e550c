#include "imaging/TIFFPixelPlan.h"

#include "imaging/Bitmap.h"
#include "imaging/ReaderChecks.h"

#include <algorithm>

namespace vidlark::tiff {

namespace {

std::uint32_t BlocksFor(std::uint32_t Pixels, std::uint32_t BlockSize)
{
    return static_cast<std::uint32_t>((std::uint64_t{Pixels} + BlockSize - 1) / BlockSize);
}

bool ValidSubsampling(unsigned Factor) { return Factor == 1 || Factor == 2 || Factor == 4; }

// A tile need not pass the picture by more than the multiple of 16 TIFF
// asks of tiles; writers that cut small pictures into tiles of their usual
// size stay within 1024.
bool TileSideSound(std::uint32_t Tile, std::uint32_t Picture)
{
    return Tile <= std::max<std::uint64_t>((std::uint64_t{Picture} + 15) / 16 * 16, 1024);
}

// Samples, depth and YCbCr data units; the block geometry is left to the caller.
std::optional<TPixelPlan> PlanSamples(const TImageProperties& P)
{
    const unsigned Bits = P.BitsPerSample;
    const unsigned Stored = P.SamplesPerPixel;
    const unsigned Kept = SamplesOfLayout(P.Layout);
    const bool KnownDepth = Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8 || Bits == 16;
    const bool WholeBytes = Bits == 8 || Bits == 16;
    const bool OneSample = P.Layout == schGray || P.Layout == schIndexed;
    // Samples are skipped and colour is converted a byte at a time.
    if (Kept == 0 || Stored < Kept || !KnownDepth || ((!OneSample || Stored > Kept) && !WholeBytes) ||
        (P.Layout == schIndexed && Bits == 16))
        return std::nullopt;
    // The fax codings code one bilevel sample per pixel; read as anything
    // wider they would only give noise.
    const bool Fax = P.Compression == cmpFaxMH || P.Compression == cmpFaxMHWord || P.Compression == cmpFax3 ||
                     P.Compression == cmpFax4;
    if (Fax && (Bits != 1 || Stored != 1))
        return std::nullopt;

    TPixelPlan Plan;
    const bool Separate = P.PlanarConfiguration == 2 && Stored > 1;
    Plan.StoredPlanes = Separate ? Stored : 1;
    Plan.Planes = Separate ? Kept : 1;
    Plan.SamplesInPlane = Separate ? 1 : Stored;
    Plan.KeptSamples = Separate ? 1 : Kept;
    Plan.SampleBytes = Bits == 16 ? 2 : 1;
    Plan.DecodedBits = Bits * Plan.SamplesInPlane;
    if (P.Compression == cmpJPEG) {
        // The JPEG library delivers grey, or blue, green, red.
        Plan.SamplesInPlane = Plan.KeptSamples = Stored == 1 ? 1 : 3;
        Plan.SampleBytes = 1;
        Plan.DecodedBits = 8 * Plan.SamplesInPlane;
    } else if (P.Layout == schYCbCr && !Separate && P.YCbCrSubSampling.size() == 2) {
        Plan.SubX = P.YCbCrSubSampling[0];
        Plan.SubY = P.YCbCrSubSampling[1];
        // Data units hold luma, Cb and Cr of 8 bits and nothing else.
        if (Plan.Subsampled() && (!ValidSubsampling(Plan.SubX) || !ValidSubsampling(Plan.SubY) || Bits != 8 ||
                                  Stored != 3))
            return std::nullopt;
        if (Plan.Subsampled())
            Plan.DecodedBits = 24;
    }
    Plan.Predictor = P.Compression == cmpNone ? 1 : P.Predictor;
    Plan.ReverseFill = (P.Flags & imgBitsReversed) &&
                       (P.Compression == cmpNone || P.Compression == cmpPackbits || P.Compression == cmpLZW);
    return Plan;
}

} // namespace

unsigned SamplesOfLayout(TColorLayout Layout)
{
    switch (Layout) {
    case schGray:
    case schIndexed: return 1;
    case schGrayAlpha: return 2;
    case schRGB:
    case schYCbCr:
    case schCIELab: return 3;
    case schRGBA:
    case schCMYK: return 4;
    default: return 0;
    }
}

std::uint32_t TPixelPlan::RowsInBand(std::uint32_t Band, std::uint32_t Height) const
{
    const std::uint64_t First = std::uint64_t{Band} * BlockLength;
    return First >= Height ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(BlockLength, Height - First));
}

std::uint32_t TPixelPlan::StoredRows(std::uint32_t Band, std::uint32_t Height) const
{
    return Tiled ? BlockLength : RowsInBand(Band, Height);
}

std::uint32_t TPixelPlan::ColumnsIn(std::uint32_t Column, std::uint32_t Width) const
{
    const std::uint64_t First = std::uint64_t{Column} * BlockWidth;
    return First >= Width ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(BlockWidth, Width - First));
}

std::uint64_t TPixelPlan::RowBytes(std::uint32_t Pixels) const
{
    return (std::uint64_t{Pixels} * DecodedBits + 7) / 8;
}

std::uint64_t TPixelPlan::StoredBytes(std::uint32_t Rows) const
{
    if (!Subsampled())
        return Rows * RowBytes(BlockWidth);
    const std::uint64_t UnitsAcross = BlocksFor(BlockWidth, SubX);
    return BlocksFor(Rows, SubY) * UnitsAcross * (SubX * SubY + 2);
}

std::optional<TPixelPlan> PlanPixels(const TImageProperties& P)
{
    if (P.Width == 0 || P.Height == 0)
        return std::nullopt;
    std::optional<TPixelPlan> Plan = PlanSamples(P);
    if (!Plan)
        return std::nullopt;
    Plan->Tiled = (P.Flags & imgTiled) != 0;
    Plan->BlockWidth = Plan->Tiled ? P.TileWidth : P.Width;
    Plan->BlockLength = Plan->Tiled ? P.TileLength : P.RowsPerStrip.empty() ? P.Height : P.RowsPerStrip[0];
    if (Plan->BlockWidth == 0 || Plan->BlockLength == 0 ||
        (Plan->Tiled && (!TileSideSound(P.TileWidth, P.Width) || !TileSideSound(P.TileLength, P.Height))))
        return std::nullopt;
    Plan->Across = BlocksFor(P.Width, Plan->BlockWidth);
    Plan->Down = BlocksFor(P.Height, Plan->BlockLength);
    // Tiles need not be multiples of 16 wide as long as each starts on a
    // byte of the rows it fills.
    if (Plan->Tiled && std::uint64_t{Plan->BlockWidth} * Plan->DecodedBits % 8 != 0)
        return std::nullopt;
    // The decoded block and, for tiles, the band of picture rows they fill.
    const std::uint32_t BandRows = std::min(Plan->BlockLength, P.Height);
    if (!ImageSizeAcceptable(Plan->BlockWidth, Plan->BlockLength, Plan->DecodedBits) ||
        !ImageSizeAcceptable(P.Width, BandRows, Plan->DecodedBits))
        return std::nullopt;
    // Tiles are decoded whole: the picture padded out to whole tiles stays
    // within twice the caps, so huge tiles over a picture of a few rows
    // cannot keep the load decoding what is never shown.
    const std::uint64_t Padded = SaturatingProduct(std::uint64_t{Plan->Across} * Plan->BlockWidth,
                                                   std::uint64_t{Plan->Down} * Plan->BlockLength);
    if (Plan->Tiled &&
        (Padded > 2 * MaxImagePixels || SaturatingProduct(Padded, Plan->DecodedBits) / 8 > 2 * MaxBitmapBytes))
        return std::nullopt;
    return Plan;
}

} // namespace vidlark::tiff
