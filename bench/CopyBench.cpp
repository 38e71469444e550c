// The copy engine against `cp` followed by `sync` of the copy, on one 1 GiB
// file in a temporary folder on the same disk: wall time of each, and the
// bytes left dirty in the page cache when the gauge would reach its maximum.
// A plain program: the peer runs as processes of its own.
//
//   vidlark_copy_bench [folder] [MiB]     (defaults: the temp folder, 1024)

#include "platform/CopySource.h"
#include "platform/CopyTarget.h"
#include "platform/FileCalls.h"
#include "transfer/BlockCopy.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

using namespace vidlark;
using Clock = std::chrono::steady_clock;

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
    for (std::int64_t done = 0; done < bytes; done += static_cast<std::int64_t>(block.size()))
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    out.close();
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
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
            return false;
        };
        if (!CopyInBlocks(source, target, hooks)) {
            std::fprintf(stderr, "engine copy failed\n");
            std::exit(1);
        }
    }
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return run;
}

double RunPeer(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string command = "cp '" + from.string() + "' '" + to.string() + "' && sync '" + to.string() + "'";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "peer failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path base = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const std::int64_t mib = argc > 2 ? std::atoll(argv[2]) : 1024;
    std::string pattern = (base / "vidlark-copy-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    const auto source = folder / "source.bin";
    WriteSource(source, mib * 1048576);

    constexpr int Rounds = 3;
    std::vector<double> engine, peer;
    long long dirtyAtMax = 0, peakDirty = 0;
    for (int round = 0; round < Rounds; ++round) {
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
    }
    std::filesystem::remove_all(folder);

    std::sort(engine.begin(), engine.end());
    std::sort(peer.begin(), peer.end());
    const double e = engine[Rounds / 2], p = peer[Rounds / 2];
    std::printf("file: %lld MiB, %d rounds, medians\n", static_cast<long long>(mib), Rounds);
    std::printf("engine (512 KiB blocks, paced write-back, fsync, rename): %.2f s\n", e);
    std::printf("cp + sync of the copy:                                   %.2f s\n", p);
    std::printf("ratio engine / peer: %.2f\n", e / p);
    std::printf("unwritten page-cache bytes (system-wide, above the level before) when the gauge reaches its maximum: "
                "%lld (worst round); peak during a copy: %lld (the engine's own bound: %zu)\n",
                dirtyAtMax, peakDirty, (TCopyTarget::WriteBackDepth + 1) * CopyBlockSize);
    return 0;
}
