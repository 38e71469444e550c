#pragma once
// The inner loops of the busiest row converters: whole rows of 8-bit pixels
// whose first and third samples change places, and 16-bit samples narrowed
// to 8 bits, alone or with the exchange. A plain version runs on every
// processor; on x86-64 vector versions are chosen once, by what the
// processor supports.
//
// Every kernel may run in place (source == target).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vidlark::color {

struct TRowKernels {
    const char* Name;
    // count pixels of three bytes (RGB <-> BGR).
    void (*ExchangeFirstAndThird3)(const std::uint8_t* source, std::uint8_t* target, std::size_t count);
    // count pixels of four bytes (RGBA <-> BGRA), the fourth byte kept.
    void (*ExchangeFirstAndThird4)(const std::uint8_t* source, std::uint8_t* target, std::size_t count);
    // count native 16-bit samples, or big-endian ones when swap is set, to
    // v * 255 / 65535 truncated, one byte each.
    void (*Narrow16To8)(const std::uint8_t* source, std::uint8_t* target, std::size_t count, bool swap);
    // count pixels of three (four) 16-bit samples, read as Narrow16To8 reads
    // them, to three (four) bytes with the first and third exchanged: RGB 16
    // to BGR 8, RGBA 16 to BGRA 8.
    void (*NarrowExchange3)(const std::uint8_t* source, std::uint8_t* target, std::size_t count, bool swap);
    void (*NarrowExchange4)(const std::uint8_t* source, std::uint8_t* target, std::size_t count, bool swap);
};

// The plain loops.
const TRowKernels& PlainRowKernels();

// The fastest kernels this processor runs, chosen on first use.
const TRowKernels& RowKernels();

// Every set this processor runs, the plain one first (for tests and benchmarks).
std::vector<const TRowKernels*> SupportedRowKernels();

// The vector sets of x86-64, null where the processor or the build lacks them.
const TRowKernels* Ssse3RowKernels();
const TRowKernels* Avx2RowKernels();
const TRowKernels* Avx512RowKernels();

} // namespace vidlark::color
