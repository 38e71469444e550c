#pragma once
// TIFF's LZW: codes of 9 to 12 bits, most significant bit first; 256 clears
// the table, 257 ends the data, 258 on are the strings the data define. The
// code width grows one code early, when the next free code reaches 511, 1023
// and 2047. Data that start with a Clear code written least significant bit
// first come from the first writers, whose codes run that way and widen at
// 512, 1024 and 2048; they are decoded as such.
//
// One Unpack decodes one strip: the table starts afresh, and a strip that
// does not begin with Clear is read as if it did. UnpackedSize is in bytes.
// The strip ends at EndOfInformation, at the end of the packed data, when the
// target is full, or at the first code that cannot be (a code beyond the next
// free one, a string code where no string precedes it); what was decoded
// before it stays. The target's bytes after the decoded ones are set to 0.
// The caller's pointers are left as they were.

#include "imaging/decoders/UnpackOnlyDecoder.h"

#include <cstdint>
#include <memory>

namespace vidlark {

class TTIFFLZWDecoder final : public TUnpackOnlyDecoder {
public:
    TTIFFLZWDecoder();

    void Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                std::int32_t UnpackedSize) override;

private:
    // A string of the table: Length bytes at Data, either in the strip's
    // target, where it was decoded before, or in a fixed array of the 256
    // one-byte strings.
    struct TString {
        const std::uint8_t* Data;
        std::uint32_t Length;
    };

    template <typename TCodes>
    std::size_t Decode(TCodes Codes, std::uint8_t* Target, std::size_t Room);

    // Entries from the first free code on are written before they are read.
    std::unique_ptr<TString[]> Table;
};

} // namespace vidlark
