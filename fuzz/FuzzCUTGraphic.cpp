// Loads the input as a Dr. Halo image with its palette file. The first two
// bytes (little-endian) give the palette file's length, 0xFFFF for none;
// the palette file's bytes follow, then the image's.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/CUTGraphic.h"

#include <algorithm>
#include <optional>

using namespace vidlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 2)
        return 0;
    const std::size_t Announced = Data[0] | (Data[1] << 8);
    const bool HasPalette = Announced != 0xFFFF;
    const std::size_t PaletteBytes = HasPalette ? std::min(Announced, Size - 2) : 0;
    std::optional<TMemoryStream> Palette;
    if (HasPalette)
        Palette.emplace(Data + 2, PaletteBytes);
    TMemoryStream Image(Data + 2 + PaletteBytes, Size - 2 - PaletteBytes);
    fuzz::LoadInput<TCUTGraphic>(Image, [&](TCUTGraphic& Graphic, TStream& From) {
        Graphic.LoadWithPalette(From, Palette ? &*Palette : nullptr);
    });
    return 0;
}
