#pragma once
// Dr. Halo rows: a 2-byte row byte count, then control bytes k: k >= 128
// repeats the next byte (k and 127) times, 1..127 copies k bytes, 0 ends the row.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TCUTRLEDecoder : public TUnpackOnlyDecoder {
public:
    // UnpackedSize in bytes. Ends at the zero byte (consumed) or at the end of
    // Source; output beyond UnpackedSize is dropped. The caller's Source then
    // points behind what was read: at the next row's byte count.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
};

} // namespace vidlark
