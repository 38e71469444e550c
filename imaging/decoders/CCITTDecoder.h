#pragma once
// Bilevel fax data, one-dimensional (modified Huffman) coding: group 3 with
// end-of-line codes (TCCITTFax3Decoder) and the plain run lengths of TIFF
// compression 2 and 32771 (TCCITTMHDecoder). Target rows are (Width + 7)
// div 8 bytes, 1 bits black, most significant bit first; UnpackedSize is in
// bytes. Runs that pass the row are clipped at its end.

#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <cstdint>
#include <vector>

namespace vidlark {

class TCCITTDecoder : public TUnpackOnlyDecoder {
public:
    // Options: the T4Options value (two-dimensional data are the reader's to
    // refuse). WordAligned: rows start on 16-bit boundaries counted from the
    // start of the data. SwapBits: bytes hold their first bit lowest.
    TCCITTDecoder(std::uint32_t Options, std::uint32_t Width, bool WordAligned, bool SwapBits);

protected:
    // The packed bytes as the decoder reads them: bit-reversed into a copy of
    // its own when SwapBits is set, so the caller's buffer is left alone.
    const std::uint8_t* PackedBytes(const std::uint8_t* Source, std::size_t Size);

    std::uint32_t Options;
    std::uint32_t Width;
    bool WordAligned;
    bool SwapBits;

private:
    std::vector<std::uint8_t> Reversed;
};

class TCCITTFax3Decoder final : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;
};

class TCCITTMHDecoder final : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;
};

} // namespace vidlark
