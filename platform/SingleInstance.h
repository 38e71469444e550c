#pragma once

#include <memory>
#include <string>

namespace vidlark {

// The lock that lets one copy run per user and display: a lock file named
// after the window class, held with flock (the kernel lets go of it when the
// copy ends, however it ends).
class TSingleInstanceLock {
public:
    // Null when another copy holds the lock. When no lock file can be made
    // at all the program runs unguarded rather than not at all.
    static std::unique_ptr<TSingleInstanceLock> Acquire(const std::string& className);
    ~TSingleInstanceLock();
    TSingleInstanceLock(const TSingleInstanceLock&) = delete;
    TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;

    // The lock file for className on this display.
    static std::string LockPath(const std::string& className);

private:
    explicit TSingleInstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace vidlark
