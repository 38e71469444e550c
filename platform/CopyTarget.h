#pragma once

#include "platform/FileCalls.h"
#include "platform/FileDescriptor.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>

namespace vidlark {

enum class TReplaceRule {
    rrReplace,      // an existing file of the target's name is replaced
    rrNeverReplace, // an existing file makes the copy fail
};

// The destination of one copy. The data go to a hidden temporary file in the
// target's folder and take the target's name only in Commit, after they have
// reached the device; a copy that ends any other way removes the temporary
// file, so the target is either the whole new file or what was there before.
//
// Write-back is started after every block and waited for, oldest block
// first, once more bytes are in write-back than the device writes in
// WriteBackTime at the pace this copy has seen so far, within MinWriteBack-
// Bytes and MaxWriteBackBytes. The progress shown (TakeSettledBytes) is what
// the device has. A slow stick so keeps little unwritten data and shows
// progress soon; a fast disk gets enough queued to stay busy while this
// process waits for the processor (a fixed 8 MiB ran dry there). Blocks
// that were waited for leave the page cache, since nothing reads them back.
class TCopyTarget {
public:
    // Removes temporary files that an interrupted copy left in the folder, then
    // creates this copy's own. Throws TCopyError.
    TCopyTarget(const std::filesystem::path& target, TReplaceRule rule, TFileCalls& calls);
    TCopyTarget(const TCopyTarget&) = delete;
    TCopyTarget& operator=(const TCopyTarget&) = delete;
    ~TCopyTarget();

    // Appends the bytes; returns how many were written, fewer when the medium
    // refuses more (full, file too large for it, I/O error). Throws TCopyError
    // when the write-back fails.
    std::size_t Write(const std::byte* data, std::size_t length);
    // The bytes that have reached the device since the last call.
    std::int64_t TakeSettledBytes();
    // Sets the last-write time, syncs the file, gives it the target's name and
    // syncs the folder. Throws TCopyError.
    void Commit(std::int64_t lastWriteSeconds);

    // The errno value of the write that fell short, else 0.
    int WriteError() const { return LastWriteError; }
    const std::string& TemporaryName() const { return TempName; }

    // Bounds of the bytes whose write-back may run at once.
    static constexpr std::int64_t MinWriteBackBytes = std::int64_t{8} << 20;
    static constexpr std::int64_t MaxWriteBackBytes = std::int64_t{128} << 20;
    static constexpr std::chrono::milliseconds WriteBackTime{250};

    // Temporary files of this engine begin and end so; nothing else does.
    static bool IsTemporaryName(const std::string& name);

private:
    void RemoveLeftovers();
    void CreateTemporary();
    std::int64_t WriteBackWindow() const;
    void SettleOldestBlock();

    TFileCalls& Calls;
    TReplaceRule Rule;
    std::string TargetName;
    std::string TempName;
    TFileDescriptor Folder;
    TFileDescriptor File;
    bool Committed = false;
    std::int64_t Written = 0;
    std::deque<std::pair<std::int64_t, std::int64_t>> Pending; // offset, length of blocks in write-back
    std::int64_t PendingBytes = 0;
    std::int64_t Settled = 0;      // not yet taken
    std::int64_t SettledTotal = 0;
    std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
    int LastWriteError = 0;
};

} // namespace vidlark
