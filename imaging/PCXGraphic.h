#pragma once
// TPCXGraphic reads ZSoft Paintbrush pictures and screen captures of the
// same layout: black and white, 4 and 16 colours (one plane of 2 or 4 bits,
// or four planes of one bit), 256 colours, and true colour in three planes
// (RGB) or four (RGBA), stored plainly or run-length encoded.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TPCXGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PCX";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A Paintbrush header (first byte 10) of a known version and encoding
    // that this reader loads; more than 128 bytes must remain. Screen
    // captures are loaded only when chosen by their extension.
    static bool CanReadStream(TStream& Stream);

    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
