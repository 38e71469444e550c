// Loads the input as a Targa file. A picture that loads is saved and loaded
// again, which must give the same rows back.

#include "imaging/TargaGraphic.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace vidlark;

namespace {

// The size limits are the unit tests' business; pictures above a megapixel
// only slow the search down.
bool SmallEnough(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 16)
        return true;
    const std::uint32_t Width = Data[12] | (Data[13] << 8);
    const std::uint32_t Height = Data[14] | (Data[15] << 8);
    return std::uint64_t{Width} * Height <= (1u << 20);
}

bool SameRows(const TTargaGraphic& A, const TTargaGraphic& B)
{
    if (A.GetWidth() != B.GetWidth() || A.GetHeight() != B.GetHeight() || A.GetPixelFormat() != B.GetPixelFormat())
        return false;
    const std::size_t Bytes = std::size_t{A.GetWidth()} * ((A.BitsPerPixel() + 7) / 8);
    for (std::uint32_t y = 0; y < A.GetHeight(); ++y)
        if (std::memcmp(A.ScanLine(y), B.ScanLine(y), Bytes) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (!SmallEnough(Data, Size))
        return 0;
    TMemoryStream Stream(Data, Size);
    const bool Recognised = TTargaGraphic::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    (void)Recognised;
    TTargaGraphic Graphic;
    try {
        Graphic.LoadFromStream(Stream);
    } catch (const EGraphicError&) {
        return 0;
    }
    if (Graphic.Empty())
        return 0;
    std::ostringstream Saved;
    Graphic.SaveToStream(Saved);
    const std::string File = Saved.str();
    TMemoryStream Again(File.data(), File.size());
    TTargaGraphic Reloaded;
    Reloaded.LoadFromStream(Again);
    // 8-bit pictures come back with their palette; the rows must match.
    if (!SameRows(Graphic, Reloaded))
        std::abort();
    return 0;
}
