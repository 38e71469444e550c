#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace vidlark {

// One file opened read-only for the metadata walks. Positions are 64-bit and
// may be moved past the end; a read that does not lie wholly inside the file
// gives nothing. A small window keeps neighbouring box headers to one read.
class TMp4File {
public:
    // Throws EFileOpenError naming shownName when the file cannot be read.
    TMp4File(const std::filesystem::path& file, const std::string& shownName);

    std::int64_t Length() const { return FileLength; }
    std::int64_t Position() const { return Pos; }
    // Positions past the end all behave alike, so they are held at the end.
    void Seek(std::int64_t position);
    // count is at most a 32-bit size, so the sum cannot overflow.
    void Skip(std::int64_t count) { Seek(Pos + count); }

    // Each read moves the position behind the bytes it wanted, and gives
    // nothing when they are not all there.
    std::optional<std::uint16_t> ReadU16();
    std::optional<std::uint32_t> ReadU32();
    std::optional<std::array<std::uint8_t, 4>> ReadFourBytes();

    // A file can hold no more; sums of a position and a 32-bit size stay
    // well inside 64 bits.
    static constexpr std::int64_t MaxLength = std::int64_t{1} << 60;
    static constexpr std::size_t WindowSize = 256;

private:
    bool Read(std::uint8_t* out, std::size_t count);
    // False when the system failed the seek or the read.
    bool FillWindow(std::int64_t start);

    std::ifstream Stream;
    std::int64_t FileLength = 0;
    std::int64_t Pos = 0;
    std::int64_t StreamPos = 0;
    std::array<std::uint8_t, WindowSize> Window{};
    std::int64_t WindowStart = 0;
    std::size_t WindowFill = 0;
};

} // namespace vidlark
