#pragma once
// Alias/Wavefront run-length data: a signed control byte k; k >= 0 repeats
// the next byte k + 1 times, k < 0 copies -k bytes.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TRLADecoder : public TUnpackOnlyDecoder {
public:
    // Both sizes in bytes; runs until the packed bytes are used up, output
    // beyond UnpackedSize being dropped. The caller's pointers are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
};

} // namespace vidlark
