#pragma once
// TSGIGraphic reads SGI images: grey, grey with alpha (shown grey), RGB and
// RGBA, with one or two bytes per sample, stored plainly or run-length
// encoded, channel by channel and bottom row first. Each row's channels are
// read into buffers of Width samples and converted by the colour manager.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TSGIGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "sgi, bw or rgb(a)";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A loadable header of dimension 1, 2 or 3; more than 512 bytes must remain.
    static bool CanReadStream(TStream& Stream);

    // False for a header the reader cannot load.
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
