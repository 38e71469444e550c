// Decoding speed of the Targa reader against Pillow and ImageMagick on a
// 4000 x 3000 24-bit picture, plain and run-length encoded, in one run.
//
// Our reader and Pillow are timed inside their own process (best of several
// loads of a file in the page cache), so Pillow's interpreter start and
// import are not counted. ImageMagick is timed as a whole `convert x.tga
// null:` process, less the same command on a 1 x 1 picture, which leaves
// out its start-up.
//
//   vidlark_targa_bench [FOLDER]   (scratch files go to FOLDER, default /tmp)

#include "imaging/TargaGraphic.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t Width = 4000;
constexpr std::uint32_t Height = 3000;
constexpr int Rounds = 7;
constexpr double MegaPixels = Width * double(Height) / 1e6;

// A photo-like picture: smooth areas that run-length encoding shortens,
// and noisy ones that it cannot.
void Paint(TTargaGraphic& Picture)
{
    Picture.SetPixelFormat(pf24bit);
    Picture.SetSize(Width, Height);
    std::uint32_t Seed = 1;
    for (std::uint32_t y = 0; y < Height; ++y) {
        std::uint8_t* Row = Picture.ScanLine(y);
        for (std::uint32_t x = 0; x < Width; ++x) {
            Seed = Seed * 1103515245u + 12345u;
            const bool Flat = (x / 500 + y / 500) % 2 == 0;
            Row[3 * x] = Flat ? static_cast<std::uint8_t>(y / 40) : static_cast<std::uint8_t>(Seed >> 16);
            Row[3 * x + 1] = Flat ? static_cast<std::uint8_t>(x / 60) : static_cast<std::uint8_t>(Seed >> 8);
            Row[3 * x + 2] = Flat ? 128 : static_cast<std::uint8_t>(Seed >> 24);
        }
    }
}

void WritePlain(TTargaGraphic& Picture, const fs::path& Path)
{
    std::ofstream Out(Path, std::ios::binary);
    const std::uint8_t Header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     Width & 255, Width >> 8, Height & 255, Height >> 8, 24, 32};
    Out.write(reinterpret_cast<const char*>(Header), sizeof Header);
    for (std::uint32_t y = 0; y < Height; ++y)
        Out.write(reinterpret_cast<const char*>(Picture.ScanLine(y)), Width * 3);
}

void WriteEncoded(TTargaGraphic& Picture, const fs::path& Path)
{
    std::ofstream Out(Path, std::ios::binary);
    Picture.SaveToStream(Out);
}

double Seconds(std::chrono::steady_clock::duration D)
{
    return std::chrono::duration<double>(D).count();
}

double OurBest(const fs::path& Path)
{
    double Best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        TTargaGraphic Picture;
        const auto Start = std::chrono::steady_clock::now();
        Picture.LoadFromFile(Path);
        Best = std::min(Best, Seconds(std::chrono::steady_clock::now() - Start));
    }
    return Best;
}

std::string Capture(const std::string& Command)
{
    std::string Output;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[256];
        while (std::fgets(Buffer, sizeof Buffer, Pipe))
            Output += Buffer;
        pclose(Pipe);
    }
    return Output;
}

// Best in-process load time of Pillow, or a negative value without Pillow.
double PillowBest(const fs::path& Path)
{
    std::ostringstream Script;
    Script << "/usr/bin/python3 -c 'import time\nfrom PIL import Image\nbest=1e30\nfor i in range(" << Rounds
           << "):\n t=time.perf_counter()\n im=Image.open(\"" << Path.string()
           << "\")\n im.load()\n best=min(best,time.perf_counter()-t)\nprint(best)' 2>/dev/null";
    const std::string Out = Capture(Script.str());
    return Out.empty() ? -1 : std::atof(Out.c_str());
}

double ProcessBest(const std::string& Command)
{
    double Best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        const auto Start = std::chrono::steady_clock::now();
        if (std::system(Command.c_str()) != 0)
            return -1;
        Best = std::min(Best, Seconds(std::chrono::steady_clock::now() - Start));
    }
    return Best;
}

void Report(const char* What, double Ours, double Peer, const char* PeerName)
{
    std::printf("%-10s ours %7.1f MP/s (%6.1f ms)", What, MegaPixels / Ours, Ours * 1e3);
    if (Peer > 0)
        std::printf("   %-12s %7.1f MP/s (%6.1f ms)   ratio %.1fx\n", PeerName, MegaPixels / Peer, Peer * 1e3, Peer / Ours);
    else
        std::printf("   %-12s not available\n", PeerName);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path Folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path Plain = Folder / "vidlark-bench-plain.tga";
    const fs::path Encoded = Folder / "vidlark-bench-rle.tga";
    const fs::path Tiny = Folder / "vidlark-bench-tiny.tga";
    {
        TTargaGraphic Picture;
        Paint(Picture);
        WritePlain(Picture, Plain);
        WriteEncoded(Picture, Encoded);
        TTargaGraphic Dot;
        Dot.SetPixelFormat(pf24bit);
        Dot.SetSize(1, 1);
        WriteEncoded(Dot, Tiny);
    }
    std::printf("%u x %u, 24 bits; plain %ju bytes, run-length encoded %ju bytes; best of %d\n", Width, Height,
                static_cast<std::uintmax_t>(fs::file_size(Plain)), static_cast<std::uintmax_t>(fs::file_size(Encoded)),
                Rounds);

    const double StartUp = ProcessBest("convert '" + Tiny.string() + "' null: 2>/dev/null");
    for (const auto& [What, Path] : {std::pair{"plain", Plain}, std::pair{"rle", Encoded}}) {
        const double Ours = OurBest(Path);
        Report(What, Ours, PillowBest(Path), "Pillow");
        const double Whole = ProcessBest("convert '" + Path.string() + "' null: 2>/dev/null");
        Report(What, Ours, Whole > 0 && StartUp > 0 ? Whole - StartUp : -1, "ImageMagick");
    }
    std::printf("ImageMagick start-up (1 x 1 picture) %.1f ms, subtracted\n", StartUp * 1e3);
    fs::remove(Plain);
    fs::remove(Encoded);
    fs::remove(Tiny);
    return 0;
}
