#pragma once
// Real files in a fresh temporary folder for the transfer tests.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vidlark::test {

class TTempFolder {
public:
    TTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vidlark-transfer-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        Root = pattern;
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Root, ignored);
    }
    const std::filesystem::path& Path() const { return Root; }
    std::filesystem::path operator/(const std::string& name) const { return Root / name; }

private:
    std::filesystem::path Root;
};

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
