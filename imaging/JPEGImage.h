#pragma once
// TJPEGImage, the platform's JPEG picture, over libjpeg. Fatal errors of the
// library come back through a C shim and are thrown as EInvalidGraphic with
// libjpeg's text. Its working memory and the number of progressive scans are
// capped; a truncated file is refused.

#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"

#include <cstddef>
#include <cstdint>

namespace vidlark {

inline constexpr const char* gesJpegMemory = "JPEG image needs more working memory than allowed.";

// libjpeg's DCT scaling: the picture decoded at full size or at 1/2, 1/4,
// 1/8 of it, which is much faster for small pictures.
enum class TJPEGScale : std::uint8_t { jsFullSize, jsHalf, jsQuarter, jsEighth };

class TJPEGImage : public TGraphic {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "JPEG";
    static constexpr std::size_t DefaultMaxMemory = 256u * 1024 * 1024;
    static constexpr int DefaultMaxScans = 500;

    TJPEGImage() = default;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    std::uint32_t GetWidth() const override { return Image.GetWidth(); }
    std::uint32_t GetHeight() const override { return Image.GetHeight(); }
    // The size of the stored image; GetWidth and GetHeight give the decoded
    // one, which a reduced scale makes smaller.
    std::uint32_t FullWidth() const { return StoredWidth; }
    std::uint32_t FullHeight() const { return StoredHeight; }

    // Set before loading. Scale reduces always; with MinWidth or MinHeight
    // given, the load picks the strongest reduction (at most Scale's) whose
    // result still covers MinWidth x MinHeight.
    TJPEGScale Scale = TJPEGScale::jsFullSize;
    std::uint32_t MinWidth = 0;
    std::uint32_t MinHeight = 0;
    std::size_t MaxMemory = DefaultMaxMemory;
    int MaxScans = DefaultMaxScans;

    // Grey pictures become 8-bit bitmaps with a grey palette, all others
    // 24-bit (CMYK converted).
    void LoadFromStream(TStream& stream) override;

    void Assign(const TGraphic& source) override;
    void AssignTo(TBitmap& target) const override { target.Assign(Image); }
    TRGBAImage ToRGBA(bool keepAlpha) const override { return Image.ToRGBA(keepAlpha); }

    const TBitmap& Bitmap() const { return Image; }

private:
    TBitmap Image;
    std::uint32_t StoredWidth = 0;
    std::uint32_t StoredHeight = 0;
};

} // namespace vidlark
