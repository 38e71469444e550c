#pragma once
// TTIFFGraphic reads the first image of a TIFF file, stored in strips or
// tiles: plain, Packbits, one-dimensional fax, deflate, JPEG or ThunderScan;
// grey, palette, RGB, CMYK, YCbCr and CIE Lab, with extra samples; 1 to 16
// bits per sample, chunky or in separate planes. RGB keeps its alpha (a
// premultiplied one is divided out); grey and CMYK show their colour only;
// further extra samples are skipped. Every offset counts from the position
// at which the load began, so other readers can read TIFF data inside their
// files.

#include "imaging/ZOdidoreVuZazador.h"

#include <functional>
#include <string>
#include <string_view>

namespace vidlark {

inline constexpr const char* gesPredictorScheme = "The predictor is";
inline constexpr const char* gesSeparateJpegPlanes = "JPEG data in separate planes are";

class TTIFFGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "TIF/TIFF";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // "II" or "MM", version 42, and a first directory inside the stream.
    static bool CanReadStream(TStream& Stream);

    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;
    void LoadFromStream(TStream& Stream) override;

    // Told the first warning of the JPEG library during a load; the program
    // shows it in a message box captioned "Warning".
    static inline std::function<void(const std::string& Text)> OnJpegWarning;
};

} // namespace vidlark
