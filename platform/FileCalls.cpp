#include "platform/FileCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidlark {

namespace {

int ErrnoOf(int rc) { return rc == 0 ? 0 : errno; }

} // namespace

int TFileCalls::SyncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags)
{
    int rc;
    do {
        rc = ::sync_file_range(fd, offset, length, flags);
    } while (rc != 0 && errno == EINTR);
    return ErrnoOf(rc);
}

int TFileCalls::Fsync(int fd)
{
    return ErrnoOf(::fsync(fd));
}

int TFileCalls::Rename(int dirFd, const char* from, const char* to, bool noReplace)
{
    if (!noReplace)
        return ErrnoOf(::renameat(dirFd, from, dirFd, to));
    if (::renameat2(dirFd, from, dirFd, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: look first. Only this program writes
    // device names into the folder, so the gap between look and rename is ours.
    struct stat st;
    if (::fstatat(dirFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ErrnoOf(::renameat(dirFd, from, dirFd, to));
}

int TFileCalls::Unlink(int dirFd, const char* name)
{
    return ErrnoOf(::unlinkat(dirFd, name, 0));
}

TFileCalls& TFileCalls::System()
{
    static TFileCalls calls;
    return calls;
}

int TInjectedFileCalls::SyncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags)
{
    return SyncRangeError ? SyncRangeError : TFileCalls::SyncRange(fd, offset, length, flags);
}

int TInjectedFileCalls::Fsync(int fd)
{
    return FsyncError ? FsyncError : TFileCalls::Fsync(fd);
}

int TInjectedFileCalls::Rename(int dirFd, const char* from, const char* to, bool noReplace)
{
    return RenameError ? RenameError : TFileCalls::Rename(dirFd, from, to, noReplace);
}

int TInjectedFileCalls::Unlink(int dirFd, const char* name)
{
    return UnlinkError ? UnlinkError : TFileCalls::Unlink(dirFd, name);
}

} // namespace vidlark
