// Loads the input as a PNG file (the content test first, which must leave
// the stream where it was). Fuzzing builds let every CRC pass, so inputs
// reach the image data; fuzz/fuzz_png.dict holds the chunk names.

#include "imaging/PNGGraphic.h"

#include "fuzz/ReaderFuzzing.h"

namespace {

// The size limits are the unit tests' business; pictures above a megapixel
// only slow the search down.
bool SmallEnough(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 24)
        return true;
    const auto At = [&](std::size_t i) {
        return std::uint32_t{Data[i]} << 24 | std::uint32_t{Data[i + 1]} << 16 | std::uint32_t{Data[i + 2]} << 8 | Data[i + 3];
    };
    return std::uint64_t{At(16)} * At(20) <= (1u << 20);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (SmallEnough(Data, Size))
        vidlark::fuzz::LoadInput<vidlark::TPNGGraphic>(Data, Size);
    return 0;
}
