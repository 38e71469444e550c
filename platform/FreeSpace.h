#pragma once

#include <cstdint>
#include <filesystem>

namespace vidlark {

// Bytes of blocks × blockSize, held at INT64_MAX: some network and FUSE file
// systems report block counts whose product does not fit.
std::int64_t BlockBytes(std::uint64_t blocks, std::uint64_t blockSize);

// The bytes available to the user on the file system of folder; -1 when it
// cannot be queried.
std::int64_t AvailableBytes(const std::filesystem::path& folder);

} // namespace vidlark
