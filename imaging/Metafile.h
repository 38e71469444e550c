#pragma once
// TMetafile, the platform's vector picture. This platform has no metafile
// renderer: the class is registered so that .wmf and .emf files are known,
// and loading one is refused with EInvalidGraphic.

#include "imaging/Graphic.h"

namespace vidlark {

inline constexpr const char* gesMetafileUnsupported = "Cannot load image. Metafiles are not supported on this platform.";

class TMetafile : public TGraphic {
public:
    static const TGraphicClassInfo ClassInfo;

    TMetafile() = default;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
    std::uint32_t GetWidth() const override { return 0; }
    std::uint32_t GetHeight() const override { return 0; }
    void LoadFromStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    TRGBAImage ToRGBA(bool keepAlpha) const override;
};

} // namespace vidlark
