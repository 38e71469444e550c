// Decoding speed of the PCX and Photoshop readers against Pillow and
// ImageMagick on a 4000 x 3000 RGB picture, stored as run-length encoded
// PCX (three planes) and as Packbits Photoshop (three channels), in one run.
//
// The machine is shared by several people, so processor time (user and
// system) is measured rather than elapsed time, the decoders take turns
// round by round, and the medians of the rounds are compared. Our readers
// and Pillow are timed inside their own process (a load of a file in the
// page cache), so Pillow's interpreter start and import are not counted.
// ImageMagick is timed as a whole `convert FILE null:` process, less the
// same command on a 1 x 1 picture of the same format, which leaves out its
// start-up.
//
//   vidlark_planar_bench [FOLDER]   (scratch files go to FOLDER, default /tmp)

#include "imaging/PCXGraphic.h"
#include "imaging/PSDGraphic.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr int Rounds = 9;
using Bytes = std::vector<std::uint8_t>;

// Three planes of a photo-like picture: gradients that run-length
// encoding shortens beside noisy tiles that it cannot.
struct TPlanes {
    std::uint32_t Width, Height;
    Bytes Samples[3];

    TPlanes(std::uint32_t W, std::uint32_t H) : Width(W), Height(H)
    {
        std::uint32_t Seed = 7;
        for (Bytes& Plane : Samples)
            Plane.resize(std::size_t{W} * H);
        for (std::uint32_t y = 0; y < H; ++y)
            for (std::uint32_t x = 0; x < W; ++x) {
                Seed = Seed * 1664525u + 1013904223u;
                const bool Smooth = (x / 400 + y / 300) % 2 == 0;
                const std::size_t i = std::size_t{y} * W + x;
                Samples[0][i] = Smooth ? static_cast<std::uint8_t>(y / 12) : static_cast<std::uint8_t>(Seed >> 24);
                Samples[1][i] = Smooth ? static_cast<std::uint8_t>(x / 16) : static_cast<std::uint8_t>(Seed >> 16);
                Samples[2][i] = Smooth ? 90 : static_cast<std::uint8_t>(Seed >> 8);
            }
    }
    const std::uint8_t* Row(int Plane, std::uint32_t y) const { return Samples[Plane].data() + std::size_t{y} * Width; }
};

void Put(Bytes& B, std::uint64_t Value, int Size, bool BigEndian)
{
    for (int i = 0; i < Size; ++i)
        B.push_back(static_cast<std::uint8_t>(Value >> (8 * (BigEndian ? Size - 1 - i : i))));
}

// PCX runs of up to 63 equal bytes; a single byte of 192 or more needs a run of one.
void PackPCX(const std::uint8_t* Row, std::uint32_t Count, Bytes& Out)
{
    for (std::uint32_t i = 0; i < Count;) {
        std::uint32_t Run = 1;
        while (i + Run < Count && Run < 63 && Row[i + Run] == Row[i])
            ++Run;
        if (Run > 1 || Row[i] >= 192)
            Out.push_back(static_cast<std::uint8_t>(192 + Run));
        Out.push_back(Row[i]);
        i += Run;
    }
}

// Packbits: runs of 3 to 128 equal bytes, literals of up to 128.
void PackBits(const std::uint8_t* Row, std::uint32_t Count, Bytes& Out)
{
    for (std::uint32_t i = 0; i < Count;) {
        std::uint32_t Run = 1;
        while (i + Run < Count && Run < 128 && Row[i + Run] == Row[i])
            ++Run;
        if (Run >= 3) {
            Out.insert(Out.end(), {static_cast<std::uint8_t>(257 - Run), Row[i]});
            i += Run;
            continue;
        }
        const std::uint32_t Start = i;
        while (i < Count && i - Start < 128 && !(i + 2 < Count && Row[i] == Row[i + 1] && Row[i] == Row[i + 2]))
            ++i;
        Out.push_back(static_cast<std::uint8_t>(i - Start - 1));
        Out.insert(Out.end(), Row + Start, Row + i);
    }
}

Bytes PCXFile(const TPlanes& P)
{
    Bytes File(128, 0);
    File[0] = 10;
    File[1] = 5;
    File[2] = 1;
    File[3] = 8;
    File[8] = static_cast<std::uint8_t>(P.Width - 1);
    File[9] = static_cast<std::uint8_t>((P.Width - 1) >> 8);
    File[10] = static_cast<std::uint8_t>(P.Height - 1);
    File[11] = static_cast<std::uint8_t>((P.Height - 1) >> 8);
    File[65] = 3;
    File[66] = static_cast<std::uint8_t>(P.Width);
    File[67] = static_cast<std::uint8_t>(P.Width >> 8);
    File[68] = 1;
    for (std::uint32_t y = 0; y < P.Height; ++y)
        for (int Plane = 0; Plane < 3; ++Plane)
            PackPCX(P.Row(Plane, y), P.Width, File);
    return File;
}

Bytes PSDFile(const TPlanes& P)
{
    Bytes File{'8', 'B', 'P', 'S'};
    Put(File, 1, 2, true);
    File.insert(File.end(), 6, 0);
    Put(File, 3, 2, true);
    Put(File, P.Height, 4, true);
    Put(File, P.Width, 4, true);
    Put(File, 8, 2, true);
    Put(File, 3, 2, true);
    Put(File, 0, 12, true); // three empty sections
    Put(File, 1, 2, true);
    Bytes Counts, Rows;
    for (int Plane = 0; Plane < 3; ++Plane)
        for (std::uint32_t y = 0; y < P.Height; ++y) {
            const std::size_t Before = Rows.size();
            PackBits(P.Row(Plane, y), P.Width, Rows);
            Put(Counts, Rows.size() - Before, 2, true);
        }
    File.insert(File.end(), Counts.begin(), Counts.end());
    File.insert(File.end(), Rows.begin(), Rows.end());
    return File;
}

void Save(const fs::path& Path, const Bytes& Data)
{
    std::ofstream Out(Path, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
}

double ProcessSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
    return Now.tv_sec + Now.tv_nsec / 1e9;
}

// User and system time of the children that have ended.
double ChildSeconds()
{
    rusage Usage{};
    getrusage(RUSAGE_CHILDREN, &Usage);
    const auto Of = [](const timeval& T) { return T.tv_sec + T.tv_usec / 1e6; };
    return Of(Usage.ru_utime) + Of(Usage.ru_stime);
}

template <typename TReader>
double OurLoad(const fs::path& Path)
{
    TReader Picture;
    const double Start = ProcessSeconds();
    Picture.LoadFromFile(Path);
    return ProcessSeconds() - Start;
}

// One load timed inside Pillow's process, or a negative value without Pillow.
double PillowLoad(const fs::path& Path)
{
    const std::string Command = "/usr/bin/python3 -c 'import time\nfrom PIL import Image\nt=time.process_time()\n"
                                "im=Image.open(\"" + Path.string() + "\")\nim.load()\n"
                                "print(time.process_time()-t)' 2>/dev/null";
    double Seconds = -1;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        if (std::fscanf(Pipe, "%lf", &Seconds) != 1)
            Seconds = -1;
        pclose(Pipe);
    }
    return Seconds;
}

// A whole `convert FILE null:` (all its threads), or a negative value without it.
double MagickRun(const fs::path& Path)
{
    const double Start = ChildSeconds();
    if (std::system(("convert '" + Path.string() + "' null: 2>/dev/null").c_str()) != 0)
        return -1;
    return ChildSeconds() - Start;
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.empty() || Values.front() < 0 ? -1 : Values[Values.size() / 2];
}

void Report(const char* What, double MegaPixels, double Ours, double Peer, const char* PeerName)
{
    std::printf("%-4s ours %7.1f MP/s (%6.1f ms)", What, MegaPixels / Ours, Ours * 1e3);
    if (Peer > 0)
        std::printf("   %-12s %7.1f MP/s (%6.1f ms)   ratio %.2fx\n", PeerName, MegaPixels / Peer, Peer * 1e3,
                    Peer / Ours);
    else
        std::printf("   %-12s not available\n", PeerName);
}

// The three decoders take turns in every round, so a machine that others
// load at times slows them alike; medians of the rounds are reported.
template <typename TReader>
void Measure(const char* What, const fs::path& Path, const fs::path& Tiny, double MegaPixels)
{
    std::vector<double> Ours, Pillow, Magick;
    for (int i = 0; i < Rounds; ++i) {
        Ours.push_back(OurLoad<TReader>(Path));
        Pillow.push_back(PillowLoad(Path));
        const double Whole = MagickRun(Path);
        const double StartUp = MagickRun(Tiny);
        Magick.push_back(Whole > 0 && StartUp > 0 ? Whole - StartUp : -1);
    }
    Report(What, MegaPixels, Median(Ours), Median(Pillow), "Pillow");
    Report(What, MegaPixels, Median(Ours), Median(Magick), "ImageMagick");
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path Folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path Pcx = Folder / "vidlark-bench.pcx", TinyPcx = Folder / "vidlark-bench-tiny.pcx";
    const fs::path Psd = Folder / "vidlark-bench.psd", TinyPsd = Folder / "vidlark-bench-tiny.psd";
    const TPlanes Picture(4000, 3000);
    const TPlanes Dot(1, 1);
    Save(Pcx, PCXFile(Picture));
    Save(TinyPcx, PCXFile(Dot));
    Save(Psd, PSDFile(Picture));
    Save(TinyPsd, PSDFile(Dot));
    const double MegaPixels = Picture.Width * double(Picture.Height) / 1e6;
    std::printf("%u x %u RGB; run-length PCX %ju bytes, Packbits PSD %ju bytes; processor time, medians of %d alternating rounds\n", Picture.Width,
                Picture.Height, static_cast<std::uintmax_t>(fs::file_size(Pcx)),
                static_cast<std::uintmax_t>(fs::file_size(Psd)), Rounds);
    Measure<TPCXGraphic>("pcx", Pcx, TinyPcx, MegaPixels);
    Measure<TPSDGraphic>("psd", Psd, TinyPsd, MegaPixels);
    std::printf("ImageMagick: a whole process less its time on a 1 x 1 picture of the same format\n");
    for (const fs::path& Path : {Pcx, TinyPcx, Psd, TinyPsd})
        fs::remove(Path);
    return 0;
}
