#pragma once
// Helpers shared by the colour manager's test files.

#include "imaging/ColorManager.h"

#include <cstdint>

namespace vidlark {

// A manager described for one conversion, not yet set up.
inline TColorManager Described(TColorLayout in, TColorLayout out, std::uint8_t inBits = 8,
                               std::uint8_t outBits = 8)
{
    TColorManager manager;
    manager.SetInLayout(in);
    manager.SetOutLayout(out);
    manager.SetInBitsPerSample(inBits);
    manager.SetOutBitsPerSample(outBits);
    return manager;
}

} // namespace vidlark
