#pragma once
// TPPMGraphic reads the portable maps: bitmaps (PBM), grey maps (PGM) and
// pixel maps (PPM), each in its plain (text) and its binary form, and the
// arbitrary maps (PAM) of black and white, grey or RGB tuples, with or
// without alpha. Samples of 1 or 2 bytes are scaled from the file's maximum
// value to 8-bit levels; alpha is kept in a 32-bit bitmap.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TPPMGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PBM, PGM or PPM";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // More than 10 bytes remain and they begin with a header this reader can load.
    static bool CanReadStream(TStream& Stream);

    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
