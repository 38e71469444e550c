// The copy engine against `cp` followed by `sync` of the copy, on one file in
// a temporary folder on the same disk: the median wall time of each over
// alternating rounds, their ratio, and the bytes left dirty in the page cache
// when the gauge would reach its maximum. A plain program: the peer runs as
// processes of its own. The folder goes with everything in it on every way
// out: success, a failed round, an exception, Ctrl-C or a termination signal.
//
//   vidlark_copy_bench [folder] [MiB] [rounds]   (defaults: the temp folder, 1024, 5)

#include "platform/CopySource.h"
#include "platform/CopyTarget.h"
#include "platform/FileCalls.h"
#include "tests/platform/TempFolder.h"
#include "transfer/BlockCopy.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace vidlark;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t Interrupted = 0;

void NoteInterruption(int) { Interrupted = 1; }

void StopIfInterrupted()
{
    if (Interrupted)
        throw std::runtime_error("interrupted");
}

// Dirty plus under-write-back bytes of the whole system, from /proc/meminfo.
long long UnwrittenBytes()
{
    std::ifstream in("/proc/meminfo");
    std::string key;
    long long value = 0;
    std::string unit;
    long long total = 0;
    while (in >> key >> value >> unit) {
        if (key == "Dirty:" || key == "Writeback:")
            total += value * 1024;
    }
    return total;
}

void WriteSource(const std::filesystem::path& path, std::int64_t bytes)
{
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 31 + 7);
    std::ofstream out(path, std::ios::binary);
    for (std::int64_t done = 0; done < bytes && out; done += static_cast<std::int64_t>(block.size())) {
        StopIfInterrupted();
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    out.close();
    if (!out)
        throw std::runtime_error("cannot write the source file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw std::runtime_error("cannot sync the source file");
}

struct TEngineRun {
    double Seconds = 0;
    long long DirtyAtGaugeMax = 0; // above the level before the copy
    long long PeakDirty = 0;
};

TEngineRun RunEngine(const std::filesystem::path& from, const std::filesystem::path& to)
{
    TEngineRun run;
    const long long before = UnwrittenBytes();
    const auto start = Clock::now();
    TCopySource source(from);
    const std::int64_t gaugeMax = source.Size() / 1048576;
    std::int64_t settled = 0;
    bool gaugeFull = false;
    {
        TCopyTarget target(to, TReplaceRule::rrReplace, TFileCalls::System());
        TBlockCopyHooks hooks;
        hooks.Settled = [&](std::int64_t bytes) {
            settled += bytes;
            if (!gaugeFull && settled / 1048576 >= gaugeMax) {
                gaugeFull = true;
                run.DirtyAtGaugeMax = std::max(0LL, UnwrittenBytes() - before);
            }
        };
        hooks.AfterBlock = [&] {
            run.PeakDirty = std::max(run.PeakDirty, UnwrittenBytes() - before);
            return Interrupted != 0;
        };
        if (!CopyInBlocks(source, target, hooks)) {
            StopIfInterrupted();
            throw std::runtime_error("the engine's copy fell short");
        }
    }
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return run;
}

double RunPeer(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string command = "cp '" + from.string() + "' '" + to.string() + "' && sync '" + to.string() + "'";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    StopIfInterrupted();
    if (status != 0)
        throw std::runtime_error("the peer failed: " + command);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Bench(const std::filesystem::path& folder, std::int64_t mib, int rounds)
{
    const auto source = folder / "source.bin";
    WriteSource(source, mib * 1048576);

    std::vector<double> engine, peer;
    long long dirtyAtMax = 0, peakDirty = 0;
    for (int round = 0; round < rounds; ++round) {
        // Alternate the order so neither side always finds a quieter disk.
        const bool engineFirst = round % 2 == 0;
        if (!engineFirst)
            peer.push_back(RunPeer(source, folder / "peer.bin"));
        const TEngineRun run = RunEngine(source, folder / "engine.bin");
        engine.push_back(run.Seconds);
        dirtyAtMax = std::max(dirtyAtMax, run.DirtyAtGaugeMax);
        peakDirty = std::max(peakDirty, run.PeakDirty);
        if (engineFirst)
            peer.push_back(RunPeer(source, folder / "peer.bin"));
        std::filesystem::remove(folder / "engine.bin");
        std::filesystem::remove(folder / "peer.bin");
        std::printf("round %d: engine %.2f s, cp + sync %.2f s\n", round + 1, engine.back(), peer.back());
        std::fflush(stdout);
    }

    const double e = Median(engine), p = Median(peer);
    std::printf("file: %lld MiB, %d rounds, medians\n", static_cast<long long>(mib), rounds);
    std::printf("engine (blocks of %zu KiB, paced write-back, fsync, rename): %.2f s\n", CopyBlockSize / 1024, e);
    std::printf("cp + sync of the copy:                                   %.2f s\n", p);
    std::printf("ratio engine / peer: %.2f\n", e / p);
    std::printf("unwritten page-cache bytes (system-wide, above the level before) when the gauge reaches its maximum: "
                "%lld (worst round); peak during a copy: %lld (the engine's own bound: %lld)\n",
                dirtyAtMax, peakDirty, static_cast<long long>(TCopyTarget::MaxWriteBackBytes + CopyBlockSize));
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path base = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const std::int64_t mib = argc > 2 ? std::atoll(argv[2]) : 1024;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    if (mib < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: vidlark_copy_bench [folder] [MiB] [rounds]\n");
        return 2;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, NoteInterruption);
    try {
        const TTempFolder folder(base, "vidlark-copy-bench-");
        if (folder.Path().empty())
            throw std::runtime_error("cannot make a folder in " + base.string());
        Bench(folder.Path(), mib, rounds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vidlark_copy_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
