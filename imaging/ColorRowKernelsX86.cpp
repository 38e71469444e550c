// The row kernels in SSSE3, AVX2 and AVX-512 (with its byte permutes). Built
// for any x86-64: each body carries its own target attribute and runs only
// where the processor reports the extension, so the rest of the library keeps
// the base instruction set. Elsewhere the sets do not exist and the plain
// loops serve.

#include "imaging/ColorRowKernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VIDLARK_X86_KERNELS 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>

namespace vidlark::color {

#ifdef VIDLARK_X86_KERNELS

namespace {

using TShuffle = std::array<std::uint8_t, 16>;
constexpr std::uint8_t Zero = 0x80; // a shuffle index that gives 0

// The byte shuffle that fills 16-byte chunk `out` of a 48-byte block of
// exchanged three-byte pixels with what 16-byte chunk `in` of the source holds.
constexpr TShuffle Exchange3Shuffle(unsigned out, unsigned in)
{
    TShuffle shuffle{};
    for (unsigned t = 0; t < 16; ++t) {
        const unsigned i = 16 * out + t;
        const unsigned j = 3 * (i / 3) + 2 - i % 3;
        shuffle[t] = j / 16 == in ? static_cast<std::uint8_t>(j % 16) : Zero;
    }
    return shuffle;
}

constexpr TShuffle Exchange4Shuffle()
{
    TShuffle shuffle{};
    for (unsigned t = 0; t < 16; ++t)
        shuffle[t] = static_cast<std::uint8_t>(t % 2 == 1 ? t : t ^ 2); // bytes 0 and 2 of each pixel change places
    return shuffle;
}

// Index [out][in]; chunk 0 needs nothing of chunk 2, nor chunk 2 of chunk 0
// (the entries are all zero shuffles and go unused).
constexpr std::array<std::array<TShuffle, 3>, 3> Exchange3Shuffles = {{
    {Exchange3Shuffle(0, 0), Exchange3Shuffle(0, 1), Exchange3Shuffle(0, 2)},
    {Exchange3Shuffle(1, 0), Exchange3Shuffle(1, 1), Exchange3Shuffle(1, 2)},
    {Exchange3Shuffle(2, 0), Exchange3Shuffle(2, 1), Exchange3Shuffle(2, 2)},
}};
constexpr TShuffle Exchange4 = Exchange4Shuffle();

__attribute__((target("ssse3"))) inline __m128i Load(const TShuffle& shuffle)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.data()));
}

__attribute__((target("avx2"))) inline __m256i LoadBoth(const TShuffle& shuffle)
{
    return _mm256_broadcastsi128_si256(Load(shuffle));
}

// Sixteen pixels: three loads, seven shuffles, three stores.
__attribute__((target("ssse3"))) inline void Exchange3Block(const std::uint8_t* s, std::uint8_t* d)
{
    const auto& m = Exchange3Shuffles;
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
    const __m128i o0 = _mm_or_si128(_mm_shuffle_epi8(v0, Load(m[0][0])), _mm_shuffle_epi8(v1, Load(m[0][1])));
    const __m128i o1 = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, Load(m[1][0])), _mm_shuffle_epi8(v1, Load(m[1][1]))),
                                    _mm_shuffle_epi8(v2, Load(m[1][2])));
    const __m128i o2 = _mm_or_si128(_mm_shuffle_epi8(v1, Load(m[2][1])), _mm_shuffle_epi8(v2, Load(m[2][2])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), o0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), o1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), o2);
}

__attribute__((target("ssse3"))) void Exchange3Ssse3(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    std::size_t i = 0;
    for (; count - i >= 16; i += 16)
        Exchange3Block(s + 3 * i, d + 3 * i);
    PlainRowKernels().ExchangeFirstAndThird3(s + 3 * i, d + 3 * i, count - i);
}

// Which bytes of a 32-byte chunk at `offset` (modulo 96) of a row of
// three-byte pixels hold the given sample of their pixel: 0x80 marks them.
constexpr std::array<std::uint8_t, 32> PhaseBlend(unsigned offset, unsigned phase)
{
    std::array<std::uint8_t, 32> blend{};
    for (unsigned t = 0; t < 32; ++t)
        blend[t] = (offset + t) % 3 == phase ? 0x80 : 0;
    return blend;
}

constexpr std::array<std::array<std::array<std::uint8_t, 32>, 2>, 3> Exchange3Blends = {{
    {PhaseBlend(0, 0), PhaseBlend(0, 2)},
    {PhaseBlend(32, 0), PhaseBlend(32, 2)},
    {PhaseBlend(64, 0), PhaseBlend(64, 2)},
}};

__attribute__((target("avx2"))) inline __m256i Load32(const std::uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i Exchange3Chunk(const std::uint8_t* at, __m256i firstMask,
                                                              __m256i thirdMask)
{
    const __m256i same = _mm256_blendv_epi8(Load32(at), Load32(at + 2), firstMask);
    return _mm256_blendv_epi8(same, Load32(at - 2), thirdMask);
}

// Byte i of the result is byte i + 2 of the row for a first sample, byte i
// for a second and byte i - 2 for a third: three overlapping loads merged by
// two blends, no shuffle. Each 96-byte round loads everything before it
// stores; the bytes a round reads in front of itself are only ever
// blended away (byte 96k - 1 and 96k - 2 feed third samples of pixels that
// start before 96k), so rows convert in place. The round starts at pixel 1
// so that the load two bytes back stays in the row; pixel 0 goes last.
__attribute__((target("avx2"))) void Exchange3Avx2(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    const auto& b = Exchange3Blends;
    const __m256i first0 = Load32(b[0][0].data()), third0 = Load32(b[0][1].data());
    const __m256i first1 = Load32(b[1][0].data()), third1 = Load32(b[1][1].data());
    const __m256i first2 = Load32(b[2][0].data()), third2 = Load32(b[2][1].data());
    const std::size_t bytes = 3 * count;
    std::size_t k = 3;
    // The last load of a round reaches two bytes past it. The first chunk
    // of the next round is read before this round stores: in place, its
    // load two bytes back would otherwise wait for the store just made.
    if (bytes >= 98 + k) {
        __m256i o0 = Exchange3Chunk(s + k, first0, third0);
        for (bool more = true; more; k += 96) {
            const __m256i o1 = Exchange3Chunk(s + k + 32, first1, third1);
            const __m256i o2 = Exchange3Chunk(s + k + 64, first2, third2);
            more = k + 96 <= bytes - 98;
            const __m256i next0 = more ? Exchange3Chunk(s + k + 96, first0, third0) : o0;
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + k), o0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + k + 32), o1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + k + 64), o2);
            o0 = next0;
        }
    }
    const std::size_t done = k / 3;
    if (count > 0)
        Exchange3Ssse3(s + 3 * done, d + 3 * done, count - done);
    PlainRowKernels().ExchangeFirstAndThird3(s, d, std::min<std::size_t>(count, 1));
}

__attribute__((target("ssse3"))) void Exchange4Ssse3(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    const __m128i shuffle = Load(Exchange4);
    std::size_t i = 0;
    for (; count - i >= 4; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), _mm_shuffle_epi8(v, shuffle));
    }
    PlainRowKernels().ExchangeFirstAndThird4(s + 4 * i, d + 4 * i, count - i);
}

__attribute__((target("avx2"))) void Exchange4Avx2(const std::uint8_t* s, std::uint8_t* d, std::size_t count)
{
    const __m256i shuffle = LoadBoth(Exchange4);
    std::size_t i = 0;
    for (; count - i >= 16; i += 16) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i + 32));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * i), _mm256_shuffle_epi8(v0, shuffle));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * i + 32), _mm256_shuffle_epi8(v1, shuffle));
    }
    Exchange4Ssse3(s + 4 * i, d + 4 * i, count - i);
}

// With v = 256 hi + lo = 257 hi + (lo - hi), v div 257 (that is v * 255 /
// 65535) is hi, less one when lo < hi: no division, no multiplication.
__attribute__((target("ssse3"))) inline __m128i Narrow8Samples(__m128i v, bool swap)
{
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i hi = swap ? _mm_and_si128(v, lowByte) : _mm_srli_epi16(v, 8);
    const __m128i lo = swap ? _mm_srli_epi16(v, 8) : _mm_and_si128(v, lowByte);
    return _mm_add_epi16(hi, _mm_cmpgt_epi16(hi, lo));
}

__attribute__((target("avx2"))) inline __m256i Narrow16Samples(__m256i v, bool swap)
{
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i hi = swap ? _mm256_and_si256(v, lowByte) : _mm256_srli_epi16(v, 8);
    const __m256i lo = swap ? _mm256_srli_epi16(v, 8) : _mm256_and_si256(v, lowByte);
    return _mm256_add_epi16(hi, _mm256_cmpgt_epi16(hi, lo));
}

// In place the target trails the source by half, so no store reaches
// samples that are still to be read.
__attribute__((target("ssse3"))) void Narrow16To8Ssse3(const std::uint8_t* s, std::uint8_t* d, std::size_t count,
                                                       bool swap)
{
    std::size_t i = 0;
    for (; count - i >= 16; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_packus_epi16(Narrow8Samples(a, swap), Narrow8Samples(b, swap)));
    }
    PlainRowKernels().Narrow16To8(s + 2 * i, d + i, count - i, swap);
}

__attribute__((target("avx2"))) void Narrow16To8Avx2(const std::uint8_t* s, std::uint8_t* d, std::size_t count,
                                                     bool swap)
{
    std::size_t i = 0;
    for (; count - i >= 32; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * i + 32));
        // The pack works per lane: put the four quarters back in order.
        const __m256i packed = _mm256_packus_epi16(Narrow16Samples(a, swap), Narrow16Samples(b, swap));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    Narrow16To8Ssse3(s + 2 * i, d + i, count - i, swap);
}

// Without a byte permutation across registers, two passes: the second one
// over the narrowed row, still in cache.
template <unsigned Stride, auto Narrow, auto Exchange>
void NarrowThenExchange(const std::uint8_t* s, std::uint8_t* d, std::size_t count, bool swap)
{
    Narrow(s, d, Stride * count, swap);
    Exchange(d, d, count);
}

// A byte permutation over 64 bytes: 21 three-byte pixels per round, and a
// masked load and store take the tail, so no byte past the row is touched.
constexpr std::array<std::uint8_t, 64> Exchange3Permutation()
{
    std::array<std::uint8_t, 64> permutation{};
    for (unsigned t = 0; t < 64; ++t)
        permutation[t] = static_cast<std::uint8_t>(t < 63 ? 3 * (t / 3) + 2 - t % 3 : t);
    return permutation;
}

constexpr std::array<std::uint8_t, 64> Exchange3Bytes = Exchange3Permutation();

#define VIDLARK_AVX512 "avx512f,avx512bw,avx512vbmi"

__attribute__((target(VIDLARK_AVX512))) inline __mmask64 FirstBytes(std::size_t n)
{
    return n >= 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
}

__attribute__((target(VIDLARK_AVX512))) void Exchange3Avx512(const std::uint8_t* s, std::uint8_t* d,
                                                             std::size_t count)
{
    const __m512i permutation = _mm512_loadu_si512(Exchange3Bytes.data());
    const __mmask64 all = ~__mmask64{0};
    std::size_t i = 0;
    // Whole 64-byte stores while the row has them: masked stores to lines
    // that are not in cache are slow. The 64th byte is stored unchanged and
    // converted by the next round. In place, that round loads it before
    // this one stores: a load that overlaps the store just made would wait
    // for it. Apart, the plain order is faster.
    if (s != d) {
        for (; count - i >= 22; i += 21)
            _mm512_storeu_si512(d + 3 * i, _mm512_maskz_permutexvar_epi8(all, permutation, _mm512_loadu_si512(s + 3 * i)));
    } else if (count >= 22) {
        __m512i v = _mm512_loadu_si512(s);
        for (; count - i >= 43; i += 21) {
            const __m512i next = _mm512_loadu_si512(s + 3 * (i + 21));
            _mm512_storeu_si512(d + 3 * i, _mm512_maskz_permutexvar_epi8(all, permutation, v));
            v = next;
        }
        _mm512_storeu_si512(d + 3 * i, _mm512_maskz_permutexvar_epi8(all, permutation, v));
        i += 21;
    }
    // The zero-masked forms: GCC 12 warns about the undefined start value of
    // the plain ones.
    const __mmask64 bytes = FirstBytes(3 * (count - i));
    const __m512i v = _mm512_maskz_loadu_epi8(bytes, s + 3 * i);
    _mm512_mask_storeu_epi8(d + 3 * i, bytes, _mm512_maskz_permutexvar_epi8(bytes, permutation, v));
}

__attribute__((target(VIDLARK_AVX512))) void Exchange4Avx512(const std::uint8_t* s, std::uint8_t* d,
                                                             std::size_t count)
{
    const __m512i shuffle = _mm512_maskz_broadcast_i32x4(0xFFFF, Load(Exchange4));
    std::size_t i = 0;
    for (; count - i >= 16; i += 16)
        _mm512_storeu_si512(d + 4 * i, _mm512_shuffle_epi8(_mm512_loadu_si512(s + 4 * i), shuffle));
    const __mmask64 bytes = FirstBytes(4 * (count - i));
    const __m512i v = _mm512_maskz_loadu_epi8(bytes, s + 4 * i);
    _mm512_mask_storeu_epi8(d + 4 * i, bytes, _mm512_shuffle_epi8(v, shuffle));
}

// Thirty-two samples a round, narrowed in order by one instruction; the
// rest by the AVX2 loop.
__attribute__((target(VIDLARK_AVX512))) void Narrow16To8Avx512(const std::uint8_t* s, std::uint8_t* d,
                                                               std::size_t count, bool swap)
{
    const __m512i lowByte = _mm512_set1_epi16(0x00FF);
    const __m512i one = _mm512_set1_epi16(1);
    std::size_t i = 0;
    for (; count - i >= 32; i += 32) {
        const __m512i v = _mm512_loadu_si512(s + 2 * i);
        const __m512i hi = swap ? _mm512_and_si512(v, lowByte) : _mm512_srli_epi16(v, 8);
        const __m512i lo = swap ? _mm512_srli_epi16(v, 8) : _mm512_and_si512(v, lowByte);
        const __m512i narrowed = _mm512_mask_sub_epi16(hi, _mm512_cmpgt_epi16_mask(hi, lo), hi, one);
        // The zero-masked form, as above.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, narrowed));
    }
    Narrow16To8Avx2(s + 2 * i, d + i, count - i, swap);
}

// Which byte of the two registers holding a round of 16-bit samples (21
// pixels of three, 16 of four) goes to each byte of the narrowed, exchanged
// pixels: the high byte of each sample, or the low one. With three samples
// the 64th byte is unused.
template <unsigned Stride>
constexpr std::array<std::uint8_t, 64> NarrowExchangePermutation(unsigned byteOfSample)
{
    std::array<std::uint8_t, 64> permutation{};
    for (unsigned t = 0; t < 64 / Stride * Stride; ++t) {
        const unsigned sample = t % Stride < 3 ? Stride * (t / Stride) + 2 - t % Stride : t;
        permutation[t] = static_cast<std::uint8_t>(2 * sample + byteOfSample);
    }
    return permutation;
}

template <unsigned Stride>
struct TNarrowExchangeBytes {
    static constexpr std::array<std::uint8_t, 64> Even = NarrowExchangePermutation<Stride>(0);
    static constexpr std::array<std::uint8_t, 64> Odd = NarrowExchangePermutation<Stride>(1);
};

// One pass: two permutations gather the high and the low bytes of a round
// in exchanged order, and hi - (hi > lo) narrows them, as above. In place
// the target trails the source by half, and each round loads before it
// stores.
template <unsigned Stride>
__attribute__((target(VIDLARK_AVX512))) void NarrowExchangeAvx512(const std::uint8_t* s, std::uint8_t* d,
                                                                  std::size_t count, bool swap)
{
    constexpr std::size_t pixels = 64 / Stride;
    const std::uint8_t* const big = TNarrowExchangeBytes<Stride>::Even.data();
    const std::uint8_t* const little = TNarrowExchangeBytes<Stride>::Odd.data();
    const __m512i high = _mm512_loadu_si512(swap ? big : little);
    const __m512i low = _mm512_loadu_si512(swap ? little : big);
    const __m512i one = _mm512_set1_epi8(1);
    const auto narrow = [&](__m512i first, __m512i second) __attribute__((target(VIDLARK_AVX512))) {
        const __m512i hi = _mm512_permutex2var_epi8(first, high, second);
        const __m512i lo = _mm512_permutex2var_epi8(first, low, second);
        return _mm512_mask_sub_epi8(hi, _mm512_cmpgt_epu8_mask(hi, lo), hi, one);
    };
    std::size_t i = 0;
    // Whole loads and stores while the row has them: with three samples the
    // second load reaches two bytes past the round and the store one, so a
    // further pixel must follow.
    for (; count - i >= pixels + (Stride == 3 ? 1 : 0); i += pixels) {
        const std::uint8_t* const at = s + 2 * Stride * i;
        _mm512_storeu_si512(d + Stride * i, narrow(_mm512_loadu_si512(at), _mm512_loadu_si512(at + 64)));
    }
    const std::size_t sourceBytes = 2 * Stride * (count - i);
    const __m512i first = _mm512_maskz_loadu_epi8(FirstBytes(sourceBytes), s + 2 * Stride * i);
    const __m512i second =
        _mm512_maskz_loadu_epi8(FirstBytes(sourceBytes > 64 ? sourceBytes - 64 : 0), s + 2 * Stride * i + 64);
    _mm512_mask_storeu_epi8(d + Stride * i, FirstBytes(Stride * (count - i)), narrow(first, second));
}

const TRowKernels Ssse3{"ssse3",
                        Exchange3Ssse3,
                        Exchange4Ssse3,
                        Narrow16To8Ssse3,
                        NarrowThenExchange<3, Narrow16To8Ssse3, Exchange3Ssse3>,
                        NarrowThenExchange<4, Narrow16To8Ssse3, Exchange4Ssse3>};
const TRowKernels Avx2{"avx2",
                       Exchange3Avx2,
                       Exchange4Avx2,
                       Narrow16To8Avx2,
                       NarrowThenExchange<3, Narrow16To8Avx2, Exchange3Avx2>,
                       NarrowThenExchange<4, Narrow16To8Avx2, Exchange4Avx2>};
const TRowKernels Avx512{"avx512vbmi",
                         Exchange3Avx512,
                         Exchange4Avx512,
                         Narrow16To8Avx512,
                         NarrowExchangeAvx512<3>,
                         NarrowExchangeAvx512<4>};

} // namespace

const TRowKernels* Ssse3RowKernels() { return __builtin_cpu_supports("ssse3") ? &Ssse3 : nullptr; }

const TRowKernels* Avx2RowKernels() { return __builtin_cpu_supports("avx2") ? &Avx2 : nullptr; }

const TRowKernels* Avx512RowKernels()
{
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") ? &Avx512 : nullptr;
}

#else

const TRowKernels* Ssse3RowKernels() { return nullptr; }

const TRowKernels* Avx2RowKernels() { return nullptr; }

const TRowKernels* Avx512RowKernels() { return nullptr; }

#endif

} // namespace vidlark::color
