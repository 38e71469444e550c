#pragma once
// Drive letters for the volumes of a system without them. C is the root file
// system; the volumes mounted under /media, /run/media and /mnt take the
// letters from D on in the order of their mount points. A letter stays with
// its volume (by device number) for the whole run: a volume that appears
// later takes the lowest letter no volume has had, and one that comes back
// gets its old letter again.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidlark {

struct TMountEntry {
    std::string Device;
    std::filesystem::path MountPoint;
    std::string FileSystem;
};

// The lines of /proc/self/mounts, with "\040"-style escapes undone.
std::vector<TMountEntry> ParseMountTable(std::string_view text);

// True for mount points strictly below /media, /run/media or /mnt.
bool IsRemovableMountPoint(const std::filesystem::path& mountPoint);

struct TVolume {
    std::uint64_t DeviceNumber = 0;
    std::filesystem::path MountPoint;
    std::string Device;
};

class TDriveLetters {
public:
    // The removable volumes now present, in any order.
    void Update(std::vector<TVolume> volumes);
    // The mount point of a letter; "/" for C.
    std::optional<std::filesystem::path> FolderOf(char letter) const;
    // The present volumes by letter, C excluded.
    const std::map<char, TVolume>& Present() const { return present_; }

private:
    std::map<std::uint64_t, char> letterOfDevice_;
    std::map<char, TVolume> present_;
};

} // namespace vidlark
