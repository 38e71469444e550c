#pragma once
// The image file directories of a TIFF file: an 8-byte header ("II" or "MM",
// 42, the offset of the first directory), then directories of 12-byte
// entries (tag, field type, count, and the value itself when it fits in 4
// bytes, else the offset of the values). Offsets count from the start of
// the TIFF data, which need not be the start of the stream.

#include "imaging/Stream.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vidlark {

namespace tiff {

enum TTag : std::uint16_t {
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfiguration = 284,
    tagT4Options = 292,
    tagT6Options = 293,
    tagResolutionUnit = 296,
    tagPredictor = 317,
    tagWhitePoint = 318,
    tagColorMap = 320,
    tagTileWidth = 322,
    tagTileLength = 323,
    tagTileOffsets = 324,
    tagTileByteCounts = 325,
    tagExtraSamples = 338,
    tagSampleFormat = 339,
    tagJPEGTables = 347,
    tagYCbCrCoefficients = 529,
    tagYCbCrSubSampling = 530,
    tagYCbCrPositioning = 531,
};

struct TEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint32_t Count = 0;
    std::array<std::uint8_t, 4> Value{}; // as stored: the values or their offset
};

// The byte order and the first directory's offset, when the header is one.
struct THeader {
    bool BigEndian = false;
    std::uint32_t FirstDirectory = 0;
};
std::optional<THeader> ReadHeader(TStream& Stream);

} // namespace tiff

class TTIFFDirectory {
public:
    // Reads directory number ImageIndex of the TIFF data at Start. Nothing
    // when the chain ends first, loops, or points outside the stream. The
    // stream's position is not kept.
    static std::optional<TTIFFDirectory> Read(TStream& Stream, std::int64_t Start, const tiff::THeader& Header,
                                              std::uint32_t ImageIndex);

    bool Has(std::uint16_t Tag) const { return Find(Tag) != nullptr; }
    std::uint32_t Count(std::uint16_t Tag) const;
    // The first value of an integer field, or Default when the field is
    // absent, empty or not of an integer type.
    std::uint32_t Integer(std::uint16_t Tag, std::uint32_t Default) const;
    // The first value of a numeric field as a float (rationals divided out).
    float Float(std::uint16_t Tag, float Default) const;
    // Every value of an integer field, in file order; nothing when the field
    // is absent, of another type, or holds more than MaxCount values or more
    // than the stream holds.
    std::vector<std::uint32_t> Integers(std::uint16_t Tag, std::uint64_t MaxCount) const;
    std::vector<float> Floats(std::uint16_t Tag, std::uint64_t MaxCount) const;
    // The bytes of a field of any type, as stored.
    std::vector<std::uint8_t> RawBytes(std::uint16_t Tag, std::uint64_t MaxBytes) const;

private:
    TTIFFDirectory(TStream& Stream, std::int64_t Start, bool BigEndian)
        : Stream(&Stream), Start(Start), BigEndian(BigEndian)
    {
    }

    const tiff::TEntry* Find(std::uint16_t Tag) const;
    // The stored bytes of all values of an entry, when they lie in the stream.
    std::optional<std::vector<std::uint8_t>> ValueBytes(const tiff::TEntry& Entry, std::uint64_t MaxBytes) const;
    double Element(const tiff::TEntry& Entry, const std::uint8_t* Bytes) const;

    TStream* Stream;
    std::int64_t Start;
    bool BigEndian;
    std::vector<tiff::TEntry> Entries; // sorted by tag
};

} // namespace vidlark
