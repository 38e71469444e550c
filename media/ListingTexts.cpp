#include "media/ListingTexts.h"

#include <cmath>
#include <cstdio>

namespace vidlark {

std::string SizeText(std::int64_t bytes)
{
    return std::to_string(bytes / 1048576 + 1) + " MB";
}

std::string FrameRateText(float framesPerSecond, std::string_view decimalSeparator)
{
    // A single-precision value times 100 is exact in double, so the rounding
    // sees the stored value itself; the printed quotient then has no third
    // decimal to round.
    const double hundredths = std::round(static_cast<double>(framesPerSecond) * 100.0);
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", hundredths / 100.0);
    std::string text = digits;
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimalSeparator);
    return text;
}

} // namespace vidlark
