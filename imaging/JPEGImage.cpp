#include "imaging/JPEGImage.h"

#include "imaging/JpegHandle.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vidlark {

constinit const TGraphicClassInfo TJPEGImage::ClassInfo{"TJPEGImage", &TGraphic::ClassInfo,
                                                        CreateGraphic<TJPEGImage>, nullptr};

namespace {

[[noreturn]] void RaiseJpegError(const VjDecoder* d)
{
    RaiseGraphicError(vj_message(d));
}

int DenominatorOf(TJPEGScale scale)
{
    switch (scale) {
    case TJPEGScale::jsFullSize: return 1;
    case TJPEGScale::jsHalf: return 2;
    case TJPEGScale::jsQuarter: return 4;
    case TJPEGScale::jsEighth: return 8;
    }
    return 1;
}

// The strongest reduction up to maxDenom whose result still covers the
// wanted size (libjpeg rounds scaled sizes up).
int DenominatorFor(const VjInfo& info, int maxDenom, std::uint32_t minWidth, std::uint32_t minHeight)
{
    if (minWidth == 0 && minHeight == 0)
        return maxDenom;
    int denom = 1;
    for (int d = 2; d <= maxDenom; d *= 2) {
        const std::uint32_t w = (info.Width + d - 1) / d;
        const std::uint32_t h = (info.Height + d - 1) / d;
        if (w < minWidth || h < minHeight)
            break;
        denom = d;
    }
    return denom;
}

// CMYK samples to blue, green, red; Adobe files store them inverted.
void CmykToBgr(const std::uint8_t* in, std::uint8_t* out, std::uint32_t width, bool inverted)
{
    for (std::uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = inverted ? in[3] : 255u - in[3];
        auto channel = [&](std::uint8_t v) {
            const unsigned c = inverted ? v : 255u - v;
            return static_cast<std::uint8_t>((c * k + 127) / 255);
        };
        out[0] = channel(in[2]);
        out[1] = channel(in[1]);
        out[2] = channel(in[0]);
    }
}

void RgbToBgr(std::uint8_t* row, std::uint32_t width)
{
    for (std::uint32_t x = 0; x < width; ++x, row += 3)
        std::swap(row[0], row[2]);
}

TPalette GrayPalette()
{
    TPalette palette(256);
    for (unsigned i = 0; i < 256; ++i)
        palette[i] = TPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                   static_cast<std::uint8_t>(i), 0};
    return palette;
}

} // namespace

void TJPEGImage::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (source.InheritsFrom(TJPEGImage::ClassInfo)) {
        const auto& other = static_cast<const TJPEGImage&>(source);
        Image.Assign(other.Image);
        Scale = other.Scale;
        StoredWidth = other.StoredWidth;
        StoredHeight = other.StoredHeight;
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const std::int64_t remaining = stream.Remaining();
    if (static_cast<std::uint64_t>(remaining) > MaxBitmapBytes)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    std::vector<std::uint8_t> data(static_cast<std::size_t>(remaining));
    stream.ReadBuffer(data.data(), data.size());

    TJpegDecoderPtr decoder(vj_create(MaxMemory, MaxScans));
    if (!decoder)
        throw std::bad_alloc();
    VjInfo info{};
    if (vj_read_header(decoder.get(), data.data(), data.size(), &info) != 0)
        RaiseJpegError(decoder.get());

    // Refuse absurd sizes, and data far too short for the size they claim
    // (every 8 x 8 block of luma takes at least one bit), before anything
    // large is allocated.
    const unsigned outBits = info.Output == vjGray ? 8 : 24;
    CheckImageSize(info.Width, info.Height, outBits, FormatName);
    const std::uint64_t blocks = ((static_cast<std::uint64_t>(info.Width) + 7) / 8) * ((info.Height + 7ull) / 8);
    if (static_cast<std::uint64_t>(data.size()) * 8 < blocks)
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});

    if (info.CoefficientBytes > MaxMemory)
        RaiseGraphicError(gesJpegMemory);

    const int denom = DenominatorFor(info, DenominatorOf(Scale), MinWidth, MinHeight);
    if (vj_start(decoder.get(), denom, info.Output, &info) != 0)
        RaiseJpegError(decoder.get());

    Image.ReleaseImage();
    Image.SetPixelFormat(info.Output == vjGray ? pf8bit : pf24bit);
    CheckImageSize(info.OutWidth, info.OutHeight, outBits, FormatName);
    Image.SetSize(info.OutWidth, info.OutHeight);
    if (info.Output == vjGray)
        Image.SetPalette(GrayPalette());

    std::vector<std::uint8_t> cmykRow(info.Output == vjCMYK ? static_cast<std::size_t>(info.OutWidth) * 4 : 0);
    for (std::uint32_t y = 0; y < info.OutHeight;) {
        std::uint8_t* row = info.Output == vjCMYK ? cmykRow.data() : Image.ScanLine(y);
        unsigned read = 0;
        if (vj_read_rows(decoder.get(), &row, 1, &read) != 0)
            RaiseJpegError(decoder.get());
        if (read == 0)
            RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
        if (info.Output == vjCMYK)
            CmykToBgr(cmykRow.data(), Image.ScanLine(y), info.OutWidth, info.AdobeInverted != 0);
        else if (info.Output == vjRGB && !info.OutBgr)
            RgbToBgr(Image.ScanLine(y), info.OutWidth);
        ++y;
    }
    if (vj_finish(decoder.get()) != 0)
        RaiseJpegError(decoder.get());
    StoredWidth = info.Width;
    StoredHeight = info.Height;
}

} // namespace vidlark
