// Decoding speed of the PNG reader against libpng 1.6 (png_read_image into
// a buffer) and libspng, in one run, on a 4000 x 3000 RGB and an RGBA
// picture that libpng writes at its default level and filter choice. The
// three decoders take turns, each round reading the file from the page
// cache into a new buffer; medians of processor time are reported, since
// the machine is shared.
//
//   vidlark_png_bench [FOLDER] [ROUNDS]   (scratch files go to FOLDER, default /tmp)

#include "imaging/PNGGraphic.h"

#include <png.h>
#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t Width = 4000;
constexpr std::uint32_t Height = 3000;
constexpr double MegaPixels = Width * double(Height) / 1e6;

// A photo-like picture in five bands, each of a kind that libpng's filter
// choice serves best with another filter: dark grain (none), rows of
// horizontal ramps at random levels (sub), a texture repeated down the
// band (up), a smooth shading with fine grain (average) and diagonal
// edges over a shading (Paeth).
std::vector<std::uint8_t> Paint(unsigned Channels)
{
    std::vector<std::uint8_t> Pixels(std::size_t{Width} * Height * Channels);
    std::uint32_t Seed = 1;
    const auto Random = [&] {
        Seed = Seed * 1103515245u + 12345u;
        return Seed >> 16;
    };
    int RowLevel = 0;
    for (std::uint32_t y = 0; y < Height; ++y) {
        const unsigned Band = y * 5 / Height;
        RowLevel = static_cast<int>(Random() % 160);
        for (std::uint32_t x = 0; x < Width; ++x) {
            for (unsigned c = 0; c < Channels; ++c) {
                int Value = 0;
                const int Grain = static_cast<int>(Random() % 5) - 2;
                switch (Band) {
                case 0: Value = (static_cast<int>(Random() % 17) - 8) & 0xFF; break;
                case 1: Value = RowLevel + static_cast<int>(x % 97) + static_cast<int>(c) * 7; break;
                case 2: Value = static_cast<int>((x * 2654435761u >> (8 + c)) % 256); break;
                case 3: Value = static_cast<int>((x * (c + 1) + y * 2) * 255 / (Width + 2 * Height)) + Grain; break;
                default: Value = ((x + 3 * y) / 64 % 2 ? 180 : 60) + static_cast<int>((x * y >> 14) % 40) + Grain; break;
                }
                if (c == 3)
                    Value = 255 - Value / 2;
                Pixels[(std::size_t{y} * Width + x) * Channels + c] = static_cast<std::uint8_t>(std::clamp(Value, 0, 255));
            }
        }
    }
    return Pixels;
}

void WriteWithLibpng(const fs::path& Path, const std::vector<std::uint8_t>& Pixels, unsigned Channels)
{
    FILE* File = std::fopen(Path.c_str(), "wb");
    png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    if (!File || !Png || !Info || setjmp(png_jmpbuf(Png)))
        throw std::runtime_error("cannot write " + Path.string());
    png_init_io(Png, File);
    png_set_IHDR(Png, Info, Width, Height, 8, Channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(Png, Info);
    for (std::uint32_t y = 0; y < Height; ++y)
        png_write_row(Png, &Pixels[std::size_t{y} * Width * Channels]);
    png_write_end(Png, Info);
    png_destroy_write_struct(&Png, &Info);
    std::fclose(File);
}

// How many rows use each filter type: the image data inflated in one piece.
std::array<unsigned, 5> FilterUse(const fs::path& Path, unsigned Channels)
{
    std::ifstream In(Path, std::ios::binary);
    std::vector<std::uint8_t> File((std::istreambuf_iterator<char>(In)), {});
    std::vector<std::uint8_t> Packed;
    for (std::size_t Pos = 8; Pos + 8 <= File.size();) {
        const std::size_t Length = std::size_t{File[Pos]} << 24 | File[Pos + 1] << 16 | File[Pos + 2] << 8 | File[Pos + 3];
        if (std::string(File.begin() + Pos + 4, File.begin() + Pos + 8) == "IDAT")
            Packed.insert(Packed.end(), File.begin() + Pos + 8, File.begin() + Pos + 8 + Length);
        Pos += Length + 12;
    }
    const std::size_t Stride = std::size_t{Width} * Channels + 1;
    std::vector<std::uint8_t> Raw(Stride * Height);
    uLongf Size = Raw.size();
    uncompress(Raw.data(), &Size, Packed.data(), Packed.size());
    std::array<unsigned, 5> Use{};
    for (std::uint32_t y = 0; y < Height; ++y)
        ++Use[std::min<unsigned>(Raw[y * Stride], 4)];
    return Use;
}

// The processor time of this process: on a machine that others share,
// the wall clock mostly measures their work.
double CpuSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
    return static_cast<double>(Now.tv_sec) + static_cast<double>(Now.tv_nsec) * 1e-9;
}

template <typename F>
double Time(F&& Decode)
{
    const double Start = CpuSeconds();
    Decode();
    return CpuSeconds() - Start;
}

void DecodeOurs(const fs::path& Path)
{
    TPNGGraphic Picture;
    Picture.LoadFromFile(Path);
}

// Classic libpng reading into one buffer, in the bitmap's blue-first order
// when Bgr is set (as our reader delivers it).
void DecodeLibpng(const fs::path& Path, bool Bgr)
{
    FILE* File = std::fopen(Path.c_str(), "rb");
    png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    if (!File || !Png || !Info || setjmp(png_jmpbuf(Png)))
        throw std::runtime_error("libpng cannot read " + Path.string());
    png_init_io(Png, File);
    png_read_info(Png, Info);
    if (Bgr)
        png_set_bgr(Png);
    png_read_update_info(Png, Info);
    const std::size_t RowBytes = png_get_rowbytes(Png, Info);
    const std::uint32_t Rows = png_get_image_height(Png, Info);
    std::vector<std::uint8_t> Pixels(RowBytes * Rows);
    std::vector<png_bytep> RowPointers(Rows);
    for (std::uint32_t y = 0; y < Rows; ++y)
        RowPointers[y] = &Pixels[y * RowBytes];
    png_read_image(Png, RowPointers.data());
    png_read_end(Png, nullptr);
    png_destroy_read_struct(&Png, &Info, nullptr);
    std::fclose(File);
}

void DecodeSpng(const fs::path& Path, unsigned Channels)
{
    FILE* File = std::fopen(Path.c_str(), "rb");
    spng_ctx* Context = spng_ctx_new(0);
    spng_set_png_file(Context, File);
    const int Format = Channels == 4 ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
    std::size_t Size = 0;
    if (!File || spng_decoded_image_size(Context, Format, &Size) != 0)
        throw std::runtime_error("libspng cannot read " + Path.string());
    std::vector<std::uint8_t> Pixels(Size);
    if (spng_decode_image(Context, Pixels.data(), Size, Format, 0) != 0)
        throw std::runtime_error("libspng cannot decode " + Path.string());
    spng_ctx_free(Context);
    std::fclose(File);
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

void Line(const char* Name, double Time, double Ours)
{
    std::printf("  %-16s %7.1f ms %7.1f MP/s   ours / this %.2f\n", Name, Time * 1e3, MegaPixels / Time, Ours / Time);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path Folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const int Rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    for (const unsigned Channels : {3u, 4u}) {
        const fs::path Path = Folder / (Channels == 3 ? "vidlark-bench-rgb.png" : "vidlark-bench-rgba.png");
        WriteWithLibpng(Path, Paint(Channels), Channels);
        const auto Use = FilterUse(Path, Channels);
        std::printf("%s: %u x %u, %ju bytes; rows by filter none/sub/up/average/paeth %u/%u/%u/%u/%u; median of %d\n",
                    Channels == 3 ? "RGB" : "RGBA", Width, Height, static_cast<std::uintmax_t>(fs::file_size(Path)),
                    Use[0], Use[1], Use[2], Use[3], Use[4], Rounds);
        if (Rounds < 1)
            continue;
        std::vector<double> Ours, Libpng, LibpngBgr, Spng;
        for (int i = 0; i < Rounds; ++i) {
            Ours.push_back(Time([&] { DecodeOurs(Path); }));
            Libpng.push_back(Time([&] { DecodeLibpng(Path, false); }));
            LibpngBgr.push_back(Time([&] { DecodeLibpng(Path, true); }));
            Spng.push_back(Time([&] { DecodeSpng(Path, Channels); }));
        }
        const double Mine = Median(Ours);
        Line("ours", Mine, Mine);
        Line("libpng", Median(Libpng), Mine);
        Line("libpng, BGR", Median(LibpngBgr), Mine);
        Line("libspng", Median(Spng), Mine);
        if (!std::getenv("VIDLARK_BENCH_KEEP")) fs::remove(Path);
    }
    return 0;
}
