#pragma once
// Doubles a chroma plane in both directions, in place: new samples between
// two stored ones are their rounded mean, the last column and the last row
// repeat their neighbours.

#include <cstddef>
#include <cstdint>

namespace vidlark {

// The Width x Height samples at the start of Plane (rows Stride bytes apart)
// become 2 Width x 2 Height samples. Plane must hold 2 Height rows of Stride
// bytes, and Stride must be at least 2 Width. Width and Height at least 1.
void UpsampleChroma(std::uint8_t* Plane, std::size_t Width, std::size_t Height, std::size_t Stride);

} // namespace vidlark
