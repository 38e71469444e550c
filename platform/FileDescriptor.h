#pragma once

#include <cerrno>
#include <unistd.h>

namespace vidlark {

// Owns one open file descriptor.
class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept
    {
        if (this != &other) {
            Close();
            Fd = other.Fd;
            other.Fd = -1;
        }
        return *this;
    }
    ~TFileDescriptor() { Close(); }

    int Get() const { return Fd; }
    bool IsOpen() const { return Fd >= 0; }
    // Closes now; 0 or the errno value of a failed close.
    int Close()
    {
        if (Fd < 0)
            return 0;
        const int rc = ::close(Fd);
        Fd = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int Fd = -1;
};

} // namespace vidlark
