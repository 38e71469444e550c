#include "imaging/ReaderChecks.h"

#include "imaging/Bitmap.h"

namespace vidlark {

void CheckPictureSize(TStream& stream, std::uint32_t width, std::uint32_t height, unsigned bitmapBitsPerPixel,
                      std::uint64_t leastDataBytes, std::string_view formatName)
{
    CheckImageSize(width, height, bitmapBitsPerPixel, formatName);
    CheckStreamHolds(stream, leastDataBytes, formatName);
}

void CheckStreamHolds(TStream& stream, std::uint64_t count, std::string_view formatName)
{
    if (static_cast<std::uint64_t>(stream.Remaining()) < count)
        RaiseGraphicErrorFmt(gesInvalidImage, {formatName});
}

std::vector<std::uint8_t> ReadFileBlock(TStream& stream, std::uint64_t count, std::string_view formatName)
{
    CheckStreamHolds(stream, count, formatName);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(count));
    stream.ReadBuffer(block.data(), block.size());
    return block;
}

} // namespace vidlark
