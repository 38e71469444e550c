// Decoding speed of the TIFF reader against libtiff in the same run: a
// 12-megapixel RGB picture stored plain, with Packbits, and with deflate
// or LZW and the horizontal predictor (deflate in tiles of 256 x 256 too),
// and a 1728 x 2200 bilevel page in group 3 and in group 4 fax coding.
// libtiff writes the files and reads them back block by block with
// TIFFReadEncodedStrip or TIFFReadEncodedTile into one buffer (its fastest
// way, faster than TIFFReadScanline or TIFFReadRGBAImage); our
// reader loads them into its bitmap, colour rows included. Medians of
// alternating rounds, files in the page cache, in wall time and in
// processor time (on a machine that others share, the wall clock also
// measures their work).
//
//   vidlark_tiff_bench [FOLDER]   (scratch files go to FOLDER, default /tmp)

#include "imaging/TIFFGraphic.h"

#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace vidlark;
namespace fs = std::filesystem;

namespace {

constexpr int Rounds = 9;

struct TCase {
    const char* Name;
    std::uint32_t Width, Height;
    std::uint16_t Samples, Bits, Compression, Predictor;
    std::uint32_t Tile = 0; // side of square tiles; 0 for strips
};

const TCase Cases[] = {
    {"RGB plain", 4000, 3000, 3, 8, COMPRESSION_NONE, 1},
    {"RGB Packbits", 4000, 3000, 3, 8, COMPRESSION_PACKBITS, 1},
    {"RGB deflate + predictor", 4000, 3000, 3, 8, COMPRESSION_ADOBE_DEFLATE, 2},
    {"RGB deflate + predictor, tiled 256 x 256", 4000, 3000, 3, 8, COMPRESSION_ADOBE_DEFLATE, 2, 256},
    {"RGB LZW + predictor", 4000, 3000, 3, 8, COMPRESSION_LZW, 2},
    {"bilevel G3 page", 1728, 2200, 1, 1, COMPRESSION_CCITTFAX3, 1},
    {"bilevel G4 page", 1728, 2200, 1, 1, COMPRESSION_CCITTFAX4, 1},
};

// Smooth areas and noisy ones, as in a photo; text-like runs for fax.
std::vector<std::uint8_t> RowOf(const TCase& C, std::uint32_t y)
{
    std::vector<std::uint8_t> Row((std::size_t{C.Width} * C.Samples * C.Bits + 7) / 8);
    std::uint32_t Seed = y * 2654435761u + 1;
    for (std::size_t i = 0; i < Row.size(); ++i) {
        Seed = Seed * 1103515245u + 12345u;
        if (C.Bits == 1)
            Row[i] = (y / 12 + i / 9) % 5 == 0 ? static_cast<std::uint8_t>(Seed >> 24) | 0x81 : 0;
        else
            Row[i] = (i / 1500 + y / 500) % 2 ? static_cast<std::uint8_t>(Seed >> 16) : static_cast<std::uint8_t>(i / 60 + y / 40);
    }
    return Row;
}

// The rows of RowOf cut into tiles, the parts past the picture left 0.
void WriteTiles(const TCase& C, TIFF* Out)
{
    const std::size_t PixelBytes = C.Samples * C.Bits / 8;
    std::vector<std::uint8_t> Tile(std::size_t{C.Tile} * C.Tile * PixelBytes);
    for (std::uint32_t Top = 0; Top < C.Height; Top += C.Tile) {
        std::vector<std::vector<std::uint8_t>> Rows;
        for (std::uint32_t y = Top; y < std::min(Top + C.Tile, C.Height); ++y)
            Rows.push_back(RowOf(C, y));
        for (std::uint32_t Left = 0; Left < C.Width; Left += C.Tile) {
            std::fill(Tile.begin(), Tile.end(), 0);
            const std::size_t Columns = std::min(C.Tile, C.Width - Left) * PixelBytes;
            for (std::size_t y = 0; y < Rows.size(); ++y)
                std::copy_n(Rows[y].begin() + Left * PixelBytes, Columns, Tile.begin() + y * C.Tile * PixelBytes);
            TIFFWriteEncodedTile(Out, TIFFComputeTile(Out, Left, Top, 0, 0), Tile.data(),
                                 static_cast<tmsize_t>(Tile.size()));
        }
    }
}

void Write(const TCase& C, const fs::path& Path)
{
    TIFF* Out = TIFFOpen(Path.c_str(), "w");
    TIFFSetField(Out, TIFFTAG_IMAGEWIDTH, C.Width);
    TIFFSetField(Out, TIFFTAG_IMAGELENGTH, C.Height);
    TIFFSetField(Out, TIFFTAG_SAMPLESPERPIXEL, C.Samples);
    TIFFSetField(Out, TIFFTAG_BITSPERSAMPLE, C.Bits);
    TIFFSetField(Out, TIFFTAG_COMPRESSION, C.Compression);
    TIFFSetField(Out, TIFFTAG_PHOTOMETRIC, C.Samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFSetField(Out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (C.Predictor != 1)
        TIFFSetField(Out, TIFFTAG_PREDICTOR, C.Predictor);
    if (C.Tile != 0) {
        TIFFSetField(Out, TIFFTAG_TILEWIDTH, C.Tile);
        TIFFSetField(Out, TIFFTAG_TILELENGTH, C.Tile);
        WriteTiles(C, Out);
    } else {
        TIFFSetField(Out, TIFFTAG_ROWSPERSTRIP, C.Bits == 1 ? 128 : 16);
        for (std::uint32_t y = 0; y < C.Height; ++y) {
            std::vector<std::uint8_t> Row = RowOf(C, y);
            TIFFWriteScanline(Out, Row.data(), y, 0);
        }
    }
    TIFFClose(Out);
}

void ReadWithLibtiff(const fs::path& Path)
{
    TIFF* In = TIFFOpen(Path.c_str(), "r");
    if (TIFFIsTiled(In)) {
        const std::size_t TileSize = static_cast<std::size_t>(TIFFTileSize64(In));
        std::vector<std::uint8_t> Image(TileSize * TIFFNumberOfTiles(In));
        for (ttile_t t = 0, n = TIFFNumberOfTiles(In); t < n; ++t)
            TIFFReadEncodedTile(In, t, Image.data() + t * TileSize, -1);
    } else {
        const std::size_t StripSize = static_cast<std::size_t>(TIFFStripSize64(In));
        std::vector<std::uint8_t> Image(StripSize * TIFFNumberOfStrips(In));
        for (tstrip_t s = 0, n = TIFFNumberOfStrips(In); s < n; ++s)
            TIFFReadEncodedStrip(In, s, Image.data() + s * StripSize, -1);
    }
    TIFFClose(In);
}

void ReadWithOurs(const fs::path& Path)
{
    TFileStream Stream(Path);
    TTIFFGraphic Graphic;
    Graphic.LoadFromStream(Stream);
}

struct TSeconds {
    double Wall = 0, Processor = 0;
};

double ProcessorSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
    return static_cast<double>(Now.tv_sec) + static_cast<double>(Now.tv_nsec) * 1e-9;
}

template <typename F>
TSeconds Seconds(F&& Work)
{
    const auto Start = std::chrono::steady_clock::now();
    const double StartProcessor = ProcessorSeconds();
    Work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count(),
            ProcessorSeconds() - StartProcessor};
}

TSeconds Median(std::vector<TSeconds> Rounds)
{
    auto MedianOf = [&](double TSeconds::*Field) {
        std::vector<double> Values;
        for (const TSeconds& Round : Rounds)
            Values.push_back(Round.*Field);
        std::nth_element(Values.begin(), Values.begin() + Values.size() / 2, Values.end());
        return Values[Values.size() / 2];
    };
    return {MedianOf(&TSeconds::Wall), MedianOf(&TSeconds::Processor)};
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path Folder = fs::path(argc > 1 ? argv[1] : "/tmp") / "vidlark-tiff-bench";
    fs::create_directories(Folder);
    std::printf("%-42s %10s %10s %7s %10s %10s %7s %9s\n", "file", "ours ms", "libtiff ms", "ratio", "ours cpu",
                "libtiff cpu", "ratio", "ours MP/s");
    for (const TCase& C : Cases) {
        const fs::path Path = Folder / "bench.tif";
        Write(C, Path);
        std::vector<TSeconds> OursRounds, PeerRounds;
        for (int r = 0; r < Rounds; ++r) {
            OursRounds.push_back(Seconds([&] { ReadWithOurs(Path); }));
            PeerRounds.push_back(Seconds([&] { ReadWithLibtiff(Path); }));
        }
        const TSeconds Ours = Median(OursRounds), Peer = Median(PeerRounds);
        std::printf("%-42s %10.1f %10.1f %7.2f %10.1f %10.1f %7.2f %9.1f\n", C.Name, Ours.Wall * 1e3, Peer.Wall * 1e3,
                    Ours.Wall / Peer.Wall, Ours.Processor * 1e3, Peer.Processor * 1e3, Ours.Processor / Peer.Processor,
                    C.Width * double(C.Height) / 1e6 / Ours.Wall);
    }
    fs::remove_all(Folder);
    return 0;
}
