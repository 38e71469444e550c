#pragma once
// The system calls through which the copy engine makes its data durable and
// puts it in place. They sit behind one small interface so that tests can make
// a sync, a rename or a delete fail while everything else stays real.

#include <cstdint>

namespace vidlark {

class TFileCalls {
public:
    virtual ~TFileCalls() = default;

    // Each returns 0 on success, else the errno value of the failure.
    virtual int SyncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags);
    virtual int Fsync(int fd);
    // Renames within one folder; noReplace refuses an existing target.
    virtual int Rename(int dirFd, const char* from, const char* to, bool noReplace);
    virtual int Unlink(int dirFd, const char* name);

    // The real calls, shared by every copy.
    static TFileCalls& System();
};

// The real calls, with one failure per call kind that a test can switch on.
class TInjectedFileCalls : public TFileCalls {
public:
    int SyncRangeError = 0;
    int FsyncError = 0;
    int RenameError = 0;
    int UnlinkError = 0;

    int SyncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags) override;
    int Fsync(int fd) override;
    int Rename(int dirFd, const char* from, const char* to, bool noReplace) override;
    int Unlink(int dirFd, const char* name) override;
};

} // namespace vidlark
