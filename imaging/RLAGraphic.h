#pragma once
// TRLAGraphic reads Alias/Wavefront run-length images: red, green, blue and
// an optional matte channel of 8 or 16 bits, each channel of a row encoded
// on its own, rows stored from the bottom and found through an offset table.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TRLAGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "RLA";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A loadable header of revision 0xFFFE; more than its 740 bytes must remain.
    static bool CanReadStream(TStream& Stream);
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;
    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
