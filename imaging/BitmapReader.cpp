// TBitmap::LoadFromStream: Windows BMP files, and device-independent bitmaps
// without a file header (DIB), uncompressed, RLE4, RLE8 or with bit fields.

#include "imaging/Bitmap.h"
#include "imaging/ByteReader.h"
#include "imaging/SampleHelpers.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

namespace vidlark {

namespace {

constexpr std::string_view Format = TBitmap::FormatName;

enum : std::uint32_t { biRGB = 0, biRLE8 = 1, biRLE4 = 2, biBitFields = 3, biAlphaBitFields = 6 };

// Longest header we read in one go: file header, V5 header, three or four
// masks and a 256-entry palette.
constexpr std::size_t MaxHeadBytes = 14 + 124 + 16 + 256 * 4;

// One colour channel of a bit-fields pixel.
struct TChannel {
    std::uint32_t Mask = 0;
    unsigned Shift = 0;
    unsigned Bits = 0;

    static std::optional<TChannel> FromMask(std::uint32_t mask)
    {
        TChannel c;
        c.Mask = mask;
        if (mask == 0)
            return c;
        c.Shift = static_cast<unsigned>(std::countr_zero(mask));
        const std::uint32_t field = mask >> c.Shift;
        if ((field & (field + 1)) != 0) // not one contiguous run of bits
            return std::nullopt;
        c.Bits = static_cast<unsigned>(std::popcount(field));
        return c;
    }

    std::uint8_t Extract(std::uint32_t pixel) const
    {
        if (Bits == 0)
            return 0;
        const std::uint32_t v = (pixel & Mask) >> Shift;
        if (Bits >= 8)
            return static_cast<std::uint8_t>(v >> (Bits - 8));
        return WidenLevel(v, Bits);
    }
};

struct TBitFields {
    TChannel Red, Green, Blue, Alpha;
};

struct TBmpHeader {
    bool Core = false;             // 12-byte header, 3-byte palette entries
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    bool TopDown = false;
    unsigned BitCount = 0;
    std::uint32_t Compression = biRGB;
    std::uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    TPalette Palette;
    std::uint64_t DataOffset = 0;  // from the start of the load
};

bool KnownInfoSize(std::uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

TBmpHeader ParseHeader(std::span<const std::uint8_t> head, std::uint64_t available)
{
    TByteReader r(head, Format);
    TBmpHeader h;
    std::size_t infoStart = 0;
    std::uint32_t fileDataOffset = 0;
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') {
        r.Skip(10);
        fileDataOffset = r.U32();
        infoStart = 14;
    }
    const std::uint32_t infoSize = r.U32();
    if (!KnownInfoSize(infoSize))
        r.Fail();

    std::int64_t height = 0;
    if (infoSize == 12) {
        h.Core = true;
        h.Width = r.U16();
        height = r.U16();
        r.Skip(2); // planes
        h.BitCount = r.U16();
    } else {
        const std::int32_t width = r.I32();
        height = r.I32();
        r.Skip(2); // planes
        h.BitCount = r.U16();
        h.Compression = r.U32();
        r.Skip(12); // image size, resolutions
        const std::uint32_t colorsUsed = r.U32();
        r.Skip(4); // important colours
        if (width <= 0)
            r.Fail();
        h.Width = static_cast<std::uint32_t>(width);
        if (infoSize == 64 && h.Compression > biRLE4) // OS/2 Huffman and RLE24
            r.Fail();
        // Masks lie inside the newer headers and after the 40-byte one.
        const bool bitFields = h.Compression == biBitFields || h.Compression == biAlphaBitFields;
        if (bitFields || infoSize >= 52) {
            const unsigned maskCount = infoSize >= 56 || h.Compression == biAlphaBitFields ? 4 : 3;
            if (infoSize != 40 && infoSize != 64)
                r.Seek(infoStart + 40);
            for (unsigned i = 0; i < maskCount; ++i)
                h.Masks[i] = r.U32();
        }
        if (h.BitCount <= 8 && colorsUsed != 0)
            h.Palette.resize(std::min<std::uint32_t>(colorsUsed, 1u << h.BitCount));
    }
    if (height < 0) {
        h.TopDown = true;
        height = -height;
    }
    if (height == 0 || height > 0xFFFFFFFFll)
        r.Fail();
    h.Height = static_cast<std::uint32_t>(height);

    switch (h.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: r.Fail();
    }
    switch (h.Compression) {
    case biRGB: break;
    case biRLE8: if (h.BitCount != 8 || h.TopDown) r.Fail(); break;
    case biRLE4: if (h.BitCount != 4 || h.TopDown) r.Fail(); break;
    case biBitFields:
    case biAlphaBitFields: if (h.BitCount != 16 && h.BitCount != 32) r.Fail(); break;
    default: r.Fail(); // embedded JPEG or PNG, or unknown
    }

    // The palette follows the header (and the masks of a 40-byte header).
    std::size_t paletteStart = infoStart + infoSize;
    if (infoSize == 40 && (h.Compression == biBitFields || h.Compression == biAlphaBitFields))
        paletteStart += h.Compression == biAlphaBitFields ? 16 : 12;
    if (h.BitCount <= 8) {
        if (h.Palette.empty())
            h.Palette.resize(1u << h.BitCount);
        const std::size_t entrySize = h.Core ? 3 : 4;
        r.Seek(paletteStart);
        for (TPaletteEntry& e : h.Palette) {
            auto bytes = r.Bytes(entrySize);
            e = TPaletteEntry{bytes[2], bytes[1], bytes[0], 0};
        }
        paletteStart += h.Palette.size() * entrySize;
    }
    h.DataOffset = fileDataOffset != 0 ? fileDataOffset : paletteStart;
    if (h.DataOffset > available)
        r.Fail();
    return h;
}

// The masks in use for 16 and 32 bits: the file's for bit fields, 5-5-5 or
// 8-8-8 otherwise.
TBitFields FieldsOf(const TBmpHeader& h)
{
    std::uint32_t m[4] = {h.Masks[0], h.Masks[1], h.Masks[2], 0};
    if (h.Compression == biRGB) {
        if (h.BitCount == 16) {
            m[0] = 0x7C00; m[1] = 0x03E0; m[2] = 0x001F;
        } else {
            m[0] = 0xFF0000; m[1] = 0x00FF00; m[2] = 0x0000FF;
        }
    } else {
        m[3] = h.Masks[3];
    }
    TBitFields f;
    auto channel = [](std::uint32_t mask) {
        auto c = TChannel::FromMask(mask);
        if (!c)
            RaiseGraphicErrorFmt(gesInvalidImage, {Format});
        return *c;
    };
    f.Red = channel(m[0]);
    f.Green = channel(m[1]);
    f.Blue = channel(m[2]);
    f.Alpha = channel(m[3]);
    return f;
}

// How the file's rows become bitmap rows.
enum class TRowMode { Copy, Fields };

struct TLayout {
    TPixelFormat Format = pf24bit;
    TRowMode Mode = TRowMode::Copy;
};

TLayout LayoutOf(const TBmpHeader& h, const TBitFields& fields)
{
    switch (h.BitCount) {
    case 1: return {pf1bit, TRowMode::Copy};
    case 4: return {pf4bit, TRowMode::Copy};
    case 8: return {pf8bit, TRowMode::Copy};
    case 24: return {pf24bit, TRowMode::Copy};
    default: break;
    }
    auto is = [](const TChannel& c, std::uint32_t mask) { return c.Mask == mask; };
    if (h.BitCount == 16) {
        if (fields.Alpha.Bits == 0 && is(fields.Blue, 0x1F) && is(fields.Green, 0x03E0) && is(fields.Red, 0x7C00))
            return {pf15bit, TRowMode::Copy};
        if (fields.Alpha.Bits == 0 && is(fields.Blue, 0x1F) && is(fields.Green, 0x07E0) && is(fields.Red, 0xF800))
            return {pf16bit, TRowMode::Copy};
        return {fields.Alpha.Bits ? pf32bit : pf24bit, TRowMode::Fields};
    }
    if (is(fields.Blue, 0xFF) && is(fields.Green, 0xFF00) && is(fields.Red, 0xFF0000) &&
        (fields.Alpha.Bits == 0 || is(fields.Alpha, 0xFF000000)))
        return {pf32bit, TRowMode::Copy};
    return {pf32bit, TRowMode::Fields};
}

void ConvertFieldsRow(const std::uint8_t* in, std::uint8_t* out, std::uint32_t width, unsigned bitCount,
                      const TBitFields& f, unsigned outBytes)
{
    for (std::uint32_t x = 0; x < width; ++x, out += outBytes) {
        std::uint32_t v = 0;
        if (bitCount == 16) {
            v = in[2 * x] | (in[2 * x + 1] << 8);
        } else {
            v = static_cast<std::uint32_t>(in[4 * x]) | (static_cast<std::uint32_t>(in[4 * x + 1]) << 8) |
                (static_cast<std::uint32_t>(in[4 * x + 2]) << 16) | (static_cast<std::uint32_t>(in[4 * x + 3]) << 24);
        }
        out[0] = f.Blue.Extract(v);
        out[1] = f.Green.Extract(v);
        out[2] = f.Red.Extract(v);
        if (outBytes == 4)
            out[3] = f.Alpha.Bits ? f.Alpha.Extract(v) : 255;
    }
}

void ReadUncompressed(TBitmap& bitmap, TStream& stream, const TBmpHeader& h, const TLayout& layout,
                      const TBitFields& fields)
{
    const std::uint64_t fileRowBytes = BitmapRowBytes(h.Width, h.BitCount);
    const std::uint64_t usedRowBytes = (static_cast<std::uint64_t>(h.Width) * h.BitCount + 7) / 8;

    std::vector<std::uint8_t> row(static_cast<std::size_t>(fileRowBytes));
    const bool opaqueFourthByte = layout.Mode == TRowMode::Copy && h.BitCount == 32 && fields.Alpha.Bits == 0;
    bool anyFourthByte = false;
    for (std::uint32_t i = 0; i < h.Height; ++i) {
        const std::size_t got = stream.Read(row.data(), row.size());
        if (got < usedRowBytes)
            RaiseGraphicErrorFmt(gesInvalidImage, {Format});
        std::uint8_t* target = bitmap.ScanLine(h.TopDown ? i : h.Height - 1 - i);
        if (layout.Mode == TRowMode::Copy) {
            std::memcpy(target, row.data(), static_cast<std::size_t>(usedRowBytes));
            if (opaqueFourthByte)
                for (std::uint32_t x = 0; x < h.Width && !anyFourthByte; ++x)
                    anyFourthByte = target[4 * x + 3] != 0;
        } else {
            ConvertFieldsRow(row.data(), target, h.Width, h.BitCount, fields, bitmap.BitsPerPixel() / 8);
        }
    }
    // A 32-bit file without alpha whose fourth bytes are all zero is opaque,
    // not invisible.
    if (opaqueFourthByte && (!anyFourthByte || h.Compression != biRGB))
        for (std::uint32_t y = 0; y < h.Height; ++y) {
            std::uint8_t* p = bitmap.ScanLine(y);
            for (std::uint32_t x = 0; x < h.Width; ++x)
                p[4 * x + 3] = 255;
        }
}

void PutIndex(TBitmap& bitmap, std::uint64_t x, std::uint64_t rowFromBottom, unsigned bits, std::uint8_t value)
{
    std::uint8_t* row = bitmap.ScanLine(static_cast<std::uint32_t>(bitmap.GetHeight() - 1 - rowFromBottom));
    if (bits == 8) {
        row[x] = value;
    } else {
        std::uint8_t& b = row[x / 2];
        b = x % 2 ? static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F))
                  : static_cast<std::uint8_t>((b & 0x0F) | (value << 4));
    }
}

// Bytes of a stream through a buffer, for run-length data whose length
// only the decoding tells. Past the end it gives zeros and says so.
class TBufferedBytes {
public:
    explicit TBufferedBytes(TStream& stream) : Stream(stream), Buffer(64 * 1024) {}

    std::uint8_t Next()
    {
        if (Pos == Filled) {
            Filled = Stream.Read(Buffer.data(), Buffer.size());
            Pos = 0;
            if (Filled == 0) {
                Ended = true;
                return 0;
            }
        }
        return Buffer[Pos++];
    }

    bool AtEnd() const { return Ended; }

private:
    TStream& Stream;
    std::vector<std::uint8_t> Buffer;
    std::size_t Pos = 0;
    std::size_t Filled = 0;
    bool Ended = false;
};

// RLE8 and RLE4: rows from the bottom; runs and deltas that leave the
// bitmap are dropped, not followed. Data that end early leave the rows
// not reached at 0.
void ReadRunLength(TBitmap& bitmap, TStream& stream, const TBmpHeader& h)
{
    TBufferedBytes r(stream);
    const unsigned bits = h.BitCount;
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    auto put = [&](std::uint8_t value) {
        if (x < h.Width && y < h.Height)
            PutIndex(bitmap, x, y, bits, value);
        ++x;
    };
    while (y < h.Height && !r.AtEnd()) {
        const std::uint8_t count = r.Next();
        const std::uint8_t value = r.Next();
        if (count > 0) {
            for (unsigned i = 0; i < count && x < h.Width; ++i)
                put(bits == 8 ? value : (i % 2 ? value & 0x0F : value >> 4));
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta
            x += r.Next();
            y += r.Next();
            break;
        default: { // absolute run, padded to a whole word
            const unsigned bytes = bits == 8 ? value : (value + 1u) / 2;
            std::uint8_t b = 0;
            for (unsigned i = 0; i < value; ++i) {
                if (bits == 8 || i % 2 == 0)
                    b = r.Next();
                put(bits == 8 ? b : (i % 2 ? b & 0x0F : b >> 4));
            }
            if (bytes % 2)
                r.Next();
            break;
        }
        }
    }
}

} // namespace

void TBitmap::LoadFromStream(TStream& stream)
{
    const std::int64_t start = stream.GetPosition();
    const auto available = static_cast<std::uint64_t>(stream.Remaining());
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(available, MaxHeadBytes)));
    stream.ReadBuffer(head.data(), head.size());
    const TBmpHeader header = ParseHeader(head, available);
    const TBitFields fields = FieldsOf(header);
    const TLayout layout = LayoutOf(header, fields);
    CheckImageSize(header.Width, header.Height, BitsPerPixelOf(layout.Format), Format);
    stream.SetPosition(start + static_cast<std::int64_t>(header.DataOffset));
    if (header.Compression == biRGB || header.Compression == biBitFields || header.Compression == biAlphaBitFields) {
        // Refuse a truncated file before the bitmap is allocated. The last
        // row may lack its padding.
        const std::uint64_t needed = BitmapRowBytes(header.Width, header.BitCount) * (header.Height - 1) +
                                     (static_cast<std::uint64_t>(header.Width) * header.BitCount + 7) / 8;
        if (static_cast<std::uint64_t>(stream.Remaining()) < needed)
            RaiseGraphicErrorFmt(gesInvalidImage, {Format});
    }

    ReleaseImage();
    SetPixelFormat(layout.Format);
    SetSize(header.Width, header.Height);
    SetPalette(header.Palette);
    if (header.Compression == biRLE8 || header.Compression == biRLE4)
        ReadRunLength(*this, stream, header);
    else
        ReadUncompressed(*this, stream, header, layout, fields);
}

} // namespace vidlark
