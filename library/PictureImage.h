#pragma once
// Pictures of the image library as the window draws them.

#include "imaging/Graphic.h"

#include <QImage>
#include <QSize>

#include <filesystem>

namespace vidlark {

// The picture drawn opaque, except for a bitmap's transparent colour while
// its transparency is on. A null image for a picture without area.
QImage PictureImage(const TGraphic& picture);

struct TThumbnailPicture {
    QImage Image;
    QSize FullSize; // of the stored picture; larger than Image's when reduced
};

// Loads a JPEG file. With dctScaling, libjpeg decodes it at the smallest
// scale that still covers the thumbnail box. Throws what the decoder or the
// file raises, and EInvalidGraphic for a picture without area.
TThumbnailPicture LoadJpegThumbnail(const std::filesystem::path& fileName, bool dctScaling);

} // namespace vidlark
