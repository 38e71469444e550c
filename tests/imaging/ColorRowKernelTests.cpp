// The vector row kernels against the plain loops: every row length from 0 to
// 64 (every tail of every block size), apart and in place, and no byte past
// the row touched.

#include "imaging/ColorRowKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace vidlark::color {
namespace {

using Bytes = std::vector<std::uint8_t>;
using TKernelRun = std::function<void(const TRowKernels&, const std::uint8_t*, std::uint8_t*, std::size_t)>;

constexpr std::size_t Guard = 64;
constexpr std::uint8_t GuardByte = 0xA5;

Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 23);
    }
    return bytes;
}

// The kernel's target, followed by guard bytes; in place the source is
// copied into the target buffer first.
Bytes RunKernel(const TKernelRun& run, const TRowKernels& kernels, const Bytes& source, std::size_t count,
          std::size_t targetBytes, bool inPlace)
{
    Bytes target(std::max(source.size(), targetBytes) + Guard, GuardByte);
    if (inPlace) {
        std::copy(source.begin(), source.end(), target.begin());
        run(kernels, target.data(), target.data(), count);
        // What a narrowing kernel leaves of the source behind the row is no result.
        std::fill(target.begin() + static_cast<std::ptrdiff_t>(targetBytes),
                  target.begin() + static_cast<std::ptrdiff_t>(std::max(source.size(), targetBytes)), GuardByte);
        return target;
    }
    run(kernels, source.data(), target.data(), count);
    return target;
}

struct TKernelCase {
    const char* Name;
    unsigned SourceBytes; // per item
    unsigned TargetBytes;
    TKernelRun Call;
};

const std::vector<TKernelCase>& Cases()
{
    static const std::vector<TKernelCase> cases = {
        {"exchange3", 3, 3, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                               std::size_t n) { k.ExchangeFirstAndThird3(s, d, n); }},
        {"exchange4", 4, 4, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                               std::size_t n) { k.ExchangeFirstAndThird4(s, d, n); }},
        {"narrow", 2, 1, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                            std::size_t n) { k.Narrow16To8(s, d, n, false); }},
        {"narrow swapped", 2, 1, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                    std::size_t n) { k.Narrow16To8(s, d, n, true); }},
        {"narrow exchange3", 6, 3, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                      std::size_t n) { k.NarrowExchange3(s, d, n, false); }},
        {"narrow exchange3 swapped", 6, 3, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                              std::size_t n) { k.NarrowExchange3(s, d, n, true); }},
        {"narrow exchange4", 8, 4, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                      std::size_t n) { k.NarrowExchange4(s, d, n, false); }},
        {"narrow exchange4 swapped", 8, 4, [](const TRowKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                              std::size_t n) { k.NarrowExchange4(s, d, n, true); }},
    };
    return cases;
}

TEST(RowKernels, EverySetMatchesThePlainLoopsForRowsOf0To64)
{
    const auto sets = SupportedRowKernels();
    ASSERT_EQ(sets.front(), &PlainRowKernels());
    for (const TKernelCase& c : Cases()) {
        for (std::size_t count = 0; count <= 64; ++count) {
            const Bytes source = Noise(count * c.SourceBytes, static_cast<std::uint32_t>(count + 1));
            for (const bool inPlace : {false, true}) {
                const Bytes expected =
                    RunKernel(c.Call, PlainRowKernels(), source, count, count * c.TargetBytes, inPlace);
                for (const TRowKernels* set : sets)
                    ASSERT_EQ(RunKernel(c.Call, *set, source, count, count * c.TargetBytes, inPlace), expected)
                        << set->Name << " " << c.Name << " count " << count << (inPlace ? " in place" : "");
            }
        }
    }
}

TEST(RowKernels, PlainLoopsExchangeAndNarrowAsTheFormulaSays)
{
    const Bytes rgb = Noise(3 * 11, 7);
    Bytes bgr(rgb.size());
    PlainRowKernels().ExchangeFirstAndThird3(rgb.data(), bgr.data(), 11);
    for (std::size_t i = 0; i < 11; ++i)
        ASSERT_EQ((Bytes{bgr[3 * i], bgr[3 * i + 1], bgr[3 * i + 2]}),
                  (Bytes{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i]}))
            << i;
    // Every 16-bit value, stored little-endian: read as is and swapped.
    Bytes words(2 * 65536);
    for (std::size_t v = 0; v < 65536; ++v) {
        words[2 * v] = static_cast<std::uint8_t>(v);
        words[2 * v + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    for (const TRowKernels* set : SupportedRowKernels()) {
        for (const bool swap : {false, true}) {
            Bytes narrow(65536);
            set->Narrow16To8(words.data(), narrow.data(), 65536, swap);
            // The values as 21845 pixels of three (the last value left out)
            // and 16384 of four, first and third samples exchanged.
            Bytes exchanged3(65535), exchanged4(65536);
            set->NarrowExchange3(words.data(), exchanged3.data(), 21845, swap);
            set->NarrowExchange4(words.data(), exchanged4.data(), 16384, swap);
            for (std::uint32_t v = 0; v < 65536; ++v) {
                const std::uint32_t expected = (swap ? ((v & 0xFF) << 8 | v >> 8) : v) * 255 / 65535;
                ASSERT_EQ(narrow[v], expected) << set->Name << " " << v << " swap " << swap;
                if (v < 65535) {
                    ASSERT_EQ(exchanged3[3 * (v / 3) + 2 - v % 3], expected)
                        << set->Name << " exchanged3 " << v << " swap " << swap;
                }
                ASSERT_EQ(exchanged4[v % 4 == 3 ? v : 4 * (v / 4) + 2 - v % 4], expected)
                    << set->Name << " exchanged4 " << v << " swap " << swap;
            }
        }
    }
}

TEST(RowKernels, TheChosenSetIsTheWidestSupported)
{
    EXPECT_EQ(&RowKernels(), SupportedRowKernels().back());
}

} // namespace
} // namespace vidlark::color
