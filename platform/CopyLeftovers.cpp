#include "platform/CopyLeftovers.h"

#include "platform/CopyTarget.h"
#include "platform/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vidlark {

namespace {

// A regular file last written before the limit. Folders and links named like
// leftovers are not ours.
bool WrittenBefore(int folderFd, const char* name, std::chrono::system_clock::time_point limit)
{
    struct stat st;
    if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return false;
    using std::chrono::system_clock;
    const auto sinceEpoch = std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec);
    return system_clock::time_point(std::chrono::duration_cast<system_clock::duration>(sinceEpoch)) < limit;
}

} // namespace

void RemoveCopyLeftovers(int folderFd, TFileCalls& calls, std::optional<std::chrono::system_clock::time_point> writtenBefore)
{
    // A descriptor of its own: closedir closes it.
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (TCopyTarget::IsTemporaryName(entry->d_name)
            && (!writtenBefore || WrittenBefore(folderFd, entry->d_name, *writtenBefore)))
            calls.Unlink(folderFd, entry->d_name);
    }
    ::closedir(dir);
}

void RemoveCopyLeftovers(const std::filesystem::path& folder, TFileCalls& calls,
                         std::chrono::system_clock::time_point writtenBefore)
{
    const TFileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.IsOpen())
        RemoveCopyLeftovers(folderFd.Get(), calls, writtenBefore);
}

} // namespace vidlark
