#pragma once
// The copy loop of one file, apart from the window: blocks of 512 KiB through
// one buffer, progress and message handling after every block.

#include "platform/CopySource.h"
#include "platform/CopyTarget.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vidlark {

inline constexpr std::size_t CopyBlockSize = 524288;

struct TBlockCopyHooks {
    // Bytes that have reached the device since the last call.
    std::function<void(std::int64_t bytes)> Settled;
    // Runs after every block; returns true when the copy is to stop.
    std::function<bool()> AfterBlock;
};

// Copies the whole source into the target and commits it. False when the
// target took fewer bytes than were read or AfterBlock asked to stop; the
// target then removes what it had. Throws TCopyError on a read, write-back or
// commit failure, and when the source ends before the size it had at opening.
bool CopyInBlocks(TCopySource& source, TCopyTarget& target, const TBlockCopyHooks& hooks);

} // namespace vidlark
