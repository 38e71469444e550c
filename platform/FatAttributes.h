#pragma once

#include <filesystem>

namespace vidlark {

// The hidden and system attributes of a file on a FAT volume; both false on
// other file systems and when they cannot be read.
struct TFatAttributes {
    bool Hidden = false;
    bool System = false;
};

TFatAttributes ReadFatAttributes(const std::filesystem::path& path);

} // namespace vidlark
