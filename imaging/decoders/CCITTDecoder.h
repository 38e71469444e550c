#pragma once
// Bilevel fax data: group 3 with end-of-line codes, one-dimensional
// (modified Huffman) rows or, with T4Options bit 0, rows that are each
// coded either way (TCCITTFax3Decoder); group 4, every row coded against the
// one above (TCCITTFax4Decoder); and the plain run lengths of TIFF
// compression 2 and 32771 (TCCITTMHDecoder). Target rows are (Width + 7)
// div 8 bytes, 1 bits black, most significant bit first; UnpackedSize is in
// bytes. Runs that pass the row are clipped at its end. Every strip starts
// against an imaginary white row; two-dimensional data that are damaged, or
// in uncompressed mode, end the strip with the rows decoded so far.

#include "imaging/decoders/FaxBits.h"
#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <cstdint>
#include <vector>

namespace vidlark {

class TCCITTDecoder : public TUnpackOnlyDecoder {
public:
    // Options: the T4Options or T6Options value. WordAligned: rows start on
    // 16-bit boundaries counted from the start of the data. SwapBits: bytes
    // hold their first bit lowest.
    TCCITTDecoder(std::uint32_t Options, std::uint32_t Width, bool WordAligned, bool SwapBits);

protected:
    // The packed bytes as the decoder reads them: bit-reversed into a copy of
    // its own when SwapBits is set, so the caller's buffer is left alone.
    const std::uint8_t* PackedBytes(const std::uint8_t* Source, std::size_t Size);
    // Room for the changes of the rows of a strip of Size packed bytes, and
    // an all-white row above its first.
    void StartStrip(std::size_t Size);

    std::uint32_t Options;
    std::uint32_t Width;
    bool WordAligned;
    bool SwapBits;
    fax::TChangingElements Above;
    fax::TChangingElements Current;

private:
    std::vector<std::uint8_t> Reversed;
};

class TCCITTFax3Decoder final : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;
};

class TCCITTFax4Decoder final : public TCCITTDecoder {
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
