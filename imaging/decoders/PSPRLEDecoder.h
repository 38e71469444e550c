#pragma once
// Paintshop Pro run-length data: a control byte k; k < 128 copies k bytes,
// k >= 128 repeats the next byte k - 128 times.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TPSPRLEDecoder : public TUnpackOnlyDecoder {
public:
    // Both sizes in bytes; runs until the packed bytes are used up, output
    // beyond UnpackedSize being dropped. The caller's pointers are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
};

} // namespace vidlark
