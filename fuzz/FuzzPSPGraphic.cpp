// Loads the input as a Paintshop Pro file (the content test first, which
// must leave the stream where it was).

#include "imaging/PSPGraphic.h"

#include "fuzz/ReaderFuzzing.h"

namespace {

// Width and height stand at byte 50 in every version; pictures above a
// megapixel only slow the search down.
bool SmallEnough(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 58)
        return true;
    const auto At = [&](std::size_t i) {
        return std::uint32_t{Data[i]} | std::uint32_t{Data[i + 1]} << 8 | std::uint32_t{Data[i + 2]} << 16 | std::uint32_t{Data[i + 3]} << 24;
    };
    return std::uint64_t{At(50)} * At(54) <= (1u << 20);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (SmallEnough(Data, Size))
        vidlark::fuzz::LoadInput<vidlark::TPSPGraphic>(Data, Size);
    return 0;
}
