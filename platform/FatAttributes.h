#pragma once

#include <filesystem>

namespace vidlark {

// The hidden and system attributes of a file on a FAT volume; both false on
// other file systems and when they cannot be read.
struct TFatAttributes {
    bool Hidden = false;
    bool System = false;
};

// True when the folder lies on a FAT volume. A listing asks once per folder:
// the files in a folder lie on its volume.
bool IsOnFatVolume(const std::filesystem::path& folder);

// Reads the attributes of the file name in the open folder folderFd, on a
// FAT volume.
TFatAttributes ReadFatAttributes(int folderFd, const char* name);

} // namespace vidlark
