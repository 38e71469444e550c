#pragma once
// TPSPGraphic reads Paintshop Pro image files of major version 3 and later:
// the first raster layer of the layer bank, 1, 4 or 8 bits with a palette
// or grey, or 24 bits with its transparency mask as alpha; plain, RLE or
// LZ77 channels. Other layers, masks, selections and vector data are passed over.

#include "imaging/ZOdidoreVuZazador.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vidlark {

class TPSPGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PSP";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // The signature and a major version of 3 or more; 37 bytes at least must remain.
    static bool CanReadStream(TStream& Stream);

    // The file header and the general image attributes.
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;

private:
    // Reads the layer bank whose data begin at the stream's position and end
    // at BankEnd; answers whether a layer was shown.
    bool ReadLayerBank(std::int64_t BankEnd);
    // Converts the channels of the shown layer, by channel type, into the bitmap.
    void TransferRows(const std::array<std::vector<std::uint8_t>, 4>& Planes);
};

} // namespace vidlark
