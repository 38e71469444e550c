#pragma once
// TTargaGraphic reads Truevision Targa images (colour-mapped, true-colour and
// grey; plain or run-length encoded; 8, 15, 16, 24 or 32 bits per pixel) and
// writes pictures as run-length encoded Targa files. The stored pixel bytes
// are already in the bitmap's byte order, so rows land in the bitmap as
// stored, without a row conversion.

#include "imaging/ZOdidoreVuZazador.h"

#include <ostream>
#include <string_view>

namespace vidlark {

class TTargaGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "Targa";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A plausible header: a known image type, colour map type, colour map
    // entry size and pixel size. 19 bytes at least must remain.
    static bool CanReadStream(TStream& Stream);

    // Answers false for a header the reader cannot load (an unknown image
    // type, colour map or pixel size), so the load refuses it.
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;

    // Writes the picture as a run-length encoded Targa file, top row first;
    // EStreamError when the stream cannot take it.
    void SaveToStream(std::ostream& Stream);
};

} // namespace vidlark
