#include "imaging/Icon.h"

#include "imaging/ByteReader.h"
#include "imaging/PNGGraphic.h"
#include "imaging/PNGHeader.h"
#include "imaging/SampleHelpers.h"

#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TIcon::ClassInfo{"TIcon", &TGraphic::ClassInfo, CreateGraphic<TIcon>, nullptr};

namespace {

constexpr std::string_view Format = TIcon::FormatName;
constexpr std::size_t DirectoryEntrySize = 16;
constexpr std::size_t InfoHeaderSize = 40;

struct TIconImage {
    std::uint64_t Offset = 0; // from the start of the load
    std::uint32_t Size = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0; // of the image, without the mask
    unsigned BitCount = 0;
    bool Png = false; // stored as a PNG file rather than a bitmap
};

std::uint32_t U32At(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The images stored as uncompressed device-independent bitmaps, with the
// size their own headers give.
std::vector<TIconImage> ReadDirectory(TStream& stream, std::int64_t start, std::uint64_t available)
{
    std::uint8_t head[6];
    stream.ReadBuffer(head, sizeof head);
    TByteReader r(head, Format);
    const std::uint16_t reserved = r.U16();
    const std::uint16_t type = r.U16();
    const std::uint16_t count = r.U16();
    if (reserved != 0 || (type != 1 && type != 2) || count == 0 ||
        6 + static_cast<std::uint64_t>(count) * DirectoryEntrySize > available)
        r.Fail();
    std::vector<std::uint8_t> entries(count * DirectoryEntrySize);
    stream.ReadBuffer(entries.data(), entries.size());

    std::vector<TIconImage> images;
    for (std::size_t i = 0; i < count; ++i) {
        TByteReader e(std::span<const std::uint8_t>(entries).subspan(i * DirectoryEntrySize, DirectoryEntrySize), Format);
        e.Skip(8);
        TIconImage image;
        image.Size = e.U32();
        image.Offset = e.U32();
        if (image.Size < InfoHeaderSize || image.Offset + image.Size > available)
            continue;
        std::uint8_t info[InfoHeaderSize];
        stream.SetPosition(start + static_cast<std::int64_t>(image.Offset));
        stream.ReadBuffer(info, sizeof info);
        const std::uint32_t headerSize = U32At(info, 0);
        const auto width = static_cast<std::int32_t>(U32At(info, 4));
        const auto height = static_cast<std::int32_t>(U32At(info, 8));
        const unsigned bitCount = static_cast<unsigned>(info[14] | (info[15] << 8));
        const std::uint32_t compression = U32At(info, 16);
        if (std::equal(std::begin(PNGSignature), std::end(PNGSignature), info)) {
            image.Png = true;
            image.Width = LoadEndian<std::uint32_t, true>(info + 16);
            image.Height = LoadEndian<std::uint32_t, true>(info + 20);
            image.BitCount = 32;
            if (image.Width != 0 && image.Height != 0)
                images.push_back(image);
            continue;
        }
        // Other headers, compressed or upside-down images are passed over.
        if (headerSize < InfoHeaderSize || headerSize > image.Size || width <= 0 || height < 2 || compression != 0)
            continue;
        image.Width = static_cast<std::uint32_t>(width);
        image.Height = static_cast<std::uint32_t>(height) / 2;
        image.BitCount = bitCount;
        images.push_back(image);
    }
    return images;
}

// An image stored as a PNG file: its pixels, with the PNG's alpha (or its
// transparent colour clear), as a 32-bit bitmap whose fourth byte is alpha.
void LoadPngEntry(TStream& stream, std::int64_t start, const TIconImage& image, TBitmap& result)
{
    std::vector<std::uint8_t> data(image.Size);
    stream.SetPosition(start + static_cast<std::int64_t>(image.Offset));
    stream.ReadBuffer(data.data(), data.size());
    TMemoryStream png(std::move(data));
    TPNGGraphic picture;
    picture.LoadFromStream(png);
    const TRGBAImage rgba = picture.ToRGBA(true);
    result.SetPixelFormat(pf32bit);
    result.SetSize(rgba.Width, rgba.Height);
    const std::uint8_t* in = rgba.Pixels.data();
    for (std::uint32_t y = 0; y < rgba.Height; ++y) {
        std::uint8_t* out = result.ScanLine(y);
        for (std::uint32_t x = 0; x < rgba.Width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
}

bool Better(const TIconImage& a, const TIconImage& b)
{
    const std::uint64_t areaA = static_cast<std::uint64_t>(a.Width) * a.Height;
    const std::uint64_t areaB = static_cast<std::uint64_t>(b.Width) * b.Height;
    return areaA != areaB ? areaA > areaB : a.BitCount > b.BitCount;
}

} // namespace

void TIcon::LoadFromStream(TStream& stream)
{
    const std::int64_t start = stream.GetPosition();
    const auto available = static_cast<std::uint64_t>(stream.Remaining());
    const std::vector<TIconImage> images = ReadDirectory(stream, start, available);
    if (images.empty())
        RaiseGraphicErrorFmt(gesInvalidImage, {Format});
    TIconImage best = images.front();
    for (const TIconImage& image : images)
        if (Better(image, best))
            best = image;
    CheckImageSize(best.Width, best.Height, 32, Format);
    if (best.Png) {
        LoadPngEntry(stream, start, best, Image);
        return;
    }

    // The stored height counts the image and its mask; the bitmap reader
    // gets the image alone, and leaves its stream where the mask begins.
    std::vector<std::uint8_t> data(best.Size);
    stream.SetPosition(start + static_cast<std::int64_t>(best.Offset));
    stream.ReadBuffer(data.data(), data.size());
    for (unsigned i = 0; i < 4; ++i)
        data[8 + i] = static_cast<std::uint8_t>(best.Height >> (8 * i));
    TMemoryStream dib(std::move(data));
    TBitmap colors;
    colors.LoadFromStream(dib);
    const auto maskStart = static_cast<std::uint64_t>(dib.GetPosition());
    const std::vector<std::uint8_t>& bytes = dib.Bytes();

    // A 32-bit image with any alpha of its own uses it; others use the mask.
    bool ownAlpha = false;
    if (best.BitCount == 32) {
        const std::uint64_t rowBytes = BitmapRowBytes(best.Width, 32);
        const std::uint64_t colorBytes = rowBytes * best.Height;
        const std::uint64_t colorStart = maskStart >= colorBytes ? maskStart - colorBytes : maskStart;
        for (std::uint64_t i = colorStart + 3; i < maskStart && !ownAlpha; i += 4)
            ownAlpha = bytes[i] != 0;
    }
    const std::uint64_t maskRowBytes = BitmapRowBytes(best.Width, 1);
    const bool haveMask = maskStart + maskRowBytes * best.Height <= bytes.size();

    TBitmap result;
    result.SetPixelFormat(pf32bit);
    result.SetSize(best.Width, best.Height);
    for (std::uint32_t y = 0; y < best.Height; ++y) {
        std::uint8_t* out = result.ScanLine(y);
        const std::uint8_t* in = colors.ScanLine(y);
        // Mask rows are stored from the bottom, like the image's.
        const std::uint8_t* mask =
            haveMask ? bytes.data() + maskStart + maskRowBytes * (best.Height - 1 - y) : nullptr;
        for (std::uint32_t x = 0; x < best.Width; ++x, out += 4) {
            const TColor c = colors.PixelColor(x, y);
            out[0] = static_cast<std::uint8_t>(c >> 16);
            out[1] = static_cast<std::uint8_t>(c >> 8);
            out[2] = static_cast<std::uint8_t>(c);
            if (ownAlpha)
                out[3] = in[4 * x + 3];
            else
                out[3] = mask && PackedSample(mask, x, 1) ? 0 : 255;
        }
    }
    Image.Assign(result);
}

void TIcon::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (source.InheritsFrom(TIcon::ClassInfo)) {
        Image.Assign(static_cast<const TIcon&>(source).Image);
        return;
    }
    TGraphic::Assign(source);
}

TRGBAImage TIcon::ToRGBA(bool) const
{
    return Image.ToRGBA(true);
}

} // namespace vidlark
