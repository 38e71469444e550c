// Decoding speed of the SGI reader against Pillow and ImageMagick on a
// 4000 x 3000 RGB picture of one byte a sample, stored plainly and
// run-length encoded, in one run.
//
// Each round loads each file once with each decoder, in turn, and the
// medians of the rounds are reported, so load on the shared machine falls
// on all three alike. Every load runs in a fresh process. Our reader and
// Pillow (open + load, after its plug-ins are imported) time themselves;
// ImageMagick is timed as a whole `convert FILE null:` process less the
// same command on a 1 x 1 picture of the same round, which leaves out its
// start-up. The files stay in the page cache.
//
//   vidlark_sgi_bench [FOLDER]   (scratch files go to FOLDER, default /tmp)
//   vidlark_sgi_bench --once FILE   (one load; prints its seconds)

#include "imaging/SGIGraphic.h"
#include "imaging/SGIHeader.h"

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

constexpr std::uint16_t Width = 4000;
constexpr std::uint16_t Height = 3000;
constexpr int Rounds = 9;
constexpr double MegaPixels = Width * double(Height) / 1e6;
// Debian's ImageMagick, whatever else is called convert on the path.
constexpr const char* Convert = "/usr/bin/convert";

// One channel plane, bottom row first: smooth areas that run-length
// encoding shortens, and noisy ones that it cannot.
using TPlane = std::vector<std::uint8_t>;

std::vector<TPlane> Paint(std::uint16_t W, std::uint16_t H)
{
    std::vector<TPlane> Planes(3, TPlane(std::size_t{W} * H));
    std::uint32_t Seed = 1;
    for (std::size_t y = 0; y < H; ++y)
        for (std::size_t x = 0; x < W; ++x) {
            Seed = Seed * 1103515245u + 12345u;
            const bool Flat = (x / 500 + y / 500) % 2 == 0;
            Planes[0][y * W + x] = Flat ? static_cast<std::uint8_t>(y / 40) : static_cast<std::uint8_t>(Seed >> 16);
            Planes[1][y * W + x] = Flat ? static_cast<std::uint8_t>(x / 60) : static_cast<std::uint8_t>(Seed >> 8);
            Planes[2][y * W + x] = Flat ? 128 : static_cast<std::uint8_t>(Seed >> 24);
        }
    return Planes;
}

TSGIHeader HeaderFor(std::uint16_t W, std::uint16_t H, std::uint8_t Storage)
{
    TSGIHeader Header{};
    Header.Magic.Set(sgi::Magic);
    Header.Storage = Storage;
    Header.BytesPerSample = 1;
    Header.Dimension.Set(3);
    Header.Width.Set(W);
    Header.Height.Set(H);
    Header.Channels.Set(3);
    Header.MaximumLevel.Set(255);
    return Header;
}

void Write(std::ofstream& Out, const void* Data, std::size_t Size)
{
    Out.write(static_cast<const char*>(Data), static_cast<std::streamsize>(Size));
}

void WritePlain(const fs::path& Path, std::uint16_t W, std::uint16_t H, const std::vector<TPlane>& Planes)
{
    std::ofstream Out(Path, std::ios::binary);
    const TSGIHeader Header = HeaderFor(W, H, 0);
    Write(Out, &Header, sizeof Header);
    for (const TPlane& Plane : Planes)
        Write(Out, Plane.data(), Plane.size());
}

// One row as packets: a repeat for three or more equal samples, copies of
// the rest, at most 127 samples a packet, and the end mark.
void PackRow(const std::uint8_t* Row, std::size_t W, std::vector<std::uint8_t>& Out)
{
    std::size_t x = 0;
    while (x < W) {
        std::size_t Run = 1;
        while (x + Run < W && Run < sgi::MaxPacketSamples && Row[x + Run] == Row[x])
            ++Run;
        if (Run >= 3) {
            Out.insert(Out.end(), {static_cast<std::uint8_t>(Run), Row[x]});
            x += Run;
            continue;
        }
        std::size_t Copy = 0;
        while (x + Copy < W && Copy < sgi::MaxPacketSamples &&
               !(x + Copy + 2 < W && Row[x + Copy] == Row[x + Copy + 1] && Row[x + Copy] == Row[x + Copy + 2]))
            ++Copy;
        Out.push_back(static_cast<std::uint8_t>(0x80 | Copy));
        Out.insert(Out.end(), Row + x, Row + x + Copy);
        x += Copy;
    }
    Out.push_back(0);
}

void WriteEncoded(const fs::path& Path, std::uint16_t W, std::uint16_t H, const std::vector<TPlane>& Planes)
{
    const std::size_t Entries = Planes.size() * H;
    std::vector<std::uint8_t> Packets;
    std::vector<TBigEndian32> Starts(Entries), Lengths(Entries);
    const std::size_t First = sizeof(TSGIHeader) + 2 * 4 * Entries;
    for (std::size_t i = 0; i < Entries; ++i) {
        const std::size_t Before = Packets.size();
        PackRow(&Planes[i / H][i % H * W], W, Packets);
        Starts[i].Set(static_cast<std::uint32_t>(First + Before));
        Lengths[i].Set(static_cast<std::uint32_t>(Packets.size() - Before));
    }
    std::ofstream Out(Path, std::ios::binary);
    const TSGIHeader Header = HeaderFor(W, H, sgi::RunLengthEncoded);
    Write(Out, &Header, sizeof Header);
    Write(Out, Starts.data(), 4 * Entries);
    Write(Out, Lengths.data(), 4 * Entries);
    Write(Out, Packets.data(), Packets.size());
}

double Seconds(std::chrono::steady_clock::duration D)
{
    return std::chrono::duration<double>(D).count();
}

// One load in this process.
double LoadOnce(const fs::path& Path)
{
    TSGIGraphic Picture;
    const auto Start = std::chrono::steady_clock::now();
    Picture.LoadFromFile(Path);
    return Seconds(std::chrono::steady_clock::now() - Start);
}

// The seconds a command prints, or a negative value when it prints none.
double Printed(const std::string& Command)
{
    std::string Output;
    if (FILE* Pipe = popen((Command + " 2>/dev/null").c_str(), "r")) {
        char Buffer[128];
        while (std::fgets(Buffer, sizeof Buffer, Pipe))
            Output += Buffer;
        pclose(Pipe);
    }
    return Output.empty() ? -1 : std::atof(Output.c_str());
}

// Our load in a fresh process, as Pillow's: memory the process has not
// touched yet costs the same to both.
double Ours(const fs::path& Self, const fs::path& Path)
{
    return Printed("'" + Self.string() + "' --once '" + Path.string() + "'");
}

// Pillow's open + load in a process of its own.
double Pillow(const fs::path& Path)
{
    return Printed("/usr/bin/python3 -c 'import time\nfrom PIL import Image\nImage.init()\n"
                   "t=time.perf_counter()\nim=Image.open(\"" +
                   Path.string() + "\")\nim.load()\nprint(time.perf_counter()-t)'");
}

// A whole process, or a negative value when it fails.
double Process(const std::string& Command)
{
    const auto Start = std::chrono::steady_clock::now();
    if (std::system(Command.c_str()) != 0)
        return -1;
    return Seconds(std::chrono::steady_clock::now() - Start);
}

double Magick(const fs::path& Path, const fs::path& Dot)
{
    const double Whole = Process(std::string(Convert) + " '" + Path.string() + "' null: 2>/dev/null");
    const double StartUp = Process(std::string(Convert) + " '" + Dot.string() + "' null: 2>/dev/null");
    return Whole > 0 && StartUp > 0 ? Whole - StartUp : -1;
}

double Median(std::vector<double> Times)
{
    std::sort(Times.begin(), Times.end());
    return Times[Times.size() / 2];
}

void Report(const char* Name, double Time, double Ours)
{
    std::printf("  %-11s", Name);
    if (Time <= 0) {
        std::printf(" not available\n");
        return;
    }
    std::printf(" %7.1f MP/s (%6.1f ms)", MegaPixels / Time, Time * 1e3);
    if (Time != Ours)
        std::printf("   ours is %.2fx as fast", Time / Ours);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--once") {
        std::printf("%.9f\n", LoadOnce(argv[2]));
        return 0;
    }
    const fs::path Self = fs::canonical("/proc/self/exe");
    const fs::path Folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path Plain = Folder / "vidlark-bench-plain.sgi";
    const fs::path Encoded = Folder / "vidlark-bench-rle.sgi";
    const fs::path Dot = Folder / "vidlark-bench-dot.sgi";
    {
        const std::vector<TPlane> Planes = Paint(Width, Height);
        WritePlain(Plain, Width, Height, Planes);
        WriteEncoded(Encoded, Width, Height, Planes);
        WritePlain(Dot, 1, 1, Paint(1, 1));
    }
    std::printf("%u x %u RGB, 8 bits; plain %ju bytes, run-length encoded %ju bytes; medians of %d rounds\n", Width,
                Height, static_cast<std::uintmax_t>(fs::file_size(Plain)),
                static_cast<std::uintmax_t>(fs::file_size(Encoded)), Rounds);
    for (const auto& [What, Path] : {std::pair{"plain", Plain}, std::pair{"rle", Encoded}}) {
        std::vector<double> Our, Pil, Im;
        for (int i = 0; i < Rounds; ++i) {
            Our.push_back(Ours(Self, Path));
            Pil.push_back(Pillow(Path));
            Im.push_back(Magick(Path, Dot));
        }
        const double Mine = Median(Our);
        std::printf("%s\n", What);
        Report("ours", Mine, Mine);
        Report("Pillow", Median(Pil), Mine);
        Report("ImageMagick", Median(Im), Mine);
    }
    fs::remove(Plain);
    fs::remove(Encoded);
    fs::remove(Dot);
    return 0;
}
