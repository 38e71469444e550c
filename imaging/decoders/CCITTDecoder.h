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
    struct TStrip {
        fax::TBitSource In;
        fax::TRowWriter Out;
    };
    // The packed bytes as bits, bit-reversed into a copy of the decoder's
    // own when SwapBits is set, so the caller's buffer is left alone; the
    // target as rows cleared to white; room for the changing elements of
    // the strip's rows, and an all-white row above its first.
    TStrip StartStrip(const std::uint8_t* Source, std::uint8_t* Target, std::int32_t PackedSize,
                      std::int32_t UnpackedSize);
    // Writes the row just decoded, which becomes the row above the next.
    void PutRow(fax::TRowWriter& Out);

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
