#pragma once
// TPSDGraphic reads the composite picture of a Photoshop file, the
// flattened image stored after the layers: bitmap, grey, indexed, RGB(A),
// CMYK and Lab pictures of 1, 8 or 16 bits per sample, plain or Packbits
// encoded. Layers, masks and image resources are passed over.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TPSDGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PSD or PDD";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A version 1 header of a colour mode, depth and channel count this
    // reader loads; more than 26 bytes must remain.
    static bool CanReadStream(TStream& Stream);

    // Also walks the three sections behind the header to the compression
    // field; answers false when the file cannot hold them.
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
