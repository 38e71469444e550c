#include "imaging/PNGChunkReader.h"

#include "imaging/PNGGraphic.h"

#include <zlib.h>

namespace vidlark {

namespace {

// A fuzzer could never build a chunk past the CRC check, so its builds let
// every CRC pass.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool LetCrcErrorsPass = true;
#else
constexpr bool LetCrcErrorsPass = false;
#endif

} // namespace

bool TPNGChunkReader::ReadHead()
{
    TPNGChunkHead Head;
    Fitting = false;
    if (Stream.Read(&Head, sizeof Head) != sizeof Head)
        return false;
    FLength = Head.Length;
    FType = Head.Type;
    if (FLength > png::MaxChunkLength)
        RaiseGraphicErrorFmt(gesInvalidImage, {TPNGGraphic::FormatName});
    Fitting = static_cast<std::uint64_t>(Stream.Remaining()) >= std::uint64_t{FLength} + 4;
    return true;
}

const std::vector<std::uint8_t>& TPNGChunkReader::ReadBody()
{
    Data.clear(); // keeps the capacity for the next chunk
    AppendBody(Data);
    return Data;
}

void TPNGChunkReader::AppendBody(std::vector<std::uint8_t>& Buffer)
{
    if (!Fitting)
        RaiseGraphicErrorFmt(gesInvalidImage, {TPNGGraphic::FormatName});
    Fitting = false;
    const std::size_t Start = Buffer.size();
    Buffer.resize(Start + FLength);
    Stream.ReadBuffer(Buffer.data() + Start, FLength);
    TBigEndian32 Stored;
    Stream.ReadBuffer(&Stored, sizeof Stored);
    std::uint8_t TypeBytes[4];
    StoreEndian<std::uint32_t, true>(TypeBytes, FType);
    uLong Crc = crc32(0, TypeBytes, sizeof TypeBytes);
    Crc = crc32_z(Crc, Buffer.data() + Start, FLength);
    if (Crc != Stored && !LetCrcErrorsPass)
        RaiseGraphicErrorFmt(gesInvalidCRC, {TPNGGraphic::FormatName});
}

void TPNGChunkReader::Skip()
{
    if (!Fitting)
        RaiseGraphicErrorFmt(gesInvalidImage, {TPNGGraphic::FormatName});
    Fitting = false;
    Stream.Seek(std::int64_t{FLength} + 4, TSeekOrigin::soCurrent);
}

} // namespace vidlark
