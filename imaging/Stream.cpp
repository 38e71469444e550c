#include "imaging/Stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vidlark {

namespace {

// The new position of a seek, or EStreamError when it would be negative or
// overflow.
std::int64_t SeekTarget(std::int64_t position, std::int64_t size, std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = position; break;
    case TSeekOrigin::soEnd: base = size; break;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        throw EStreamError(gesStreamSeek);
    return target;
}

} // namespace

std::int64_t TStream::Remaining()
{
    const std::int64_t position = GetPosition();
    const std::int64_t size = GetSize();
    return position < size ? size - position : 0;
}

void TStream::ReadBuffer(void* buffer, std::size_t count)
{
    if (Read(buffer, count) != count)
        throw EStreamError(gesStreamRead);
}

TFileStream::TFileStream(const std::filesystem::path& path)
{
    if (!File.open(path, std::ios::in | std::ios::binary))
        throw EFOpenError(FormatGraphicMessage(gesFileOpenError, {path.string()}));
    const auto end = File.pubseekoff(0, std::ios::end, std::ios::in);
    if (end == std::streampos(-1) || File.pubseekpos(0, std::ios::in) == std::streampos(-1))
        throw EFOpenError(FormatGraphicMessage(gesFileOpenError, {path.string()}));
    Size = static_cast<std::int64_t>(end);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    if (count == 0 || Position >= Size)
        return 0;
    const auto wanted = static_cast<std::streamsize>(
        std::min<std::int64_t>(static_cast<std::int64_t>(std::min<std::size_t>(count, std::numeric_limits<std::streamsize>::max())),
                               Size - Position));
    const std::streamsize got = File.sgetn(static_cast<char*>(buffer), wanted);
    Position += got;
    return static_cast<std::size_t>(got);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const std::int64_t target = SeekTarget(Position, Size, offset, origin);
    if (target != Position) {
        // Past the end there is nothing to read; the file itself stays at its end.
        const std::int64_t inside = std::min(target, Size);
        if (File.pubseekpos(inside, std::ios::in) == std::streampos(-1))
            throw EStreamError(gesStreamSeek);
        Position = target;
    }
    return Position;
}

TMemoryStream::TMemoryStream(const void* data, std::size_t size)
    : Data(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size)
{
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    const auto size = static_cast<std::int64_t>(Data.size());
    if (count == 0 || Position >= size)
        return 0;
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - Position, static_cast<std::int64_t>(std::min<std::size_t>(count, static_cast<std::size_t>(size)))));
    std::memcpy(buffer, Data.data() + Position, n);
    Position += static_cast<std::int64_t>(n);
    return n;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    Position = SeekTarget(Position, static_cast<std::int64_t>(Data.size()), offset, origin);
    return Position;
}

} // namespace vidlark
