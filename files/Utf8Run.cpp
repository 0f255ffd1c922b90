// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Utf8Run.h"

#include "files/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace verdask {
namespace {

// One byte of a UTF-8 text that is ASCII or two-byte letters of the code page:
// its windows-1251 byte goes to decoded[put], and put moves on unless the byte
// ends a letter. Returns 0 when the byte is none of these: then nothing counts.
inline unsigned DecodeSimpleByte(const unsigned char* in, unsigned previous, char* decoded, std::size_t& put)
{
    const unsigned byte = in[0];
    const unsigned next = in[1];
    const unsigned ascii = byte < 0x80;
    const unsigned continuation = (byte & 0xC0) == 0x80;
    const unsigned letter = Windows1251Bytes[((byte & 0x1F) << 6) | (next & 0x3F)];
    const unsigned pairStart = (byte - 0xC2 < 0x1E) & ((next & 0xC0) == 0x80) & (letter != 0);
    const unsigned pairEnd = continuation & (previous - 0xC2 < 0x1E);
    const unsigned asciiMask = 0u - ascii;
    decoded[put] = static_cast<char>((byte & asciiMask) | (letter & ~asciiMask));
    put += 1 - continuation;
    return ascii | pairStart | pairEnd;
}

// Sixteen bytes at once; the compiler gives each operation to the processor's
// vector unit where there is one.
using TBytes16 = unsigned char __attribute__((vector_size(16)));

TBytes16 Load16(const unsigned char* from)
{
    TBytes16 bytes;
    std::memcpy(&bytes, from, sizeof bytes);
    return bytes;
}

bool AllSet(TBytes16 lanes)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] & halves[1]) == ~std::uint64_t{0};
}

// Writes the lanes of out that end no letter, packed, to to[0...15]; returns how many.
std::size_t PackKeptBytes(TBytes16 out, TBytes16 ending, char* to)
{
    const TBytes16 kept = 1 + ending; // an ending lane is all ones
    // Written out of 64-bit registers: lanes read one by one would go through memory.
    std::uint64_t outs[2];
    std::uint64_t keeps[2];
    std::memcpy(outs, &out, sizeof outs);
    std::memcpy(keeps, &kept, sizeof keeps);
    std::size_t count = 0;
    for (int half = 0; half < 2; ++half) {
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            to[count] = static_cast<char>(outs[half] >> (8 * i));
            count += (keeps[half] >> (8 * i)) & 1;
        }
    }
    return count;
}

#if defined(__x86_64__)
// For each set of kept lanes among eight, the shuffle that moves them to the front.
struct TPackShuffles {
    std::array<std::uint64_t, 256> Shuffle{};
    std::array<unsigned char, 256> Count{};
};

constexpr TPackShuffles MakePackShuffles()
{
    TPackShuffles table;
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned count = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            if (mask & (1u << lane))
                table.Shuffle[mask] |= std::uint64_t{lane} << (8 * count++);
        }
        table.Count[mask] = static_cast<unsigned char>(count);
    }
    return table;
}

constexpr TPackShuffles PackShuffles = MakePackShuffles();

// The same in a few instructions, on processors with SSSE3's byte shuffle.
__attribute__((target("ssse3"))) std::size_t PackKeptShuffled(TBytes16 out, TBytes16 ending, char* to)
{
    const auto kept = static_cast<unsigned>(~_mm_movemask_epi8(reinterpret_cast<__m128i>(ending))) & 0xFFFF;
    const unsigned low = kept & 0xFF;
    const unsigned high = kept >> 8;
    const __m128i shuffle = _mm_set_epi64x(static_cast<long long>(PackShuffles.Shuffle[high] + 0x0808080808080808),
                                           static_cast<long long>(PackShuffles.Shuffle[low]));
    const __m128i packed = _mm_shuffle_epi8(reinterpret_cast<__m128i>(out), shuffle);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to + PackShuffles.Count[low]), _mm_unpackhi_epi64(packed, packed));
    return PackShuffles.Count[low] + PackShuffles.Count[high];
}

bool HasByteShuffle()
{
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3") != 0);
    return has;
}
#endif

std::size_t PackKept(TBytes16 out, TBytes16 ending, char* to)
{
#if defined(__x86_64__)
    if (HasByteShuffle())
        return PackKeptShuffled(out, ending, to);
#endif
    return PackKeptBytes(out, ending, to);
}

// Decodes sixteen bytes of ASCII and the Russian alphabet in UTF-8 (D0 and D1
// sequences) into decoded[put...]; false, with nothing counted, when they hold
// anything else. Each lane is decoded on its own, a byte that ends a letter
// giving nothing: there is no branch on what the bytes are, since ASCII and
// Cyrillic alternate at every blank and a branch on them would stall there.
bool DecodeRussian16(const unsigned char* in, char* decoded, std::size_t& put)
{
    const TBytes16 byte = Load16(in);
    const TBytes16 next = Load16(in + 1);
    const TBytes16 before = Load16(in - 1);
    const TBytes16 ascii = byte < 0x80;
    const TBytes16 ending = ((byte & 0xC0) == 0x80) & ((before == 0xD0) | (before == 0xD1));
    // D0 90-BF: А to п, C0-EF; D1 80-8F: р to я, F0-FF; D0 81 Ё, A8; D1 91 ё, B8.
    const TBytes16 yo = (byte == 0xD0) & (next == 0x81);
    const TBytes16 smallYo = (byte == 0xD1) & (next == 0x91);
    const TBytes16 upper = (byte == 0xD0) & (next >= 0x90) & (next <= 0xBF);
    const TBytes16 lower = (byte == 0xD1) & (next >= 0x80) & (next <= 0x8F);
    if (!AllSet(ascii | ending | yo | smallYo | upper | lower))
        return false;
    const TBytes16 letter = (upper & (next + 0x30)) | (lower & (next + 0x70)) | (yo & 0xA8) | (smallYo & 0xB8);
    const TBytes16 out = (ascii & byte) | letter;
    put += PackKept(out, ending, decoded + put);
    return true;
}

#if defined(__x86_64__)
// Thirty-two bytes at once where the processor has AVX2, as DecodeRussian16 does
// sixteen; where one of them is none of those, the ones before it. Returns how
// many bytes were decoded: those before the first byte of another character (a
// letter's second byte is known by its first, so that byte starts a character).
using TBytes32 = unsigned char __attribute__((vector_size(32)));

__attribute__((target("avx2"))) inline TBytes32 Load32(const unsigned char* from)
{
    TBytes32 bytes;
    std::memcpy(&bytes, from, sizeof bytes);
    return bytes;
}

__attribute__((target("avx2"))) inline unsigned DecodeRussian32(const unsigned char* in, char* decoded,
                                                                std::size_t& put)
{
    const TBytes32 byte = Load32(in);
    const TBytes32 next = Load32(in + 1);
    const TBytes32 before = Load32(in - 1);
    const TBytes32 ascii = byte < 0x80;
    const TBytes32 ending = ((byte & 0xC0) == 0x80) & ((before == 0xD0) | (before == 0xD1));
    const TBytes32 yo = (byte == 0xD0) & (next == 0x81);
    const TBytes32 smallYo = (byte == 0xD1) & (next == 0x91);
    const TBytes32 upper = (byte == 0xD0) & (next >= 0x90) & (next <= 0xBF);
    const TBytes32 lower = (byte == 0xD1) & (next >= 0x80) & (next <= 0x8F);
    const TBytes32 known = ascii | ending | yo | smallYo | upper | lower;
    const auto unknown = ~static_cast<unsigned>(_mm256_movemask_epi8(reinterpret_cast<__m256i>(known)));
    const unsigned count = unknown == 0 ? 32 : static_cast<unsigned>(__builtin_ctz(unknown));
    if (count == 0)
        return 0;
    const TBytes32 letter = (upper & (next + 0x30)) | (lower & (next + 0x70)) | (yo & 0xA8) | (smallYo & 0xB8);
    const __m256i out = reinterpret_cast<__m256i>((ascii & byte) | letter);
    const unsigned decodedLanes = count == 32 ? ~0u : (1u << count) - 1;
    const auto kept = ~static_cast<unsigned>(_mm256_movemask_epi8(reinterpret_cast<__m256i>(ending))) & decodedLanes;
    // Each eight lanes packed by their own shuffle, the four results one after another.
    const __m256i shuffle = _mm256_set_epi64x(static_cast<long long>(PackShuffles.Shuffle[(kept >> 24) & 0xFF] + 0x0808080808080808),
                                              static_cast<long long>(PackShuffles.Shuffle[(kept >> 16) & 0xFF]),
                                              static_cast<long long>(PackShuffles.Shuffle[(kept >> 8) & 0xFF] + 0x0808080808080808),
                                              static_cast<long long>(PackShuffles.Shuffle[kept & 0xFF]));
    const __m256i packed = _mm256_shuffle_epi8(out, shuffle);
    const __m128i low = _mm256_castsi256_si128(packed);
    const __m128i high = _mm256_extracti128_si256(packed, 1);
    char* to = decoded + put;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), low);
    to += PackShuffles.Count[kept & 0xFF];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_unpackhi_epi64(low, low));
    to += PackShuffles.Count[(kept >> 8) & 0xFF];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), high);
    to += PackShuffles.Count[(kept >> 16) & 0xFF];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_unpackhi_epi64(high, high));
    to += PackShuffles.Count[(kept >> 24) & 0xFF];
    put = static_cast<std::size_t>(to - decoded);
    return count;
}

// Thirty-two bytes at a time while they are such a run: where the bytes at at
// stop being one, or too near the end of bytes or of decoded.
__attribute__((target("avx2"))) std::size_t DecodeRussianRuns32(const unsigned char* in, std::size_t at,
                                                                std::size_t size, char* decoded,
                                                                std::size_t capacity, std::size_t& put,
                                                                unsigned& previous)
{
    constexpr std::size_t Stride = 32;
    while (at > 0 && at + Stride < size && put + Stride <= capacity) {
        const unsigned count = DecodeRussian32(in + at, decoded, put);
        if (count > 0)
            previous = in[at + count - 1];
        at += count;
        if (count < Stride)
            break;
    }
    return at;
}

bool HasAvx2()
{
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return has;
}
#endif

} // namespace

std::size_t DecodeUtf8Run(std::string_view bytes, std::size_t at, std::string& out)
{
    constexpr std::size_t Stride = 16;
    // After a character the vectors could not take, they are tried again soon:
    // what stopped them is mostly a lone dash or quotation mark.
    constexpr std::size_t ScalarStride = 4;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    char decoded[4096];
    unsigned previous = 0; // the byte before at; at starts a character
    for (;;) {
        std::size_t put = 0;
#if defined(__x86_64__)
        if (HasAvx2())
            at = DecodeRussianRuns32(in, at, size, decoded, sizeof decoded, put, previous);
#endif
        // From the second byte on, the byte before is in the piece.
        while (at > 0 && at + Stride < size && put + Stride <= sizeof decoded &&
               DecodeRussian16(in + at, decoded, put)) {
            previous = in[at + Stride - 1];
            at += Stride;
        }
        // Byte by byte up to what stops the run, or up to the end.
        bool stopped = false;
        const std::size_t until = std::min(size - 1, at + ScalarStride);
        while (!stopped && at < until && put < sizeof decoded) {
            std::size_t bytePut = put;
            stopped = !DecodeSimpleByte(in + at, previous, decoded, bytePut);
            if (!stopped) {
                put = bytePut;
                previous = in[at++];
            }
        }
        out.append(decoded, put);
        if (stopped || at + 1 >= size)
            break;
    }
    // The last byte: ASCII, the end of a letter, or left to the careful way.
    if (at + 1 == size && (in[at] < 0x80 || ((in[at] & 0xC0) == 0x80 && previous - 0xC2 < 0x1E))) {
        if (in[at] < 0x80)
            out += static_cast<char>(in[at]);
        ++at;
    }
    return at;
}

} // namespace verdask
