#include "imaging/ChromaUpsampler.h"

#include <cstring>

namespace vidlark {

namespace {

unsigned Mean2(unsigned a, unsigned b) { return (a + b + 1) / 2; }
unsigned Mean4(unsigned a, unsigned b, unsigned c, unsigned d) { return (a + b + c + d + 2) / 4; }

} // namespace

void UpsampleChroma(std::uint8_t* Plane, std::size_t Width, std::size_t Height, std::size_t Stride)
{
    // Stored rows to even rows, widened from the last column backwards and
    // from the last row upwards, so no sample is overwritten before it is read.
    for (std::size_t r = Height; r-- > 0;) {
        const std::uint8_t* In = Plane + r * Stride;
        std::uint8_t* Out = Plane + 2 * r * Stride;
        const std::uint8_t Last = In[Width - 1];
        Out[2 * Width - 2] = Last;
        Out[2 * Width - 1] = Last;
        for (std::size_t k = Width - 1; k-- > 0;) {
            const std::uint8_t Here = In[k];
            Out[2 * k + 1] = static_cast<std::uint8_t>(Mean2(Here, In[k + 1]));
            Out[2 * k] = Here;
        }
    }
    // Odd rows between two even ones.
    for (std::size_t j = 0; j + 1 < Height; ++j) {
        const std::uint8_t* A = Plane + 2 * j * Stride;
        const std::uint8_t* B = A + 2 * Stride;
        std::uint8_t* Out = Plane + (2 * j + 1) * Stride;
        for (std::size_t x = 0; x + 1 < Width; ++x) {
            Out[2 * x] = static_cast<std::uint8_t>(Mean2(A[2 * x], B[2 * x]));
            Out[2 * x + 1] = static_cast<std::uint8_t>(Mean4(A[2 * x], A[2 * x + 2], B[2 * x], B[2 * x + 2]));
        }
        Out[2 * Width - 2] = static_cast<std::uint8_t>(Mean2(A[2 * Width - 2], B[2 * Width - 2]));
        Out[2 * Width - 1] = static_cast<std::uint8_t>(Mean2(A[2 * Width - 1], B[2 * Width - 1]));
    }
    std::memcpy(Plane + (2 * Height - 1) * Stride, Plane + (2 * Height - 2) * Stride, 2 * Width);
}

} // namespace vidlark
