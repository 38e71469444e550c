#pragma once
// ThunderScan 4-bit coding: each byte repeats the last pixel, adds two or
// three small deltas to it, or gives a pixel outright. Rows are (Width + 1)
// div 2 bytes, two pixels a byte, the first in the high half; each row
// starts from a last value of 0. UnpackedSize is in bytes.

#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <cstdint>

namespace vidlark {

class TThunderDecoder final : public TUnpackOnlyDecoder {
public:
    explicit TThunderDecoder(std::uint32_t Width) : Width(Width) {}

    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;

private:
    std::uint32_t Width;
};

} // namespace vidlark
