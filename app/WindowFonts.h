#pragma once

#include <QFont>

namespace vidlark {

// The window's face at a pixel height: the Japanese Gothic the program was
// drawn with, else a metric-compatible one, else the system's sans-serif.
QFont WindowFont(int pixelSize, bool bold);

} // namespace vidlark
