#pragma once
// PCX run-length data: a byte with both top bits set repeats the next byte
// (its low 6 bits) times; any other byte stands for itself.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TPCXRLEDecoder : public TUnpackOnlyDecoder {
public:
    // UnpackedSize in bytes; ends when they are written (a run is clipped
    // there) or Source is used up. The caller's pointers are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
};

} // namespace vidlark
