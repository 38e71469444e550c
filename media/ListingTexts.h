#pragma once
// The texts of a library row that are worked out from numbers.

#include <cstdint>
#include <string>
#include <string_view>

namespace vidlark {

// Whole mebibytes plus one, then " MB": 0 bytes read "1 MB", 1048576 "2 MB".
std::string SizeText(std::int64_t bytes);

// Two decimals, rounded half away from zero: 23.976 reads "23.98".
std::string FrameRateText(float framesPerSecond, std::string_view decimalSeparator = ".");

} // namespace vidlark
