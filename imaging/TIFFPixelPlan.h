#pragma once
// Where and how the pixels of a TIFF image lie, worked out once from its
// properties. The data come in blocks: strips, which span the picture's
// width, or tiles of TileWidth x TileLength. Blocks are counted across, then
// down, plane after plane when samples lie in separate planes. The last
// strip holds only the rows left in the picture; every tile holds the data
// of a full tile, of which the part inside the picture is shown.
//
// Samples reach the colour manager as its layout reads them (grey, grey and
// alpha, palette index, RGB, RGBA, CMYK, YCbCr, CIE Lab); extra samples
// after those are skipped.

#include "imaging/ImageProperties.h"

#include <cstdint>
#include <optional>

namespace vidlark::tiff {

// Samples the colour manager reads a pixel of Layout from; 0 for a layout it
// does not convert from files.
unsigned SamplesOfLayout(TColorLayout Layout);

struct TPixelPlan {
    bool Tiled = false;
    std::uint32_t BlockWidth = 0;  // pixels of a block row
    std::uint32_t BlockLength = 0; // rows of a full block
    std::uint32_t Across = 1;      // blocks side by side in a band
    std::uint32_t Down = 0;        // bands
    unsigned StoredPlanes = 1;     // planes in the file
    unsigned Planes = 1;           // planes decoded: those of extra samples are skipped
    unsigned SamplesInPlane = 1;   // samples of a pixel of one decoded plane
    unsigned KeptSamples = 1;      // the leading ones of those the colour manager takes
    unsigned SampleBytes = 1;      // of a whole-byte sample
    unsigned DecodedBits = 8;      // per pixel of a decoded row of one plane (24: data units expanded)
    unsigned SubX = 1, SubY = 1;   // YCbCr data units, expanded into pixels of three samples
    unsigned Predictor = 1;        // 2: horizontal differencing to undo
    bool ReverseFill = false;      // FillOrder 2 for data the decoder reads as bytes

    std::uint64_t BlocksPerPlane() const { return std::uint64_t{Across} * Down; }
    std::uint64_t BlockCount() const { return BlocksPerPlane() * StoredPlanes; }
    bool Subsampled() const { return SubX != 1 || SubY != 1; }
    bool SkipsSamples() const { return KeptSamples != SamplesInPlane; }

    // Rows of the picture in band Band of a picture of Height rows.
    std::uint32_t RowsInBand(std::uint32_t Band, std::uint32_t Height) const;
    // Rows a block of band Band holds as stored.
    std::uint32_t StoredRows(std::uint32_t Band, std::uint32_t Height) const;
    // Pixels of block column Column inside a picture of Width pixels.
    std::uint32_t ColumnsIn(std::uint32_t Column, std::uint32_t Width) const;
    // Bytes of a decoded row of Pixels pixels of one plane.
    std::uint64_t RowBytes(std::uint32_t Pixels) const;
    // Bytes of a block of Rows rows as stored: data units for subsampled YCbCr.
    std::uint64_t StoredBytes(std::uint32_t Rows) const;
};

// The plan of an image, or nothing when this reader cannot load it: the one
// check of a directory that the content test, ReadProperties and the load
// share. Every buffer the plan asks for stays within the bitmap caps.
std::optional<TPixelPlan> PlanPixels(const TImageProperties& P);

} // namespace vidlark::tiff
