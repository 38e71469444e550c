#include "platform/CopyTarget.h"

#include "platform/CopyError.h"
#include "platform/CopyLeftovers.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

namespace vidlark {

namespace {

constexpr const char* TempPrefix = ".vidlark-";
constexpr const char* TempSuffix = ".part";

void ThrowIf(int error, const std::string& what)
{
    if (error != 0)
        throw TCopyError(what, error);
}

std::string UniqueTempName(unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned long long mix = static_cast<unsigned long long>(now) * 0x9E3779B97F4A7C15ull
        ^ (static_cast<unsigned long long>(::getpid()) << 32) ^ (counter++ * 7919u) ^ attempt;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", mix);
    return std::string(TempPrefix) + hex + TempSuffix;
}

} // namespace

bool TCopyTarget::IsTemporaryName(const std::string& name)
{
    const std::size_t prefix = std::char_traits<char>::length(TempPrefix);
    const std::size_t suffix = std::char_traits<char>::length(TempSuffix);
    // FAT may hand the name back in another letter case.
    return name.size() > prefix + suffix
        && ::strncasecmp(name.c_str(), TempPrefix, prefix) == 0
        && ::strcasecmp(name.c_str() + name.size() - suffix, TempSuffix) == 0;
}

TCopyTarget::TCopyTarget(const std::filesystem::path& target, TReplaceRule rule, TFileCalls& calls)
    : Calls(calls), Rule(rule), TargetName(target.filename().string())
{
    if (TargetName.empty() || TargetName == "." || TargetName == "..")
        throw TCopyError("no file name in " + target.string(), EINVAL);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    Folder = TFileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!Folder.IsOpen())
        throw TCopyError("cannot open folder " + folder.string(), errno);
    RemoveLeftovers();
    CreateTemporary();
}

TCopyTarget::~TCopyTarget()
{
    if (Committed)
        return;
    File.Close();
    // If even this fails, the next copy into the folder removes the file.
    Calls.Unlink(Folder.Get(), TempName.c_str());
}

void TCopyTarget::RemoveLeftovers()
{
    RemoveCopyLeftovers(Folder.Get(), Calls);
}

void TCopyTarget::CreateTemporary()
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        TempName = UniqueTempName(attempt);
        const int fd = ::openat(Folder.Get(), TempName.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            File = TFileDescriptor(fd);
            return;
        }
        if (errno != EEXIST)
            throw TCopyError("cannot create a file in the folder of " + TargetName, errno);
    }
    throw TCopyError("no free temporary name beside " + TargetName, EEXIST);
}

std::size_t TCopyTarget::Write(const std::byte* data, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(File.Get(), data + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            LastWriteError = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (done == 0)
        return 0;
    const std::int64_t offset = Written;
    Written += static_cast<std::int64_t>(done);
    ThrowIf(Calls.SyncRange(File.Get(), offset, static_cast<std::int64_t>(done), SYNC_FILE_RANGE_WRITE),
            "write-back failed");
    Pending.push_back({offset, static_cast<std::int64_t>(done)});
    PendingBytes += static_cast<std::int64_t>(done);
    const std::int64_t window = WriteBackWindow();
    while (PendingBytes > window)
        SettleOldestBlock();
    return done;
}

std::int64_t TCopyTarget::WriteBackWindow() const
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
    const double bytesPerSecond = seconds > 0 ? static_cast<double>(SettledTotal) / seconds : 0;
    const double wanted = bytesPerSecond * std::chrono::duration<double>(WriteBackTime).count();
    return static_cast<std::int64_t>(
        std::clamp(wanted, static_cast<double>(MinWriteBackBytes), static_cast<double>(MaxWriteBackBytes)));
}

void TCopyTarget::SettleOldestBlock()
{
    const auto [offset, length] = Pending.front();
    ThrowIf(Calls.SyncRange(File.Get(), offset, length,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER),
            "write-back failed");
    // Only advice: a page the kernel keeps costs memory, not correctness.
    ::posix_fadvise(File.Get(), offset, length, POSIX_FADV_DONTNEED);
    Settled += length;
    SettledTotal += length;
    PendingBytes -= length;
    Pending.pop_front();
}

std::int64_t TCopyTarget::TakeSettledBytes()
{
    const std::int64_t bytes = Settled;
    Settled = 0;
    return bytes;
}

void TCopyTarget::Commit(std::int64_t lastWriteSeconds)
{
    if (Committed)
        throw TCopyError("copy committed twice", EINVAL);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(lastWriteSeconds), 0}};
    if (::futimens(File.Get(), times) != 0)
        throw TCopyError("cannot set the last-write time", errno);
    // fsync, not fdatasync: the time stamp has to reach the device too.
    ThrowIf(Calls.Fsync(File.Get()), "sync failed");
    ThrowIf(File.Close(), "close failed");
    ThrowIf(Calls.Rename(Folder.Get(), TempName.c_str(), TargetName.c_str(),
                         Rule == TReplaceRule::rrNeverReplace),
            "cannot rename to " + TargetName);
    Committed = true;
    Settled += PendingBytes;
    SettledTotal += PendingBytes;
    PendingBytes = 0;
    Pending.clear();
    const int folderError = Calls.Fsync(Folder.Get());
    if (folderError != EINVAL) // folders that cannot be synced keep their entries anyway
        ThrowIf(folderError, "folder sync failed");
}

} // namespace vidlark
