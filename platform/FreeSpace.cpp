#include "platform/FreeSpace.h"

#include <limits>

#include <sys/statvfs.h>

namespace vidlark {

std::int64_t BlockBytes(std::uint64_t blocks, std::uint64_t blockSize)
{
    constexpr auto Largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(blocks, blockSize, &bytes) || bytes > Largest)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(bytes);
}

std::int64_t AvailableBytes(const std::filesystem::path& folder)
{
    struct statvfs st;
    if (::statvfs(folder.c_str(), &st) != 0)
        return -1;
    return BlockBytes(st.f_bavail, st.f_frsize);
}

} // namespace vidlark
