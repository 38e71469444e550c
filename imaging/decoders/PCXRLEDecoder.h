#pragma once
// PCX run-length data: a byte with both top bits set repeats the next byte
// (its low 6 bits) times; any other byte stands for itself.

#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <cstddef>

namespace vidlark {

// What a run had left to write when its target was full.
struct TPCXPendingRun {
    std::uint8_t Value = 0;
    std::size_t Count = 0;
};

class TPCXRLEDecoder : public TUnpackOnlyDecoder {
public:
    // UnpackedSize in bytes; ends when they are written (a run is clipped
    // there) or Source is used up. The caller's pointers are left as they were.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;

    struct TPart {
        std::size_t Taken;   // bytes of Source
        std::size_t Written; // bytes of Target
    };
    // One part of data whose runs go on across parts (PCX runs may cross
    // rows): Pending's rest of a run is written first, and what a run has
    // left when Target is full goes back into Pending.
    TPart UnpackPart(const std::uint8_t* Source, std::int32_t PackedSize, std::uint8_t* Target,
                     std::int32_t UnpackedSize, TPCXPendingRun& Pending) const;
};

} // namespace vidlark
