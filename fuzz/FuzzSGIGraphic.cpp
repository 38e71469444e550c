// Loads the input as an SGI file. The content test must keep the stream's
// position, and a picture that loads has the header's size and a bitmap
// format for the channels it shows.

#include "imaging/SGIGraphic.h"
#include "imaging/SGIHeader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace vidlark;

namespace {

// The size limits are the unit tests' business; pictures above a megapixel
// only slow the search down.
bool SmallEnough(const TSGIHeader& Header)
{
    return std::uint64_t{Header.Width} * Header.Height * Header.Channels <= (1u << 20);
}

TPixelFormat FormatShowing(std::uint8_t Channels)
{
    return Channels == 1 ? pf8bit : Channels == 3 ? pf24bit : pf32bit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TSGIHeader Header{};
    std::memcpy(&Header, Data, std::min(Size, sizeof Header));
    if (!SmallEnough(Header))
        return 0;
    TMemoryStream Stream(Data, Size);
    const bool Recognised = TSGIGraphic::CanReadStream(Stream);
    if (Stream.GetPosition() != 0)
        std::abort();
    (void)Recognised;
    TSGIGraphic Graphic;
    try {
        Graphic.LoadFromStream(Stream);
    } catch (const EGraphicError&) {
        return 0;
    }
    if (Graphic.GetWidth() != Header.Width || Graphic.GetHeight() != Header.Height ||
        Graphic.GetPixelFormat() != FormatShowing(sgi::ShownChannels(Header)))
        std::abort();
    return 0;
}
