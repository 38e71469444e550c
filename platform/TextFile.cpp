#include "platform/TextFile.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidlark {

std::optional<std::string> ReadTextFile(const std::filesystem::path& path)
{
    const TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd.IsOpen() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)
        || static_cast<std::uintmax_t>(st.st_size) > MaxTextFileSize)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > MaxTextFileSize)
            return std::nullopt;
    }
    return bytes;
}

namespace {

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool ReplaceTextFile(const std::filesystem::path& link, const std::string& bytes)
{
    // A settings file kept as a link elsewhere stays a link: replace its target.
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(link, ec);
    const std::filesystem::path& path = ec ? link : canonical;
    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    TFileDescriptor fd(::mkstemp(temporary.data()));
    if (!fd.IsOpen())
        return false;
    struct stat old;
    ::fchmod(fd.Get(), ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const bool written = WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0;
    if (fd.Close() != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace vidlark
