#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

namespace vidlark {

// A folder of its own for one test, removed with everything in it.
class TTempFolder {
public:
    // The path stays empty when the folder cannot be made.
    explicit TTempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path(),
                         const std::string& prefix = "vidlark-test-")
    {
        std::string name = (base / (prefix + "XXXXXX")).string();
        if (::mkdtemp(name.data()))
            path_ = name;
    }
    ~TTempFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes a file (and its folders) below the temporary folder.
    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const
    {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

} // namespace vidlark
