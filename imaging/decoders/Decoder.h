#pragma once
// The interface shared by every decoder of pixel data.
//
// A reader creates the decoder its data need, calls StartUnpack once, Unpack
// once per block (a row, a strip, a channel row), FinishUnpack once, and frees it.
//
// Bounds, common to all decoders: Source holds PackedSize bytes and Target has
// room for UnpackedSize units (bytes unless a decoder says otherwise). No
// decoder reads or writes outside these, whatever the data say. Decoders
// whose data end themselves (SGI, Dr. Halo) still stop at PackedSize, so a
// reader passes the bytes it holds from Source on.

#include <cstdint>

namespace vidlark {

class TDecoder {
public:
    virtual ~TDecoder() = default;

    virtual void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                        std::int32_t PackedSize, std::int32_t UnpackedSize) = 0;
    virtual void FinishUnpack() {}
    virtual void StartUnpack() {}
    virtual void Pack(const std::uint8_t* Source, std::uint8_t* Target,
                      std::int32_t Count, std::int32_t& BytesStored) = 0;
    virtual void StartPack() {}
    virtual void FinishPack() {}

protected:
    TDecoder() = default;
    TDecoder(const TDecoder&) = default;
    TDecoder& operator=(const TDecoder&) = default;
};

} // namespace vidlark
