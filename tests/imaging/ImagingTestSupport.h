#pragma once
// Helpers of the image library's tests: fixture paths, reading the PPM/PGM
// references, and a probe of the largest single allocation.

#include "imaging/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vidlark::test {

std::filesystem::path Fixture(const std::string& name);
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

// A binary PPM (3 samples) or PGM (1 sample) picture.
struct TPnm {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    unsigned Samples = 0;
    std::vector<std::uint8_t> Data;
};
TPnm ReadPnm(const std::filesystem::path& path);

// The largest count of bytes asked of operator new since the last reset.
void ResetLargestAllocation();
std::size_t LargestAllocation();

} // namespace vidlark::test
