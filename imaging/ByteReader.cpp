#include "imaging/ByteReader.h"

#include <algorithm>

namespace vidlark {

TByteReader::TByteReader(TStream& stream, std::size_t count, std::string_view formatName) : FormatName(formatName)
{
    TStreamPositionKeeper keep(stream);
    const auto available = static_cast<std::uint64_t>(stream.Remaining());
    Owned.resize(static_cast<std::size_t>(std::min<std::uint64_t>(available, count)));
    Owned.resize(stream.Read(Owned.data(), Owned.size()));
    Data = Owned;
}

} // namespace vidlark
