#pragma once
// SGI run-length rows of 8- or 16-bit samples. A control (a byte, or a 16-bit
// word stored high byte first) whose low 7 bits count samples: bit 7 set copies
// that many samples, clear repeats the next sample; a count of 0 ends the row.

#include "imaging/decoders/UnpackOnlyDecoder.h"

namespace vidlark {

class TSGIRLEDecoder : public TUnpackOnlyDecoder {
public:
    // SampleSize: 8 or 16 bits; any other size decodes nothing.
    explicit TSGIRLEDecoder(std::uint8_t SampleSize);

    // UnpackedSize counts samples. Ends at the zero count or at the end of
    // Source; samples beyond UnpackedSize are dropped. 16-bit samples are
    // copied as stored, high byte first. The caller's pointers are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;

    const std::uint8_t SampleSize;
};

} // namespace vidlark
