#pragma once
// TEPSGraphic shows an Encapsulated PostScript file by the TIFF preview that
// its binary header points at; the PostScript itself is not interpreted.

#include "imaging/Endian.h"
#include "imaging/TIFFGraphic.h"

namespace vidlark {

// The 30-byte binary header of such files, little-endian.
struct TEPSHeader {
    TLittleEndian32 Signature; // C5 D0 D3 C6
    TLittleEndian32 PostScriptOffset;
    TLittleEndian32 PostScriptLength;
    TLittleEndian32 MetafileOffset;
    TLittleEndian32 MetafileLength;
    TLittleEndian32 TIFFOffset; // from the start of the header
    TLittleEndian32 TIFFLength;
    TLittleEndian16 Checksum;
};
static_assert(sizeof(TEPSHeader) == 30);

class TEPSGraphic : public TTIFFGraphic {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "EPS";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // A header with the signature and a TIFF preview that lies inside the
    // stream, after the header.
    static bool CanReadStream(TStream& Stream);
    void LoadFromStream(TStream& Stream) override;
};

} // namespace vidlark
