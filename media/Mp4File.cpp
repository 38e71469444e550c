#include "media/Mp4File.h"

#include "media/FileOpenError.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace vidlark {

namespace {

// The reader's own opening: an unbuffered C stream (the window is the only
// buffer) that seeks only when a read does not follow the last one.
class TStreamFile {
public:
    explicit TStreamFile(std::FILE* stream) : Stream(stream, std::fclose) {}

    bool Unbuffered() { return std::setvbuf(Stream.get(), nullptr, _IONBF, 0) == 0; }

    std::int64_t ReadAt(std::int64_t position, std::uint8_t* out, std::size_t count)
    {
        // Seeks of the C library take a long, which holds any file position
        // of this system.
        if (Position != position) {
            if (position > std::numeric_limits<long>::max() ||
                std::fseek(Stream.get(), static_cast<long>(position), SEEK_SET) != 0) {
                Position = -1;
                return -1;
            }
            Position = position;
        }
        std::clearerr(Stream.get());
        const std::size_t got = std::fread(out, 1, count, Stream.get());
        if (std::ferror(Stream.get())) {
            Position = -1;
            return -1;
        }
        Position += static_cast<std::int64_t>(got);
        return static_cast<std::int64_t>(got);
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> Stream;
    std::int64_t Position = 0;
};

} // namespace

TMp4File::TMp4File(const std::filesystem::path& file, const std::string& shownName)
{
    // Only a plain file can hold the boxes; opening a pipe would wait for a
    // writer for ever. The size of anything else is an error, so one look
    // tells both.
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(file, ec);
    if (ec)
        throw EFileOpenError(shownName);
    FileLength = static_cast<std::int64_t>(std::min<std::uintmax_t>(length, static_cast<std::uintmax_t>(MaxLength)));
    std::FILE* stream = std::fopen(file.c_str(), "rb");
    if (!stream)
        throw EFileOpenError(shownName);
    // Shared: the reading function is copyable.
    auto streamFile = std::make_shared<TStreamFile>(stream);
    if (!streamFile->Unbuffered())
        throw EFileOpenError(shownName);
    ReadAt = [streamFile](std::int64_t position, std::uint8_t* out, std::size_t count) {
        return streamFile->ReadAt(position, out, count);
    };
    Start(shownName);
}

TMp4File::TMp4File(TReadAt readAt, std::int64_t length, const std::string& shownName)
    : ReadAt(std::move(readAt)), FileLength(std::clamp<std::int64_t>(length, 0, MaxLength))
{
    if (!ReadAt)
        throw EFileOpenError(shownName);
    Start(shownName);
}

void TMp4File::Start(const std::string& shownName)
{
    // A file that opens but cannot be read is an open failure too.
    if (!FillWindow(0))
        throw EFileOpenError(shownName);
}

void TMp4File::Seek(std::int64_t position)
{
    Pos = std::min(position, MaxLength);
}

bool TMp4File::InWindow(std::int64_t position, std::size_t count) const
{
    return position >= WindowStart &&
           position - WindowStart + static_cast<std::int64_t>(count) <= static_cast<std::int64_t>(WindowFill);
}

bool TMp4File::Holds(std::int64_t position, std::size_t count)
{
    if (position < 0)
        return false;
    if (InWindow(position, count))
        return true;
    return position + static_cast<std::int64_t>(count) <= FileLength;
}

bool TMp4File::FillWindow(std::int64_t start)
{
    WindowStart = start;
    WindowFill = 0;
    // No more than the file holds: asking for more costs a read that only
    // sees the end.
    const std::int64_t want = std::min(static_cast<std::int64_t>(WindowSize), FileLength - start);
    if (want <= 0)
        return true;
    // A failed read of the system leaves the bytes as missing as those
    // past the end.
    const std::int64_t got = ReadAt(start, Window.data(), static_cast<std::size_t>(want));
    if (got < 0 || got > want)
        return false;
    WindowFill = static_cast<std::size_t>(got);
    // A short read is the end of a file that shrank since it was opened
    // (every reader reads until it has all or sees the end).
    if (got < want)
        FileLength = start + got;
    return true;
}

bool TMp4File::Read(std::uint8_t* out, std::size_t count)
{
    const std::int64_t start = Pos;
    Skip(static_cast<std::int64_t>(count));
    if (!Holds(start, count))
        return false;
    if (!InWindow(start, count) && (!FillWindow(start) || WindowFill < count))
        return false;  // the file shrank since its end was seen
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
