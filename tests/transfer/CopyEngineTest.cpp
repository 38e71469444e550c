// The copy engine on real files: whole copies, time stamps, and every way a
// copy can end early, each leaving the old target intact and no temporary file.

#include "platform/CopyError.h"
#include "platform/CopySource.h"
#include "platform/CopyTarget.h"
#include "platform/DosTime.h"
#include "platform/FileCalls.h"
#include "tests/transfer/TransferTestFiles.h"
#include "transfer/BlockCopy.h"
#include "tests/support/SmallTmpfs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace vidlark {
namespace {

using test::NamesIn;
using test::PatternBytes;
using test::ReadFile;
using test::WriteFile;

struct TCopyRun {
    std::int64_t SettledTotal = 0;
    int Blocks = 0;
};

// Copies with hooks that count and may stop or meddle after block n.
bool Copy(const std::filesystem::path& from, const std::filesystem::path& to, TCopyRun& run,
          TReplaceRule rule = TReplaceRule::rrReplace, TFileCalls& calls = TFileCalls::System(),
          std::function<bool(int block)> afterBlock = {})
{
    TCopySource source(from);
    TCopyTarget target(to, rule, calls);
    TBlockCopyHooks hooks;
    hooks.Settled = [&](std::int64_t bytes) { run.SettledTotal += bytes; };
    hooks.AfterBlock = [&] {
        ++run.Blocks;
        return afterBlock ? afterBlock(run.Blocks) : false;
    };
    return CopyInBlocks(source, target, hooks);
}

TEST(CopyEngine, CopiesEveryByteOfSizesAroundTheBlockSize)
{
    TTempFolder folder;
    std::filesystem::create_directory(folder / "out");
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, CopyBlockSize, 2 * CopyBlockSize + 3}) {
        const auto bytes = PatternBytes(size, static_cast<unsigned>(size));
        WriteFile(folder / "src.bin", bytes);
        TCopyRun run;
        ASSERT_TRUE(Copy(folder / "src.bin", folder / "out" / "dst.bin", run)) << size;
        EXPECT_EQ(ReadFile(folder / "out" / "dst.bin"), bytes) << size;
        EXPECT_EQ(run.SettledTotal, static_cast<std::int64_t>(size));
        EXPECT_EQ(run.Blocks, size == 0 ? 1 : static_cast<int>((size + CopyBlockSize - 1) / CopyBlockSize));
        EXPECT_EQ(NamesIn(folder / "out"), std::vector<std::string>{"dst.bin"});
    }
}

// The real calls on a device that takes 20 ms to finish each block it is
// waited for (26 MB/s at most, so the window stays at its minimum), counting
// what was waited for and synced.
class TSlowDeviceCalls : public TFileCalls {
public:
    int SyncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags) override
    {
        if (flags & SYNC_FILE_RANGE_WAIT_AFTER) {
            ::usleep(20000);
            WaitedBytes += length;
        }
        return TFileCalls::SyncRange(fd, offset, length, flags);
    }
    int Fsync(int fd) override
    {
        ++Fsyncs;
        return TFileCalls::Fsync(fd);
    }
    std::int64_t WaitedBytes = 0;
    int Fsyncs = 0;
};

TEST(CopyEngine, ProgressCountsOnlyWhatWasWaitedForOrSynced)
{
    TTempFolder folder;
    const auto block = static_cast<std::int64_t>(CopyBlockSize);
    const auto windowBlocks = static_cast<int>(TCopyTarget::MinWriteBackBytes / block);
    const int blocks = windowBlocks + 3;
    WriteFile(folder / "src.bin", PatternBytes(static_cast<std::size_t>(blocks) * CopyBlockSize));
    TSlowDeviceCalls calls;
    std::vector<std::int64_t> settledAfterBlock;
    TCopyRun run;
    ASSERT_TRUE(Copy(folder / "src.bin", folder / "dst.bin", run, TReplaceRule::rrReplace, calls, [&](int) {
        settledAfterBlock.push_back(run.SettledTotal);
        EXPECT_EQ(run.SettledTotal, calls.WaitedBytes);
        EXPECT_EQ(calls.Fsyncs, 0);
        return false;
    }));
    std::vector<std::int64_t> expected;
    for (int k = 1; k <= blocks; ++k)
        expected.push_back(std::max(0, k - windowBlocks) * block);
    EXPECT_EQ(settledAfterBlock, expected);
    // The rest counts once the file and its folder are synced.
    EXPECT_EQ(run.SettledTotal, blocks * block);
    EXPECT_EQ(calls.Fsyncs, 2);
}

TEST(CopyEngine, TargetTakesTheSourceTimeInDosSteps)
{
    TTempFolder folder;
    WriteFile(folder / "src.bin", PatternBytes(1000));
    test::SetLastWrite(folder / "src.bin", 1700000001, 900000000); // an odd second
    TCopyRun run;
    ASSERT_TRUE(Copy(folder / "src.bin", folder / "dst.bin", run));
    EXPECT_EQ(test::LastWrite(folder / "dst.bin"), 1700000000);
}

TEST(CopyEngine, DosTimeRoundsDownToEvenLocalSecondsAndClampsTheYears)
{
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(DosRoundedTime(1700000001), 1700000000);
    EXPECT_EQ(DosRoundedTime(1700000000), 1700000000);
    // 1980-01-01 00:00:00 and 2107-12-31 23:59:58 in Tokyo.
    EXPECT_EQ(DosRoundedTime(0), 315500400);
    EXPECT_EQ(DosRoundedTime(315500399), 315500400);
    EXPECT_EQ(DosRoundedTime(4354786798 + 100000), 4354786798);
    if (oldTz)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(CopyEngine, OldTargetSurvivesUntilTheCopyIsComplete)
{
    TTempFolder folder;
    const auto oldBytes = PatternBytes(100, 7);
    const auto newBytes = PatternBytes(2 * CopyBlockSize + 5, 8);
    WriteFile(folder / "song.mp3", oldBytes);
    WriteFile(folder / "src.mp3", newBytes);
    TCopyRun run;
    bool oldSeen = false;
    ASSERT_TRUE(Copy(folder / "src.mp3", folder / "song.mp3", run, TReplaceRule::rrReplace, TFileCalls::System(),
                     [&](int) {
                         oldSeen = ReadFile(folder / "song.mp3") == oldBytes;
                         return false;
                     }));
    EXPECT_TRUE(oldSeen);
    EXPECT_EQ(ReadFile(folder / "song.mp3"), newBytes);
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::string>{"song.mp3", "src.mp3"}));
}

// Every early end: the copy fails, the old file is untouched, nothing is left.
class CopyEngineEarlyEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(Folder / "src.bin", NewBytes);
        WriteFile(Folder / "dst" / "M4V09999.MP4", OldBytes);
    }
    void ExpectOldTargetAlone()
    {
        EXPECT_EQ(ReadFile(Folder / "dst" / "M4V09999.MP4"), OldBytes);
        EXPECT_EQ(NamesIn(Folder / "dst"), std::vector<std::string>{"M4V09999.MP4"});
    }
    std::filesystem::path Target() const { return Folder / "dst" / "M4V09999.MP4"; }

    TTempFolder Folder;
    const std::vector<char> OldBytes = PatternBytes(4096, 1);
    const std::vector<char> NewBytes = PatternBytes(3 * CopyBlockSize + 11, 2);
    TCopyRun Run;
};

TEST_F(CopyEngineEarlyEnd, CancelAfterAnyBlockAndAfterTheLast)
{
    for (const int stopAt : {1, 2, 4}) {
        TCopyRun run;
        EXPECT_FALSE(Copy(Folder / "src.bin", Target(), run, TReplaceRule::rrReplace, TFileCalls::System(),
                          [&](int block) { return block == stopAt; }));
        EXPECT_EQ(run.Blocks, stopAt);
        ExpectOldTargetAlone();
    }
}

TEST_F(CopyEngineEarlyEnd, DeviceNameNeverReplacesAnExistingFile)
{
    try {
        Copy(Folder / "src.bin", Target(), Run, TReplaceRule::rrNeverReplace);
        ADD_FAILURE() << "copy over an existing device name succeeded";
    } catch (const TCopyError& e) {
        EXPECT_EQ(e.Error, EEXIST);
    }
    ExpectOldTargetAlone();
}

TEST_F(CopyEngineEarlyEnd, InjectedSyncAndRenameFailures)
{
    for (int TInjectedFileCalls::*fault : {&TInjectedFileCalls::SyncRangeError, &TInjectedFileCalls::FsyncError,
                                           &TInjectedFileCalls::RenameError}) {
        TInjectedFileCalls calls;
        calls.*fault = EIO;
        TCopyRun run;
        EXPECT_THROW(Copy(Folder / "src.bin", Target(), run, TReplaceRule::rrReplace, calls), TCopyError);
        ExpectOldTargetAlone();
    }
}

TEST_F(CopyEngineEarlyEnd, LeftoverOfAFailedRemovalGoesWithTheNextCopy)
{
    TInjectedFileCalls calls;
    calls.UnlinkError = EIO;
    EXPECT_FALSE(Copy(Folder / "src.bin", Target(), Run, TReplaceRule::rrReplace, calls, [](int) { return true; }));
    const auto names = NamesIn(Folder / "dst");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(TCopyTarget::IsTemporaryName(names[0])) << names[0];

    TCopyRun run;
    ASSERT_TRUE(Copy(Folder / "src.bin", Folder / "dst" / "other.bin", run));
    EXPECT_EQ(NamesIn(Folder / "dst"), (std::vector<std::string>{"M4V09999.MP4", "other.bin"}));
}

TEST_F(CopyEngineEarlyEnd, SourceThatEndsBeforeItsSize)
{
    EXPECT_THROW(Copy(Folder / "src.bin", Target(), Run, TReplaceRule::rrReplace, TFileCalls::System(),
                      [&](int block) {
                          if (block == 1)
                              std::filesystem::resize_file(Folder / "src.bin", CopyBlockSize + 100);
                          return false;
                      }),
                 TCopyError);
    ExpectOldTargetAlone();
}

TEST_F(CopyEngineEarlyEnd, FolderIsNoSourceAndMissingFolderNoTarget)
{
    std::filesystem::create_directory(Folder / "clip.MP3");
    EXPECT_THROW(TCopySource(Folder / "clip.MP3"), TCopyError);
    EXPECT_THROW(TCopySource(Folder / "missing.bin"), TCopyError);
    EXPECT_THROW(TCopyTarget(Folder / "nowhere" / "x.bin", TReplaceRule::rrReplace, TFileCalls::System()),
                 TCopyError);
    ExpectOldTargetAlone();
}

// Runs in a child of its own: the limit holds for the whole process.
[[noreturn]] void CopyUnderFileSizeLimit(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit{CopyBlockSize + 1000, CopyBlockSize + 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool failedOnLimit = false;
    {
        TCopySource source(from);
        TCopyTarget target(to, TReplaceRule::rrReplace, TFileCalls::System());
        const TBlockCopyHooks hooks{[](std::int64_t) {}, [] { return false; }};
        failedOnLimit = !CopyInBlocks(source, target, hooks) && target.WriteError() == EFBIG;
    }
    std::_Exit(failedOnLimit ? 0 : 1);
}

TEST_F(CopyEngineEarlyEnd, FileSizeLimitFailsTheCopy)
{
    EXPECT_EXIT(CopyUnderFileSizeLimit(Folder / "src.bin", Target()), ::testing::ExitedWithCode(0), "");
    ExpectOldTargetAlone();
}

TEST_F(CopyEngineEarlyEnd, FullDiskFailsTheCopy)
{
    const auto mountPoint = Folder / "small";
    std::filesystem::create_directory(mountPoint);
    const TSmallTmpfs smallDisk(mountPoint);
    if (!smallDisk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    WriteFile(mountPoint / "song.mp3", OldBytes);
    bool copied = true;
    int writeError = 0;
    {
        TCopySource source(Folder / "src.bin");
        TCopyTarget target(mountPoint / "song.mp3", TReplaceRule::rrReplace, TFileCalls::System());
        TBlockCopyHooks hooks{[](std::int64_t) {}, [] { return false; }};
        copied = CopyInBlocks(source, target, hooks);
        writeError = target.WriteError();
    }
    EXPECT_FALSE(copied);
    EXPECT_EQ(writeError, ENOSPC);
    EXPECT_EQ(ReadFile(mountPoint / "song.mp3"), OldBytes);
    EXPECT_EQ(NamesIn(mountPoint), std::vector<std::string>{"song.mp3"});
}

} // namespace
} // namespace vidlark
