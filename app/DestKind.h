#pragma once

#include <cstdint>

namespace vidlark {

// The kind of destination folder on the stick.
enum TDestKind : std::int32_t {
    dkMpeg4 = 0,
    dkMusic = 1,
    dkPhoto = 2,
    dkAvc = 3,
};

} // namespace vidlark
