#pragma once
// TIcon, the platform's icon picture: loads Windows .ico files. Of the
// images a file holds it takes the largest, the deepest on a tie, whether
// stored as a device-independent bitmap or as a PNG file. The image becomes
// a 32-bit bitmap whose fourth byte is the alpha: from the image itself for
// PNG images and 32-bit icons that carry one, else from the icon's mask.

#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"

namespace vidlark {

class TIcon : public TGraphic {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "ICO";

    TIcon() = default;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
    std::uint32_t GetWidth() const override { return Image.GetWidth(); }
    std::uint32_t GetHeight() const override { return Image.GetHeight(); }

    void LoadFromStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    void AssignTo(TBitmap& target) const override { target.Assign(Image); }
    // An icon is always drawn through its mask, so its alpha is kept.
    TRGBAImage ToRGBA(bool keepAlpha) const override;

    const TBitmap& Bitmap() const { return Image; }

private:
    TBitmap Image;
};

} // namespace vidlark
