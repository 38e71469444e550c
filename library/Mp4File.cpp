#include "library/Mp4File.h"

#include "library/FileOpenError.h"

#include <algorithm>
#include <cstring>

namespace vidlark {

TMp4File::TMp4File(const std::filesystem::path& file, const std::string& shownName)
{
    // Unbuffered: the window below is the only buffer, and each read asks the
    // system for just the bytes the walk may need.
    Stream.rdbuf()->pubsetbuf(nullptr, 0);
    Stream.open(file, std::ios::in | std::ios::binary);
    if (!Stream.is_open())
        throw EFileOpenError(shownName);
    // A folder opens but cannot be read: that is an open failure too.
    if (!FillWindow(0))
        throw EFileOpenError(shownName);
    if (WindowFill < WindowSize) {
        FileLength = static_cast<std::int64_t>(WindowFill);
        return;
    }
    const std::streamoff end = Stream.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
    if (end < 0)
        throw EFileOpenError(shownName);
    FileLength = std::min<std::int64_t>(end, MaxLength);
    StreamPos = end;
}

void TMp4File::Seek(std::int64_t position)
{
    Pos = std::min(position, FileLength);
}

bool TMp4File::FillWindow(std::int64_t start)
{
    WindowStart = start;
    WindowFill = 0;
    if (StreamPos != start) {
        if (Stream.rdbuf()->pubseekpos(start, std::ios::in) != std::streampos(start)) {
            StreamPos = -1;
            return false;
        }
        StreamPos = start;
    }
    // Before the length is known the whole window is asked for; afterwards
    // no more than the file holds, which saves the read that would see the end.
    std::streamsize want = static_cast<std::streamsize>(WindowSize);
    if (FileLength > 0)
        want = static_cast<std::streamsize>(std::min<std::int64_t>(want, FileLength - start));
    std::streamsize got = 0;
    try {
        got = Stream.rdbuf()->sgetn(reinterpret_cast<char*>(Window.data()), want);
    } catch (const std::ios_base::failure&) {
        // The library reports a failed read of the system this way; the
        // bytes are then as missing as those past the end.
        StreamPos = -1;
        return false;
    }
    WindowFill = static_cast<std::size_t>(got);
    StreamPos += got;
    return true;
}

bool TMp4File::Read(std::uint8_t* out, std::size_t count)
{
    const std::int64_t start = Pos;
    Skip(static_cast<std::int64_t>(count));
    if (start < 0 || start > FileLength - static_cast<std::int64_t>(count))
        return false;
    const bool inWindow = start >= WindowStart &&
        start - WindowStart + static_cast<std::int64_t>(count) <= static_cast<std::int64_t>(WindowFill);
    if (!inWindow) {
        FillWindow(start);
        // The file may have shrunk since its length was taken.
        if (WindowFill < count)
            return false;
    }
    std::memcpy(out, Window.data() + (start - WindowStart), count);
    return true;
}

std::optional<std::uint16_t> TMp4File::ReadU16()
{
    std::uint8_t bytes[2];
    if (!Read(bytes, sizeof bytes))
        return std::nullopt;
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::optional<std::uint32_t> TMp4File::ReadU32()
{
    std::uint8_t bytes[4];
    if (!Read(bytes, sizeof bytes))
        return std::nullopt;
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

std::optional<std::array<std::uint8_t, 4>> TMp4File::ReadFourBytes()
{
    std::array<std::uint8_t, 4> bytes;
    if (!Read(bytes.data(), bytes.size()))
        return std::nullopt;
    return bytes;
}

} // namespace vidlark
