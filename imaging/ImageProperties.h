#pragma once
// The record of what an image header says, with its enumerations. Readers
// fill the fields their format has; the others keep the reset values (all
// zero, empty arrays, Gamma 1.0). Copied by value, arrays included.

#include "imaging/ColorManager.h"

#include <cstdint>
#include <vector>

namespace vidlark {

using TCardinalArray = std::vector<std::uint32_t>;
using TByteArray = std::vector<std::uint8_t>;
using TFloatArray = std::vector<float>;

// Options of the stored image, a set held in one byte.
enum TImageFlag : std::uint8_t {
    imgTiled = 1,        // pixels are stored in tiles
    imgBigEndian = 2,    // multi-byte values are most significant byte first
    imgMinIsWhite = 4,   // sample value 0 is white
    imgBitsReversed = 8, // bits within a byte are stored least significant first
    imgFileGamma = 16,   // the file gives its own gamma
};
using TImageFlags = std::uint8_t;

enum TPixelCompression : std::uint8_t {
    cmpUnknown = 0,     // unknown or unsupported
    cmpNone = 1,        // not compressed
    cmpRLE = 2,         // the format's own run-length encoding
    cmpPackbits = 3,
    cmpLZW = 4,
    cmpFax3 = 5,        // CCITT Group 3 fax
    cmpFaxMH = 6,       // CCITT modified Huffman run lengths (TIFF compression 2)
    cmpFax4 = 7,        // CCITT Group 4 fax
    cmpFaxMHWord = 8,   // modified Huffman, word aligned (TIFF compression 32771)
    cmpDeflate = 9,
    cmpJPEG = 10,
    cmpOldJPEG = 11,    // TIFF compression 6
    cmpThunderscan = 12,
    cmpNeXT = 13,
    cmpIT8CTPAD = 14,   // TIFF compression 32895
    cmpIT8LW = 15,      // 32896
    cmpIT8MP = 16,      // 32897
    cmpIT8BL = 17,      // 32898
    cmpPixarFilm = 18,  // 32908
    cmpPixarLog = 19,   // 32909
    cmpDCS = 20,        // 32947
    cmpJBIG = 21,       // 34661
    cmpPCDHuffman = 22, // Photo-CD Huffman-coded high resolutions
};

struct TImageProperties {
    std::uint32_t FormatVersion = 0;
    TImageFlags Flags = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    TColorLayout Layout = schUnknown;
    std::uint8_t BitsPerSample = 0;
    std::uint8_t SamplesPerPixel = 0;
    std::uint8_t BitsPerPixel = 0;
    TPixelCompression Compression = cmpUnknown;
    float Gamma = 1.0f;
    float XResolution = 0; // dots per inch
    float YResolution = 0;
    bool IsInterlaced = false;
    bool AlphaPresent = false;
    std::uint32_t FirstDirectoryOffset = 0;
    std::uint32_t PlanarConfiguration = 0;
    std::uint32_t RowIndex = 0;
    std::uint32_t TileWidth = 0;
    std::uint32_t TileLength = 0;
    std::uint32_t RowStride = 0; // (BitsPerPixel * Width + 7) div 8
    TCardinalArray RowsPerStrip;
    TByteArray YCbCrSubSampling;
    TByteArray JPEGTables;
    std::uint32_t JpegColorConversion = 0;
    std::uint32_t JpegTableUse = 0;
    std::int32_t StripIndex = 0;
    std::int32_t StripTotal = 0;
    std::uint32_t Predictor = 0;
    bool IsOverviewFile = false;
    std::uint8_t Rotation = 0;
    std::uint16_t OverviewImageCount = 0;
    bool RowsBottomUp = false;
    std::uint8_t ChannelCount = 0;
    std::uint8_t PngFilterMethod = 0;

    friend bool operator==(const TImageProperties&, const TImageProperties&) = default;
};

} // namespace vidlark
