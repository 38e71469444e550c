#pragma once
// Base of the decoders that only decode: their Pack stores nothing.

#include "imaging/decoders/Decoder.h"

namespace vidlark {

class TUnpackOnlyDecoder : public TDecoder {
public:
    void Pack(const std::uint8_t*, std::uint8_t*, std::int32_t, std::int32_t& BytesStored) override
    {
        BytesStored = 0;
    }
};

} // namespace vidlark
