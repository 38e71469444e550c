#include "platform/FatAttributes.h"

#include "platform/FileDescriptor.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

namespace vidlark {

bool IsOnFatVolume(const std::filesystem::path& folder)
{
    struct statfs fs;
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == MSDOS_SUPER_MAGIC;
}

TFatAttributes ReadFatAttributes(int folderFd, const char* name)
{
    TFatAttributes result;
    const TFileDescriptor fd(::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    __u32 attributes = 0;
    if (!fd.IsOpen() || ::ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0)
        return result;
    result.Hidden = (attributes & ATTR_HIDDEN) != 0;
    result.System = (attributes & ATTR_SYS) != 0;
    return result;
}

} // namespace vidlark
