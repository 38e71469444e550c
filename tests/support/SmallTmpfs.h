#pragma once
// A 1 MiB tmpfs mounted over a folder for full-disk tests; needs root, so a
// test checks Mounted() and skips otherwise. Unmounted when it goes away.

#include <filesystem>

#include <sys/mount.h>
#include <unistd.h>

class TSmallTmpfs {
public:
    explicit TSmallTmpfs(std::filesystem::path point) : Point(std::move(point))
    {
        IsMounted = ::geteuid() == 0 && ::mount("tmpfs", Point.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~TSmallTmpfs()
    {
        if (IsMounted)
            ::umount(Point.c_str());
    }
    TSmallTmpfs(const TSmallTmpfs&) = delete;
    TSmallTmpfs& operator=(const TSmallTmpfs&) = delete;

    bool Mounted() const { return IsMounted; }

private:
    std::filesystem::path Point;
    bool IsMounted = false;
};
