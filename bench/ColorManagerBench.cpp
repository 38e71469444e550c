// The busiest rows of the colour manager against memcpy in the same run:
// 8-bit RGB to BGR and RGBA to BGRA, and 16-bit big-endian RGB, RGBA and
// grey narrowed to 8 bits (PNG's 16-bit pictures). A row at memory speed
// shows a time near memcpy's of its target bytes, or for 16-bit rows of
// their source bytes, which they must read. 8-bit Lab rows (Photoshop's
// coding: L* 0..255, a* and b* offset by 128) are set against Little CMS,
// when it is installed, on the same samples.

#include "imaging/ColorManager.h"
#include "imaging/ColorRowKernels.h"

#include <benchmark/benchmark.h>
#ifdef VIDLARK_BENCH_LCMS
#include <lcms2.h>
#endif

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vidlark::TColorManager;
using vidlark::TConversionFlags;

std::vector<std::uint8_t> SourceRow(std::size_t bytes)
{
    std::vector<std::uint8_t> row(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        row[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return row;
}

// memcpy of a row of range(0) pixels of range(1) bytes: the target bytes of
// an 8-bit row, or the source bytes of a 16-bit one, which it must read.
void MemcpyRow(benchmark::State& state)
{
    const auto pixels = static_cast<std::uint32_t>(state.range(0));
    const auto bytesPerPixel = static_cast<std::uint32_t>(state.range(1));
    const auto source = SourceRow(pixels * bytesPerPixel);
    std::vector<std::uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pixels * bytesPerPixel);
}

void ConvertRow(benchmark::State& state, vidlark::TColorLayout in, vidlark::TColorLayout out, unsigned inSamples,
                unsigned outSamples, std::uint8_t inBits = 8, vidlark::TConversionFlags inFlags = 0)
{
    const auto pixels = static_cast<std::uint32_t>(state.range(0));
    const auto source = SourceRow(pixels * inSamples * (inBits / 8));
    std::vector<std::uint8_t> target(pixels * outSamples);
    TColorManager manager;
    manager.SetInLayout(in);
    manager.SetOutLayout(out);
    manager.SetInBitsPerSample(inBits);
    manager.InFlags = inBits == 16 ? TConversionFlags{vidlark::cfSwapBytes} : inFlags;
    for (auto _ : state) {
        manager.TransformRow(source.data(), target.data(), pixels);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pixels * inSamples * (inBits / 8));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * pixels);
}

void RgbToBgrRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGB, vidlark::schBGR, 3, 3); }
void RgbaToBgraRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGBA, vidlark::schBGRA, 4, 4); }
void Rgb16ToBgrRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGB, vidlark::schBGR, 3, 3, 16); }
void Rgba16ToBgraRow(benchmark::State& state) { ConvertRow(state, vidlark::schRGBA, vidlark::schBGRA, 4, 4, 16); }
void Gray16ToGrayRow(benchmark::State& state) { ConvertRow(state, vidlark::schGray, vidlark::schGray, 1, 1, 16); }
void LabToBgrRow(benchmark::State& state)
{
    ConvertRow(state, vidlark::schCIELab, vidlark::schBGR, 3, 3, 8, vidlark::cfLabScaledL | vidlark::cfLabOffsetAB);
}

#ifdef VIDLARK_BENCH_LCMS
// Little CMS from its D50 Lab profile to sRGB: flags 0 is its default
// (an 8-bit precalculated grid), cmsFLAGS_NOOPTIMIZE its exact pipeline.
void LcmsLabToBgrRow(benchmark::State& state, cmsUInt32Number flags)
{
    const auto pixels = static_cast<std::uint32_t>(state.range(0));
    const auto source = SourceRow(pixels * 3);
    std::vector<std::uint8_t> target(pixels * 3);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(lab, TYPE_Lab_8, srgb, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, flags);
    for (auto _ : state) {
        cmsDoTransform(transform, source.data(), target.data(), pixels);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pixels * 3);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * pixels);
}
void LcmsLabToBgrRowDefault(benchmark::State& state) { LcmsLabToBgrRow(state, 0); }
void LcmsLabToBgrRowExact(benchmark::State& state) { LcmsLabToBgrRow(state, cmsFLAGS_NOOPTIMIZE); }
BENCHMARK(LcmsLabToBgrRowDefault)->Arg(4000)->Arg(4000000);
BENCHMARK(LcmsLabToBgrRowExact)->Arg(4000)->Arg(4000000);
#endif

// A 4000-pixel row (in cache) and a 4-megapixel row (through memory).
// Pixels, then bytes per pixel: RGB, RGBA, RGB 16 and RGBA 16.
BENCHMARK(MemcpyRow)->ArgsProduct({{4000, 4000000}, {3, 4, 6, 8}});
BENCHMARK(RgbToBgrRow)->Arg(4000)->Arg(4000000);
BENCHMARK(RgbaToBgraRow)->Arg(4000)->Arg(4000000);
BENCHMARK(Rgb16ToBgrRow)->Arg(4000)->Arg(4000000);
BENCHMARK(Rgba16ToBgraRow)->Arg(4000)->Arg(4000000);
BENCHMARK(Gray16ToGrayRow)->Arg(4000)->Arg(4000000);
BENCHMARK(LabToBgrRow)->Arg(4000)->Arg(4000000);

// Each instruction set this processor runs, on the 4000-pixel row: the
// fastest is the one chosen, and the others show what processors without it
// get.
void KernelRow(benchmark::State& state, const vidlark::color::TRowKernels* set, bool narrow)
{
    constexpr std::size_t pixels = 4000;
    const auto source = SourceRow(pixels * (narrow ? 6 : 3));
    std::vector<std::uint8_t> target(pixels * 3);
    for (auto _ : state) {
        if (narrow)
            set->NarrowExchange3(source.data(), target.data(), pixels, true);
        else
            set->ExchangeFirstAndThird3(source.data(), target.data(), pixels);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * pixels);
}

void RegisterKernelRows()
{
    for (const vidlark::color::TRowKernels* set : vidlark::color::SupportedRowKernels()) {
        benchmark::RegisterBenchmark((std::string("Exchange3Kernel/") + set->Name).c_str(), KernelRow, set, false);
        benchmark::RegisterBenchmark((std::string("NarrowExchange3Kernel/") + set->Name).c_str(), KernelRow, set,
                                     true);
    }
}

} // namespace

int main(int argc, char** argv)
{
    RegisterKernelRows();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
