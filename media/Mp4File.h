#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace vidlark {

// One file opened read-only for the metadata walks. Positions are 64-bit and
// may lie past the end; a read that does not lie wholly inside the file
// gives nothing. A small window keeps neighbouring box headers to one read
// of the system; the length is the one the file had at opening, so no read
// goes past it only to find the end.
class TMp4File {
public:
    // Reads up to count bytes from position on into out: how many were read
    // (fewer only at the end of the file), or -1 when the system failed.
    using TReadAt = std::function<std::int64_t(std::int64_t position, std::uint8_t* out, std::size_t count)>;

    // Throws EFileOpenError naming shownName when the file cannot be read.
    TMp4File(const std::filesystem::path& file, const std::string& shownName);
    // A file someone else opened, read through readAt, with its length at
    // opening; throws as above when its first bytes cannot be read.
    TMp4File(TReadAt readAt, std::int64_t length, const std::string& shownName);

    std::int64_t Position() const { return Pos; }
    void Seek(std::int64_t position);
    // count is at most a 32-bit size, so the sum cannot overflow.
    void Skip(std::int64_t count) { Seek(Pos + count); }

    // True when the file holds count bytes (at most WindowSize) from position on.
    bool Holds(std::int64_t position, std::size_t count);

    // Each read moves the position behind the bytes it wanted, and gives
    // nothing when they are not all there.
    std::optional<std::uint16_t> ReadU16();
    std::optional<std::uint32_t> ReadU32();
    std::optional<std::array<std::uint8_t, 4>> ReadFourBytes();

    // No file is longer; sums of a position and a 32-bit size stay well
    // inside 64 bits.
    static constexpr std::int64_t MaxLength = std::int64_t{1} << 60;
    // Four pages: a small video (ftyp, the profile, a short mdat, then moov,
    // its tracks and the title) comes in one read of the system, and the
    // boxes at the end of a long one in one seek and one read.
    static constexpr std::size_t WindowSize = 16384;

private:
    // The first window read.
    void Start(const std::string& shownName);
    bool Read(std::uint8_t* out, std::size_t count);
    bool InWindow(std::int64_t position, std::size_t count) const;
    // False when the system failed the seek or the read.
    bool FillWindow(std::int64_t start);

    TReadAt ReadAt;
    std::int64_t FileLength = 0;   // at opening, or where a read met the end
    std::int64_t Pos = 0;
    // Not cleared: only the first WindowFill bytes are ever read.
    std::array<std::uint8_t, WindowSize> Window;
    std::int64_t WindowStart = 0;
    std::size_t WindowFill = 0;
};

} // namespace vidlark
