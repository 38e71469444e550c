// The busiest rows of the colour manager against memcpy of a row of the same
// size, in the same run: 8-bit RGB to BGR and RGBA to BGRA, and 16-bit
// big-endian RGB and grey narrowed to 8 bits (PNG's 16-bit pictures). A row
// at memory speed shows a time near memcpy's of its target bytes.

#include "imaging/ColorManager.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using vidlark::TColorManager;

std::vector<std::uint8_t> SourceRow(std::size_t bytes)
{
    std::vector<std::uint8_t> row(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        row[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return row;
}

void MemcpyRow(benchmark::State& state)
{
    const auto pixels = static_cast<std::uint32_t>(state.range(0));
    const auto source = SourceRow(pixels * 3);
    std::vector<std::uint8_t> target(pixels * 3);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pixels * 3);
}

void ConvertRow(benchmark::State& state, vidlark::TColorLayout in, vidlark::TColorLayout out, unsigned inSamples,
                unsigned outSamples, std::uint8_t inBits = 8)
{
    const auto pixels = static_cast<std::uint32_t>(state.range(0));
    const auto source = SourceRow(pixels * inSamples * (inBits / 8));
    std::vector<std::uint8_t> target(pixels * outSamples);
    TColorManager manager;
    manager.SetInLayout(in);
    manager.SetOutLayout(out);
    manager.SetInBitsPerSample(inBits);
    if (inBits == 16)
        manager.InFlags = vidlark::cfSwapBytes;
    for (auto _ : state) {
        manager.TransformRow(source.data(), target.data(), pixels);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pixels * inSamples * (inBits / 8));
}

void RgbToBgrRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGB, vidlark::schBGR, 3, 3); }
void RgbaToBgraRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGBA, vidlark::schBGRA, 4, 4); }
void Rgb16ToBgrRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGB, vidlark::schBGR, 3, 3, 16); }
void Gray16ToGrayRow(benchmark::State& state) { ConvertRow(state, vidlark::schGray, vidlark::schGray, 1, 1, 16); }

// A 4000-pixel row (in cache) and a 4-megapixel row (through memory).
BENCHMARK(MemcpyRow)->Arg(4000)->Arg(4000000);
BENCHMARK(RgbToBgrRow)->Arg(4000)->Arg(4000000);
BENCHMARK(RgbaToBgraRow)->Arg(4000)->Arg(4000000);
BENCHMARK(Rgb16ToBgrRow)->Arg(4000)->Arg(4000000);
BENCHMARK(Gray16ToGrayRow)->Arg(4000)->Arg(4000000);

} // namespace

BENCHMARK_MAIN();
