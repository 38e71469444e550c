// Loading a 12-megapixel photo through TJPEGImage against decoding it with
// libjpeg directly, and a 24-bit BMP of the same size through TBitmap against
// copying its bytes. Both peers run in the same process on the same data.
//
//   build/bench/vidlark_picture_bench

#include "imaging/Bitmap.h"
#include "imaging/JPEGImage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr unsigned Width = 4000;
constexpr unsigned Height = 3000;

std::vector<std::uint8_t> SyntheticRgb()
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(Width) * Height * 3);
    for (unsigned y = 0; y < Height; ++y)
        for (unsigned x = 0; x < Width; ++x) {
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * Width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x / 16 + y / 32);
            p[1] = static_cast<std::uint8_t>((x ^ y) / 8);
            p[2] = static_cast<std::uint8_t>(y / 12);
        }
    return rgb;
}

const std::vector<std::uint8_t>& Photo()
{
    static const std::vector<std::uint8_t> jpeg = [] {
        const std::vector<std::uint8_t> rgb = SyntheticRgb();
        jpeg_compress_struct c{};
        jpeg_error_mgr err{};
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&c, &out, &size);
        c.image_width = Width;
        c.image_height = Height;
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 90, TRUE);
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < Height) {
            JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(c.next_scanline) * Width * 3]);
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        std::vector<std::uint8_t> bytes(out, out + size);
        jpeg_destroy_compress(&c);
        std::free(out);
        return bytes;
    }();
    return jpeg;
}

const std::vector<std::uint8_t>& BmpFile()
{
    static const std::vector<std::uint8_t> bmp = [] {
        const std::uint32_t rowBytes = (Width * 3 + 3) / 4 * 4;
        const std::uint32_t dataSize = rowBytes * Height;
        std::vector<std::uint8_t> b(54 + dataSize);
        auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); };
        b[0] = 'B';
        b[1] = 'M';
        put32(2, static_cast<std::uint32_t>(b.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, Width);
        put32(22, Height);
        b[26] = 1;
        b[28] = 24;
        put32(34, dataSize);
        const std::vector<std::uint8_t> rgb = SyntheticRgb();
        std::memcpy(&b[54], rgb.data(), std::min<std::size_t>(rgb.size(), dataSize));
        return b;
    }();
    return bmp;
}

void TJPEGImageLoad(benchmark::State& state)
{
    for (auto _ : state) {
        vidlark::TMemoryStream stream(Photo());
        vidlark::TJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
        benchmark::DoNotOptimize(jpeg.Bitmap().ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}

void LibjpegDirect(benchmark::State& state)
{
    for (auto _ : state) {
        // The same copy of the file and the same fresh pixel buffer that the
        // picture class makes, for fairness.
        std::vector<std::uint8_t> data = Photo();
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Width) * Height * 3);
        jpeg_decompress_struct d{};
        jpeg_error_mgr err{};
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, data.data(), data.size());
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = &pixels[static_cast<std::size_t>(d.output_scanline) * Width * 3];
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}

void TBitmapLoadBmp(benchmark::State& state)
{
    for (auto _ : state) {
        vidlark::TMemoryStream stream(BmpFile());
        vidlark::TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BmpFile().size()));
}

void CopyBmpBytes(benchmark::State& state)
{
    for (auto _ : state) {
        // The stream's copy of the file and a bitmap-sized copy of the pixels.
        std::vector<std::uint8_t> file = BmpFile();
        std::vector<std::uint8_t> pixels(file.begin() + 54, file.end());
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BmpFile().size()));
}

BENCHMARK(TJPEGImageLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(LibjpegDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(TBitmapLoadBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyBmpBytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
