#pragma once
// The hidden temporary files that interrupted copies leave in their folders
// (named as TCopyTarget::IsTemporaryName says).

#include "platform/FileCalls.h"

#include <chrono>
#include <filesystem>
#include <optional>

namespace vidlark {

// Removes from the open folder the leftovers last written before
// writtenBefore, or all of them when it is unset. Touches no other entry.
void RemoveCopyLeftovers(int folderFd, TFileCalls& calls,
                         std::optional<std::chrono::system_clock::time_point> writtenBefore = std::nullopt);

// The same for a folder by its native path; a missing folder has none.
void RemoveCopyLeftovers(const std::filesystem::path& folder, TFileCalls& calls,
                         std::chrono::system_clock::time_point writtenBefore);

} // namespace vidlark
