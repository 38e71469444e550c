#pragma once
// Real files for the transfer tests.

#include "tests/platform/TempFolder.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace vidlark::test {

// Bytes that differ from block to block, so a misplaced block shows.
inline std::vector<char> PatternBytes(std::size_t size, unsigned seed = 1)
{
    std::vector<char> bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 24);
    }
    return bytes;
}

// A video file as the handheld's encoders write it, reduced to what the
// profile reader looks at: a top-level uuid box holding a VPRF box with the
// codec, then payload bytes up to the size asked for.
inline std::vector<char> VideoBytes(const std::string& codec, std::size_t size)
{
    auto be32 = [](std::vector<char>& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<char>(v >> shift));
    };
    std::vector<char> bytes;
    be32(bytes, 80);
    bytes.insert(bytes.end(), {'u', 'u', 'i', 'd'});
    bytes.insert(bytes.end(), 24, '\0');
    be32(bytes, 48);
    bytes.insert(bytes.end(), {'V', 'P', 'R', 'F'});
    bytes.insert(bytes.end(), 8, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        bytes.push_back(i < codec.size() ? codec[i] : '\0');
    bytes.insert(bytes.end(), 28, '\0');
    const auto payload = PatternBytes(size > bytes.size() ? size - bytes.size() : 0, 99);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<char>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<char> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets the last-write time (seconds and nanoseconds since the epoch).
inline void SetLastWrite(const std::filesystem::path& path, std::int64_t seconds, long nanoseconds)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

inline std::int64_t LastWrite(const std::filesystem::path& path)
{
    struct stat st{};
    ::stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

// The names in a folder, hidden ones included.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vidlark::test
