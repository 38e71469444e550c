#pragma once
// TPNGGraphic reads Portable Network Graphics files: grey, RGB, palette,
// grey with alpha and RGBA, at every bit depth the standard allows for
// them, plain or Adam7-interlaced. CRCs are checked on every chunk whose
// data it uses; gamma (gAMA), the background (bKGD, shown where image data
// are missing) and a transparent colour (tRNS) are taken from the file.

#include "imaging/ZOdidoreVuZazador.h"

#include <string_view>

namespace vidlark {

class TPNGChunkReader;
struct TPNGImageHeader;
struct TPNGAncillary;

class TPNGGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "PNG";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // The signature followed by a plausible IHDR chunk.
    static bool CanReadStream(TStream& Stream);

    // The header, and the gamma of a gAMA chunk (1.0 when there is none).
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    void LoadFromStream(TStream& Stream) override;

private:
    // Decodes the image data, whose first chunk the chunk reader has opened,
    // into the bitmap. Answers whether the chunk after them has been opened.
    bool DecodePixels(TPNGChunkReader& Chunks, const TPNGImageHeader& Header, const TPNGAncillary& Ancillary);
};

} // namespace vidlark
