#include "imaging/PNGFilters.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vidlark::png {

namespace {

// The standard's predictor: of a (left), b (above) and c (above left), the
// one nearest to a + b - c, ties going to a, then b.
inline std::uint8_t PaethPredictor(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

void UndoUpPortable(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    for (std::size_t i = 0; i < Length; ++i)
        Row[i] = static_cast<std::uint8_t>(Row[i] + Prior[i]);
}

} // namespace

void UnfilterRowPortable(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length,
                         unsigned Stride)
{
    // The first pixel has no left neighbour: a and c count as 0.
    const std::size_t First = Stride < Length ? Stride : Length;
    switch (Type) {
    case ftSub:
        for (std::size_t i = Stride; i < Length; ++i)
            Row[i] = static_cast<std::uint8_t>(Row[i] + Row[i - Stride]);
        break;
    case ftUp:
        UndoUpPortable(Row, Prior, Length);
        break;
    case ftAverage:
        for (std::size_t i = 0; i < First; ++i)
            Row[i] = static_cast<std::uint8_t>(Row[i] + (Prior[i] >> 1));
        for (std::size_t i = First; i < Length; ++i)
            Row[i] = static_cast<std::uint8_t>(Row[i] + ((Row[i - Stride] + Prior[i]) >> 1));
        break;
    case ftPaeth:
        UndoUpPortable(Row, Prior, First);
        for (std::size_t i = First; i < Length; ++i)
            Row[i] = static_cast<std::uint8_t>(Row[i] + PaethPredictor(Row[i - Stride], Prior[i], Prior[i - Stride]));
        break;
    default:
        break;
    }
}

#if defined(__SSE2__)

namespace {

// One pixel at a time in the low lanes of a vector: every pixel depends on
// the one to its left, so the gain is doing its bytes side by side. A pixel
// of Stride bytes is loaded as 4 or 8 bytes; the bytes past the pixel are
// written back as they were loaded, so they still hold the next pixel's
// filtered bytes when its turn comes.
template <unsigned Stride>
struct TPixelLanes {
    static constexpr unsigned LoadBytes = Stride <= 4 ? 4 : 8;

    static __m128i Load(const std::uint8_t* p)
    {
        if constexpr (LoadBytes == 4) {
            std::int32_t v;
            std::memcpy(&v, p, 4);
            return _mm_cvtsi32_si128(v);
        } else {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        }
    }

    // Stores the pixel's Stride bytes from Value and the rest from Loaded.
    static void Store(std::uint8_t* p, __m128i Value, __m128i Loaded)
    {
        if constexpr (Stride != LoadBytes) {
            const __m128i Mask = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(KeepMask));
            Value = _mm_or_si128(_mm_and_si128(Mask, Value), _mm_andnot_si128(Mask, Loaded));
        }
        if constexpr (LoadBytes == 4) {
            const std::int32_t v = _mm_cvtsi128_si32(Value);
            std::memcpy(p, &v, 4);
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), Value);
        }
    }

    static constexpr std::uint8_t KeepMask[8] = {
        0xFF * (0 < Stride), 0xFF * (1 < Stride), 0xFF * (2 < Stride), 0xFF * (3 < Stride),
        0xFF * (4 < Stride), 0xFF * (5 < Stride), 0xFF * (6 < Stride), 0xFF * (7 < Stride)};
};

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

inline __m128i Select(__m128i Mask, __m128i IfSet, __m128i IfClear)
{
    return _mm_or_si128(_mm_and_si128(Mask, IfSet), _mm_andnot_si128(Mask, IfClear));
}

void UndoUp(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    std::size_t i = 0;
    for (; i + 16 <= Length; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Prior + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + i), _mm_add_epi8(x, b));
    }
    UndoUpPortable(Row + i, Prior + i, Length - i);
}

// Runs Undo over the pixels left to right: Undo takes the stored pixel and
// the one above it and gives the pixel back. The loop loads the next pixel
// before it stores the current one: the store covers the next pixel's
// first bytes, and a load after it would wait for the store to drain
// instead of taking the bytes from it.
template <unsigned Stride, typename TUndo>
inline void UndoPixels(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length, TUndo Undo)
{
    using P = TPixelLanes<Stride>;
    __m128i x = P::Load(Row);
    for (std::size_t i = 0; i < Length; i += Stride) {
        const __m128i Following = P::Load(Row + i + Stride);
        P::Store(Row + i, Undo(x, P::Load(Prior + i)), x);
        x = Following;
    }
}

template <unsigned Stride>
void UndoSub(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    __m128i a = _mm_setzero_si128();
    UndoPixels<Stride>(Row, Prior, Length, [&a](__m128i x, __m128i) { return a = _mm_add_epi8(x, a); });
}

template <unsigned Stride>
void UndoAverage(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    const __m128i One = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    UndoPixels<Stride>(Row, Prior, Length, [&](__m128i x, __m128i b) {
        // floor((a + b) / 2) from the rounding-up average of the processor.
        const __m128i Mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), One));
        return a = _mm_add_epi8(x, Mean);
    });
}

template <unsigned Stride>
void UndoPaeth(std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    const __m128i Zero = _mm_setzero_si128();
    const __m128i LowByte = _mm_set1_epi16(0xFF);
    __m128i a = Zero, c = Zero; // 16-bit lanes
    UndoPixels<Stride>(Row, Prior, Length, [&](__m128i Stored, __m128i Above) {
        const __m128i x = _mm_unpacklo_epi8(Stored, Zero);
        const __m128i b = _mm_unpacklo_epi8(Above, Zero);
        // With p = a + b - c: |p - a| = |b - c|, |p - b| = |a - c|, |p - c| = |(b - c) + (a - c)|.
        const __m128i FromB = _mm_sub_epi16(b, c);
        const __m128i FromA = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(FromB);
        const __m128i pb = Abs16(FromA);
        const __m128i pc = Abs16(_mm_add_epi16(FromA, FromB));
        const __m128i Least = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
        const __m128i Prediction =
            Select(_mm_cmpeq_epi16(pa, Least), a, Select(_mm_cmpeq_epi16(pb, Least), b, c));
        a = _mm_and_si128(_mm_add_epi16(x, Prediction), LowByte);
        c = b;
        return _mm_packus_epi16(a, Zero);
    });
}

template <unsigned Stride>
void Unfilter(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length)
{
    switch (Type) {
    case ftSub: UndoSub<Stride>(Row, Prior, Length); break;
    case ftUp: UndoUp(Row, Prior, Length); break;
    case ftAverage: UndoAverage<Stride>(Row, Prior, Length); break;
    case ftPaeth: UndoPaeth<Stride>(Row, Prior, Length); break;
    default: break;
    }
}

} // namespace

void UnfilterRow(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length,
                 unsigned Stride)
{
    switch (Stride) {
    case 1: Unfilter<1>(Type, Row, Prior, Length); break;
    case 2: Unfilter<2>(Type, Row, Prior, Length); break;
    case 3: Unfilter<3>(Type, Row, Prior, Length); break;
    case 4: Unfilter<4>(Type, Row, Prior, Length); break;
    case 6: Unfilter<6>(Type, Row, Prior, Length); break;
    case 8: Unfilter<8>(Type, Row, Prior, Length); break;
    default: UnfilterRowPortable(Type, Row, Prior, Length, Stride); break;
    }
}

#else

void UnfilterRow(std::uint8_t Type, std::uint8_t* Row, const std::uint8_t* Prior, std::size_t Length,
                 unsigned Stride)
{
    UnfilterRowPortable(Type, Row, Prior, Length, Stride);
}

#endif

} // namespace vidlark::png
