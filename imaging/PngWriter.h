#pragma once
// Writes a picture as an 8-bit RGBA PNG file, for tools and tests.

#include "imaging/Graphic.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace vidlark {

// A file that cannot be created or written.
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* gesFileCreateError = "ファイル %s を作成できません";

std::vector<std::uint8_t> EncodePNG(const TRGBAImage& image);
// EFCreateError when the file cannot be written.
void SavePNGFile(const TRGBAImage& image, const std::filesystem::path& fileName);

} // namespace vidlark
