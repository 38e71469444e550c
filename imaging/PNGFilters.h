#pragma once
// The five PNG row filters, undone in place. A row is the bytes after its
// filter-type byte; Prior is the previous row of the same pass, already
// undone (all zeros before the first row). Stride is the bytes of one whole
// pixel, 1 for depths below 8.

#include <cstddef>
#include <cstdint>

namespace vidlark::png {

// Both rows need this many bytes after Length: the vector code loads up to
// two pixels past the last one and writes them back unchanged.
inline constexpr std::size_t RowSlack = 16;

enum TFilterType : std::uint8_t { ftNone = 0, ftSub = 1, ftUp = 2, ftAverage = 3, ftPaeth = 4 };

// A type above 4 leaves the row as stored. Stride is 1 to 8.
void UnfilterRow(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length,
                 unsigned Stride);

// The same without vector code: what UnfilterRow does on processors
// without SSE2, and what the tests hold the vector code to.
void UnfilterRowPortable(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length,
                         unsigned Stride);

} // namespace vidlark::png
