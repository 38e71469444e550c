#include "transfer/BlockCopy.h"

#include "platform/CopyError.h"
#include "platform/DosTime.h"

#include <cerrno>
#include <vector>

namespace vidlark {

bool CopyInBlocks(TCopySource& source, TCopyTarget& target, const TBlockCopyHooks& hooks)
{
    std::vector<std::byte> buffer(CopyBlockSize);
    const std::int64_t size = source.Size();
    for (;;) {
        const std::size_t readCount = source.Read(buffer.data(), buffer.size());
        // Reading nothing short of the size would otherwise loop for ever.
        if (readCount == 0 && source.Position() < size)
            throw TCopyError("the source ended before its size", EIO);
        const std::size_t writtenCount = target.Write(buffer.data(), readCount);
        hooks.Settled(target.TakeSettledBytes());
        const bool stop = hooks.AfterBlock();
        if (writtenCount != readCount || stop)
            return false;
        if (source.Position() >= size)
            break;
    }
    target.Commit(DosRoundedTime(source.LastWriteSeconds()));
    hooks.Settled(target.TakeSettledBytes());
    return true;
}

} // namespace vidlark
