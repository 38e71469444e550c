// Decoding speed of the portable map reader against Pillow and ImageMagick
// on a 4000 x 3000 binary pixel map (P6, maximum 255), in one run.
//
// The machine is shared, so the three are measured in alternating rounds
// and each reports its median. Ours and Pillow are timed inside their own
// process (Pillow: open + load, after a first load of a 1 x 1 picture
// has imported its plug-ins); ImageMagick as a whole `convert x.ppm null:`
// process, less the same command on the 1 x 1 picture of that round.
//
//   vidlark_ppm_bench [FOLDER]   (scratch files go to FOLDER, default /tmp)

#include "imaging/PPMGraphic.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t Width = 4000;
constexpr std::uint32_t Height = 3000;
constexpr int Rounds = 9;
constexpr double MegaPixels = Width * double(Height) / 1e6;

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Start) { return std::chrono::duration<double>(TClock::now() - Start).count(); }

// Smooth ramps beside noise, as in a photo.
void WritePicture(const fs::path& Path, std::uint32_t W, std::uint32_t H)
{
    std::ofstream Out(Path, std::ios::binary);
    Out << "P6\n" << W << ' ' << H << "\n255\n";
    std::vector<char> Row(std::size_t{W} * 3);
    std::uint32_t Seed = 1;
    for (std::uint32_t y = 0; y < H; ++y) {
        for (std::uint32_t x = 0; x < W; ++x) {
            Seed = Seed * 1103515245u + 12345u;
            const bool Smooth = (x / 500 + y / 500) % 2 == 0;
            Row[3 * x] = static_cast<char>(Smooth ? y / 12 : Seed >> 16);
            Row[3 * x + 1] = static_cast<char>(Smooth ? x / 16 : Seed >> 8);
            Row[3 * x + 2] = static_cast<char>(Smooth ? 128 : Seed >> 24);
        }
        Out.write(Row.data(), static_cast<std::streamsize>(Row.size()));
    }
}

double Ours(const fs::path& Path)
{
    TPPMGraphic Picture;
    const auto Start = TClock::now();
    Picture.LoadFromFile(Path);
    return SecondsSince(Start);
}

// Seconds Pillow takes to open and load the picture, or a negative value
// without Pillow.
double Pillow(const fs::path& Path, const fs::path& Tiny)
{
    const std::string Command = "/usr/bin/python3 -c 'import sys, time\nfrom PIL import Image\n"
                                "Image.open(sys.argv[2]).load()\nt = time.perf_counter()\n"
                                "Image.open(sys.argv[1]).load()\nprint(time.perf_counter() - t)' '" +
                                Path.string() + "' '" + Tiny.string() + "' 2>/dev/null";
    FILE* Pipe = popen(Command.c_str(), "r");
    if (!Pipe)
        return -1;
    char Answer[64] = {};
    const bool Read = std::fgets(Answer, sizeof Answer, Pipe) != nullptr;
    return pclose(Pipe) == 0 && Read ? std::atof(Answer) : -1;
}

double Process(const std::string& Command)
{
    const auto Start = TClock::now();
    return std::system(Command.c_str()) == 0 ? SecondsSince(Start) : -1;
}

double Median(std::vector<double> Values)
{
    if (Values.empty() || *std::min_element(Values.begin(), Values.end()) < 0)
        return -1;
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

void Report(const char* Name, double Seconds, double OursSeconds)
{
    if (Seconds <= 0) {
        std::printf("%-12s not available\n", Name);
        return;
    }
    std::printf("%-12s %7.1f MP/s (%6.1f ms)   ours is %.2fx as fast\n", Name, MegaPixels / Seconds, Seconds * 1e3,
                Seconds / OursSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path Folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path Big = Folder / "vidlark-bench.ppm";
    const fs::path Tiny = Folder / "vidlark-bench-tiny.ppm";
    WritePicture(Big, Width, Height);
    WritePicture(Tiny, 1, 1);

    std::vector<double> Mine, Pil, Magick;
    for (int i = 0; i < Rounds; ++i) {
        Mine.push_back(Ours(Big));
        Pil.push_back(Pillow(Big, Tiny));
        const double Whole = Process("convert '" + Big.string() + "' null: 2>/dev/null");
        const double StartUp = Process("convert '" + Tiny.string() + "' null: 2>/dev/null");
        Magick.push_back(Whole > 0 && StartUp > 0 ? Whole - StartUp : -1);
    }
    const double OursMedian = Median(Mine);
    std::printf("P6 %u x %u, maximum 255, %ju bytes; medians of %d alternating rounds\n", Width, Height,
                static_cast<std::uintmax_t>(fs::file_size(Big)), Rounds);
    std::printf("%-12s %7.1f MP/s (%6.1f ms)\n", "ours", MegaPixels / OursMedian, OursMedian * 1e3);
    Report("Pillow", Median(Pil), OursMedian);
    Report("ImageMagick", Median(Magick), OursMedian);
    fs::remove(Big);
    fs::remove(Tiny);
    return 0;
}
