#pragma once
// Where a thumbnail goes: scaled into the 120 x 90 box under the library
// list with its aspect ratio kept, and centred in it.

#include <QRect>

#include <cstdint>

namespace vidlark {

inline constexpr int ThumbnailBoxWidth = 120;
inline constexpr int ThumbnailBoxHeight = 90;

// The picture's place for a picture of pictureWidth x pictureHeight, the box
// lying 2 pixels right of listLeft and 7 below listBottom. Divisions drop
// the fraction. A picture without area fills the box.
QRect FitThumbnailRect(std::int64_t pictureWidth, std::int64_t pictureHeight, int listLeft, int listBottom);

} // namespace vidlark
