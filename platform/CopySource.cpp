#include "platform/CopySource.h"

#include "platform/CopyError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace vidlark {

TCopySource::TCopySource(const std::filesystem::path& path)
    // Non-blocking, so that a pipe cannot stall the open until it is refused
    // below; the flag does nothing to reads of a regular file.
    : File(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
{
    if (!File.IsOpen())
        throw TCopyError("cannot open " + path.string(), errno);
    struct stat st;
    if (::fstat(File.Get(), &st) != 0)
        throw TCopyError("cannot examine " + path.string(), errno);
    if (!S_ISREG(st.st_mode))
        throw TCopyError(path.string() + " is no regular file", EISDIR);
    SizeAtOpen = st.st_size;
    LastWrite = st.st_mtim.tv_sec;
    // Read once from start to end: a larger read-ahead. Only advice.
    ::posix_fadvise(File.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::size_t TCopySource::Read(std::byte* buffer, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(File.Get(), buffer + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TCopyError("read failed", errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    Offset += static_cast<std::int64_t>(done);
    return done;
}

} // namespace vidlark
