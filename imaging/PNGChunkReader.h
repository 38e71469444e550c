#pragma once
// Walks the chunks of a PNG file: reads a chunk's head, then either its data
// (checked against the stored CRC-32) or passes over it. A length beyond the
// standard's limit is refused at once; one beyond the end of the stream is
// reported, so that nothing is allocated for it and a skip can never wrap.

#include "imaging/PNGHeader.h"
#include "imaging/Stream.h"

#include <cstdint>
#include <vector>

namespace vidlark {

class TPNGChunkReader {
public:
    explicit TPNGChunkReader(TStream& Source) : Stream(Source) {}

    // Reads the next chunk's length and type; false when the stream ends
    // before a whole head.
    bool ReadHead();
    std::uint32_t Length() const { return FLength; }
    std::uint32_t Type() const { return FType; }
    bool Is(std::uint32_t Code) const { return png::ChunkIs(FType, Code); }
    // The chunk's data and CRC lie inside the stream.
    bool Fits() const { return Fitting; }

    // Reads the data of a fitting chunk and raises the CRC error when the
    // stored CRC differs. The data stay valid until the next ReadBody.
    const std::vector<std::uint8_t>& ReadBody();
    // The same, with the data appended to Buffer.
    void AppendBody(std::vector<std::uint8_t>& Buffer);
    // Moves past the data and CRC of a fitting chunk.
    void Skip();

private:
    TStream& Stream;
    std::uint32_t FLength = 0;
    std::uint32_t FType = 0;
    bool Fitting = false;
    std::vector<std::uint8_t> Data;
};

} // namespace vidlark
