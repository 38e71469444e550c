#include "library/ThumbnailFit.h"

#include <algorithm>

namespace vidlark {

QRect FitThumbnailRect(std::int64_t pictureWidth, std::int64_t pictureHeight, int listLeft, int listBottom)
{
    // 64-bit products: a very tall picture would overflow 32 bits.
    std::int64_t width = ThumbnailBoxWidth;
    std::int64_t height = ThumbnailBoxHeight;
    if (pictureWidth > 0 && pictureHeight > 0) {
        height = pictureHeight * ThumbnailBoxWidth / pictureWidth;
        if (height > ThumbnailBoxHeight) {
            height = ThumbnailBoxHeight;
            width = pictureWidth * ThumbnailBoxHeight / pictureHeight;
        }
    }
    width = std::max<std::int64_t>(width, 1);
    height = std::max<std::int64_t>(height, 1);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    return QRect(listLeft + 2 + (ThumbnailBoxWidth - w) / 2, listBottom + 7 + (ThumbnailBoxHeight - h) / 2, w, h);
}

} // namespace vidlark
