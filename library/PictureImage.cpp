#include "library/PictureImage.h"

#include "imaging/GraphicErrors.h"
#include "imaging/JPEGImage.h"
#include "library/ThumbnailFit.h"

#include <climits>
#include <memory>

namespace vidlark {

namespace {
constexpr const char* gesEmptyPicture = "The picture has no pixels.";

void FreePixels(void* pixels)
{
    delete static_cast<TRGBAImage*>(pixels);
}
} // namespace

QImage PictureImage(const TGraphic& picture)
{
    auto rgba = std::make_unique<TRGBAImage>(picture.ToRGBA(false));
    const std::uint64_t rowBytes = std::uint64_t{rgba->Width} * 4;
    if (rgba->Width == 0 || rgba->Height == 0 || rgba->Width > INT_MAX / 4 || rgba->Height > INT_MAX ||
        rgba->Pixels.size() / rowBytes < rgba->Height)
        return {};
    // The image takes the samples over without a copy and frees them.
    TRGBAImage* pixels = rgba.get();
    QImage image(pixels->Pixels.data(), static_cast<int>(pixels->Width), static_cast<int>(pixels->Height),
                 static_cast<qsizetype>(rowBytes), QImage::Format_RGBA8888, FreePixels, pixels);
    if (image.isNull())
        return {};
    rgba.release();
    return image;
}

TThumbnailPicture LoadJpegThumbnail(const std::filesystem::path& fileName, bool dctScaling)
{
    TJPEGImage jpeg;
    if (dctScaling) {
        jpeg.Scale = TJPEGScale::jsEighth;
        jpeg.MinWidth = ThumbnailBoxWidth;
        jpeg.MinHeight = ThumbnailBoxHeight;
    }
    jpeg.LoadFromFile(fileName);
    TThumbnailPicture picture{PictureImage(jpeg),
                              QSize(static_cast<int>(jpeg.FullWidth()), static_cast<int>(jpeg.FullHeight()))};
    if (picture.Image.isNull() || picture.FullSize.isEmpty())
        RaiseGraphicError(gesEmptyPicture);
    return picture;
}

} // namespace vidlark
