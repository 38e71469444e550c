#pragma once
// JPEG-compressed strips and tiles of TIFF files, over libjpeg. Each block
// is a JPEG image of its own, possibly abbreviated: its tables may come once
// for the whole file (JPEGTables). Rows come blue, green, red for colour data
// and as one grey byte a pixel for one-component data; UnpackedSize is a
// whole number of such rows. The header of every block is checked against
// the properties (whose Width is the block's) before a line is decoded.

#include "imaging/ImageProperties.h"
#include "imaging/JpegHandle.h"
#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <functional>
#include <string>

namespace vidlark {

inline constexpr const char* gesJpegBogusTables = "Bogus JPEG tables field.";
inline constexpr const char* gesJpegStripSize = "Improper JPEG strip/tile size.";
inline constexpr const char* gesJpegComponentCount = "Improper JPEG component count.";
inline constexpr const char* gesJpegPrecision = "Improper JPEG data precision.";
inline constexpr const char* gesJpegSampling = "Improper JPEG sampling factors.";
inline constexpr const char* gesJpegFractionalLine = "Fractional JPEG scanline unsupported.";

class TTIFFJPEGDecoder final : public TUnpackOnlyDecoder {
public:
    // Told libjpeg's first warning of the decoder's life, once.
    using TWarningHandler = std::function<void(const std::string& Text)>;

    // Properties are the image's (not owned; they must outlive the decoder).
    // Interleaved data only: the reader refuses separate planes.
    TTIFFJPEGDecoder(const TImageProperties& Properties, TWarningHandler OnWarning);

    void StartUnpack() override;
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;
    void FinishUnpack() override;

    // Bytes of one decoded row: Width times 3, or Width for grey data.
    std::size_t RowBytes() const;

private:
    void CheckHeader(const VjInfo& Info, std::size_t Rows) const;
    void PassOnWarning();

    const TImageProperties& Properties;
    TWarningHandler OnWarning;
    TJpegDecoderPtr Decoder;
    bool Warned = false;
};

} // namespace vidlark
