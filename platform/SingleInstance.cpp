#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidlark {

std::string TSingleInstanceLock::LockPath(const std::string& className)
{
    std::string display = "none";
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            display = value;
            break;
        }
    }
    for (char& c : display)
        if (c == '/')
            c = '_';
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/" + className + "-" + display + ".lock";
    return "/tmp/" + className + "-" + std::to_string(::getuid()) + "-" + display + ".lock";
}

std::unique_ptr<TSingleInstanceLock> TSingleInstanceLock::Acquire(const std::string& className)
{
    const int fd = ::open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::unique_ptr<TSingleInstanceLock>(new TSingleInstanceLock(-1));
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TSingleInstanceLock>(new TSingleInstanceLock(fd));
}

TSingleInstanceLock::~TSingleInstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace vidlark
