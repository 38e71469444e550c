#pragma once
// TPCDGraphic reads the Base picture (768 x 512) of a Kodak Photo-CD image
// pac: plain luma rows and half-size chroma rows in the Photo YCC colour
// space. The chroma is doubled, converted to blue-green-red by the colour
// manager, and the picture is turned upright by the file's rotation code.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TPCDGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PCD";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // An image pac; more than its 6144 header bytes must remain. Overview
    // files are not accepted: what they hold is not a Base picture.
    static bool CanReadStream(TStream& Stream);
    // ImageIndex is the resolution, 192 << index by 128 << index (at most 5).
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;
    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
