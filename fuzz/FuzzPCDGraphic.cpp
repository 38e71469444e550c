// Loads the input as a Photo-CD image pac. A pac is at least 768 KiB, far
// beyond what a fuzzer grows, so the input is laid out over one: its first
// three bytes (little-endian, at most the full pac) give the file's length,
// the next 6144 bytes are the header, and the rest is repeated over the
// Base picture from its first row; what the input does not cover is zero.

#include "fuzz/ReaderFuzzing.h"
#include "imaging/PCDGraphic.h"

#include <algorithm>
#include <vector>

using namespace vidlark;

namespace {

constexpr std::size_t HeaderBytes = 6144;
constexpr std::size_t BaseOffset = 196608;
constexpr std::size_t PacBytes = BaseOffset + 256 * 2304;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 3)
        return 0;
    const std::size_t Length = (Data[0] | (Data[1] << 8) | (Data[2] << 16)) % (PacBytes + 1);
    std::vector<std::uint8_t> File(Length, 0);
    const std::uint8_t* Rest = Data + 3;
    const std::size_t RestSize = Size - 3;
    const std::size_t Header = std::min({RestSize, HeaderBytes, Length});
    std::copy_n(Rest, Header, File.begin());
    if (RestSize > HeaderBytes)
        for (std::size_t At = BaseOffset; At < Length; ++At)
            File[At] = Rest[HeaderBytes + (At - BaseOffset) % (RestSize - HeaderBytes)];
    TMemoryStream Stream(std::move(File));
    fuzz::LoadInput<TPCDGraphic>(Stream);
    return 0;
}
