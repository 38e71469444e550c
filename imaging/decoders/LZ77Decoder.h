#pragma once
// Deflate (zlib) data, as PNG, Paintshop Pro and TIFF store them.

#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <zlib.h>

namespace vidlark {

class TLZ77Decoder : public TUnpackOnlyDecoder {
public:
    // FlushMode goes to every inflate call (Z_PARTIAL_FLUSH, Z_FINISH ...);
    // AutoReset starts a new zlib stream at every Unpack (one stream a strip).
    TLZ77Decoder(int FlushMode, bool AutoReset);
    ~TLZ77Decoder() override;
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    // Raises EGraphicCompression when zlib cannot start.
    void StartUnpack() override;
    // After StartUnpack: the stream's own check value is not computed, for
    // containers that check their data themselves.
    void SkipChecksum();
    // Inflates from Source (PackedSize bytes) into Target (UnpackedSize
    // bytes) and moves both pointers past what was used. zlib's errors are not
    // raised here: the caller reads ZLibResult and the counts below.
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                std::int32_t PackedSize, std::int32_t UnpackedSize) override;
    // Raises EGraphicCompression when zlib reports a fault while ending.
    void FinishUnpack() override;

    // Z_OK (progress), Z_STREAM_END (end of the stream) or a zlib error of the last Unpack.
    int ZLibResult() const { return Result; }
    // Packed bytes the last Unpack left unread, target bytes it left free.
    std::uint32_t AvailableInput() const { return Stream.avail_in; }
    std::uint32_t AvailableOutput() const { return Stream.avail_out; }

private:
    z_stream Stream{};
    const int FlushMode;
    const bool AutoReset;
    bool Started = false;
    int Result = Z_OK;
};

} // namespace vidlark
