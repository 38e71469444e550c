#pragma once
// TAutodeskGraphic reads Autodesk Animator cel and picture files: 256-colour
// pictures with a palette of 6-bit levels and plain rows of 8-bit indices.
// The rows land in the bitmap as stored; no row conversion is needed.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TAutodeskGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "Autodesk";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // The magic, 8 bits per pixel and no compression; more than the 32
    // header bytes must remain.
    static bool CanReadStream(TStream& Stream);
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;
    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
