// Listing a video folder of 1000 small MP4 files that carry both boxes,
// against the floor: opening each file twice, reading 64 bytes and closing
// it. Warm cache; prints medians per file and the ratios. The reader alone
// (title and profile of each file, no window) is shown beside them.
//
//   vidlark_listing_bench [rounds]
//   vidlark_listing_bench prepare FOLDER       writes the 1000 files
//   vidlark_listing_bench once FOLDER PART     one pass of listing, reader,
//                                              floor or none (for strace -c)
#include "app/TTovan_Form1.h"
#include "media/PspMetadata.h"
#include "platform/FakePlatform.h"
#include "tests/platform/TempFolder.h"

#include <QApplication>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr int FileCount = 1000;
const char* const VideoFolder = "MP_ROOT/100MNV01";

// The drive's folder: 1000 copies of a clip from ffmpeg's psp muxer with a
// Japanese title (ftyp, uuid/VPRF, mdat, then moov/uuid/MTDT at the end).
void Prepare(const fs::path& drive)
{
    const fs::path folder = drive / VideoFolder;
    fs::create_directories(folder);
    const fs::path clip = fs::path(VIDLARK_TEST_FIXTURES) / "h264-jpn.mp4";
    for (int n = 1; n <= FileCount; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "M4V0%04d.MP4", n);
        fs::copy_file(clip, folder / name, fs::copy_options::overwrite_existing);
    }
}

std::vector<fs::path> Files(const fs::path& drive)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(drive / VideoFolder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The floor: what any reader of two small fields per file must do at least.
void Floor(const std::vector<fs::path>& files)
{
    char bytes[64];
    for (const fs::path& file : files) {
        for (int pass = 0; pass < 2; ++pass) {
            const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::read(fd, bytes, sizeof bytes) != sizeof bytes) {
                std::perror(file.c_str());
                std::exit(1);
            }
            ::close(fd);
        }
    }
}

void Reader(const std::vector<fs::path>& files)
{
    TVideoProfile profile;
    for (const fs::path& file : files) {
        if (ReadPspTitle(file, file.string()).empty())
            std::exit(1);
        ReadVideoProfile(file, file.string(), profile);
    }
}

struct TWindow {
    explicit TWindow(const fs::path& drive, const fs::path& settings)
    {
        platform.MapDrive('E', drive);
        platform.SettingsFile = settings;
        window = std::make_unique<TTovan_Form1>(platform);
        window->DriveRoot = "E:\\";
        window->DestKind = dkMpeg4;
    }
    void List()
    {
        window->RefreshLibrary();
        if (window->ListView1->topLevelItemCount() != FileCount ||
            window->ListView1->topLevelItem(0)->text(7) != "AVC1") {
            std::fprintf(stderr, "the folder was not listed\n");
            std::exit(1);
        }
    }
    TFakePlatform platform;
    std::unique_ptr<TTovan_Form1> window;
};

// Wall time and the processor time of this thread (user and system), per
// file: on a shared machine the wall time also holds the waits for a core.
struct TPerFile {
    double Wall = 0;
    double Processor = 0;
};

double ThreadSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TPerFile MicrosecondsPerFile(const std::function<void()>& pass)
{
    const double processorStart = ThreadSeconds();
    const auto start = std::chrono::steady_clock::now();
    pass();
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::micro>(end - start).count() / FileCount,
            (ThreadSeconds() - processorStart) * 1e6 / FileCount};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Once(const fs::path& drive, const std::string& part)
{
    TWindow window(drive, drive.parent_path() / "vidlark.ini");
    const auto files = Files(drive);
    if (part == "listing")
        window.List();
    else if (part == "reader")
        Reader(files);
    else if (part == "floor")
        Floor(files);
    else if (part != "none")
        return 2;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "prepare") == 0) {
        Prepare(argv[2]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "once") == 0)
        return Once(argv[2], argv[3]);

    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    TTempFolder temp;
    Prepare(temp / "E");
    TWindow window(temp / "E", temp / "vidlark.ini");
    const auto files = Files(temp / "E");

    // One pass of each first, so every file is in the page cache.
    window.List();
    Reader(files);
    Floor(files);
    std::vector<TPerFile> listing, reader, floor;
    for (int round = 0; round < rounds; ++round) {
        listing.push_back(MicrosecondsPerFile([&] { window.List(); }));
        reader.push_back(MicrosecondsPerFile([&] { Reader(files); }));
        floor.push_back(MicrosecondsPerFile([&] { Floor(files); }));
    }
    const auto medians = [](const std::vector<TPerFile>& runs) {
        std::vector<double> wall, processor;
        for (const TPerFile& run : runs) {
            wall.push_back(run.Wall);
            processor.push_back(run.Processor);
        }
        return TPerFile{Median(wall), Median(processor)};
    };
    const TPerFile floorUs = medians(floor);
    std::printf("%d files, median of %d rounds, microseconds per file: wall, processor (user + system)\n",
                FileCount, rounds);
    const auto print = [&](const char* what, const TPerFile& us) {
        std::printf("  %-40s %8.2f %8.2f   %.2f x floor (wall)  %.2f x floor (processor)\n", what, us.Wall,
                    us.Processor, us.Wall / floorUs.Wall, us.Processor / floorUs.Processor);
    };
    print("floor (2 x open, read 64 bytes, close)", floorUs);
    print("reader (title + profile)", medians(reader));
    print("RefreshLibrary (whole listing)", medians(listing));
    return 0;
}
