#pragma once
// Targa run-length packets: a control byte whose top bit says run (1) or raw
// (0) and whose low 7 bits give the pixel count less one.

#include "imaging/decoders/Decoder.h"

#include <cstddef>

namespace vidlark {

class TTargaRLEDecoder : public TDecoder {
public:
    // ColorDepth: 8, 15, 16, 24 or 32 bits per pixel; any other depth
    // decodes and encodes nothing.
    explicit TTargaRLEDecoder(std::uint32_t ColorDepth);

    // UnpackedSize counts pixels. Decodes packets until UnpackedSize pixels
    // are written; the last packet is consumed whole but clipped at the end of
    // Target. Source is advanced behind the last packet read, so the caller
    // knows where the next row begins. A packet cut off by the end of Source
    // ends the call.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;

    // Encodes Count pixels; Target must hold PackedSizeFor(Count) bytes.
    void Pack(const std::uint8_t* Source, std::uint8_t* Target,
              std::int32_t Count, std::int32_t& BytesStored) override;

    // The most bytes that Pack can store for Count pixels: every packet
    // covers at least one pixel, so there is at most one control byte per pixel.
    std::size_t PackedSizeFor(std::size_t Count) const { return Count * (PixelBytes + 1); }

    const std::uint32_t ColorDepth;

private:
    const std::size_t PixelBytes;
};

} // namespace vidlark
