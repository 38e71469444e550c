// The MP4 metadata reader on arbitrary bytes: both walks, through a file
// since the reader reads files.
#include "media/PspMetadata.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::filesystem::path& InputFile()
{
    static const std::filesystem::path file = [] {
        const std::filesystem::path shm = "/dev/shm";
        std::error_code error;
        const auto folder = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
        return folder / ("fuzz-psp-metadata-" + std::to_string(std::rand()) + ".mp4");
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& file = InputFile();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::string title = vidlark::ReadPspTitle(file, "input");
    vidlark::TVideoProfile profile;
    vidlark::ReadVideoProfile(file, "input", profile);
    // At most 125 UTF-16 units, each at most 3 bytes of UTF-8 (a pair: 4 for 2).
    if (title.size() > 125 * 3 || profile.Codec.size() > 4)
        std::abort();
    return 0;
}
