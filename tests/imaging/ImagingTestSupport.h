#pragma once
// Helpers of the image library's tests: fixture paths, reading the PPM/PGM
// references, and a probe of the largest single allocation.

#include "imaging/Bitmap.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace vidlark::test {

std::filesystem::path Fixture(const std::string& name);
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

// The parts one after the other: files built byte by byte.
std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts);

// The bytes of the pixels of bitmap row y.
std::vector<std::uint8_t> Row(const TBitmap& bitmap, std::uint32_t y);

// Each RGBA byte of image against expected; the first that differs fails
// the test with its pixel's position.
void ExpectPixels(const TRGBAImage& image, const std::vector<std::uint8_t>& expected);

// A fixture's name as a test name: "-" becomes "_".
std::string TestName(std::string fixture);

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
