#pragma once

#include "platform/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace vidlark {

// The file a copy reads: a regular file opened read-only (others may go on
// reading and writing it), with its size and last-write time taken at opening.
class TCopySource {
public:
    // Throws TCopyError when the file cannot be opened or is no regular file.
    explicit TCopySource(const std::filesystem::path& path);

    std::int64_t Size() const { return SizeAtOpen; }
    std::int64_t Position() const { return Offset; }
    std::int64_t LastWriteSeconds() const { return LastWrite; }

    // Reads up to length bytes; fewer only where the file ends. Throws
    // TCopyError on a read error.
    std::size_t Read(std::byte* buffer, std::size_t length);

private:
    TFileDescriptor File;
    std::int64_t SizeAtOpen = 0;
    std::int64_t Offset = 0;
    std::int64_t LastWrite = 0;
};

} // namespace vidlark
