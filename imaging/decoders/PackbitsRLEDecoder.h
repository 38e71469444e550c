#pragma once
// Packbits: a signed control byte k; 0..127 copy k + 1 bytes, -127..-1
// repeat the next byte 1 - k times, -128 is skipped.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TPackbitsRLEDecoder : public TUnpackOnlyDecoder {
public:
    // Both sizes in bytes; ends when either is used up. The caller's pointers
    // are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
};

} // namespace vidlark
