#include "Sha1.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define OSTREL_SHA_NI 1
#endif

namespace {
inline uint32_t Rol(uint32_t V, int N) {
    return (V << N) | (V >> (32 - N));
}
inline uint32_t Load32(const uint8_t* P) {
    return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | uint32_t(P[3]);
}
} // namespace

void TSha1::Reset() {
    FState[0] = 0x67452301;
    FState[1] = 0xEFCDAB89;
    FState[2] = 0x98BADCFE;
    FState[3] = 0x10325476;
    FState[4] = 0xC3D2E1F0;
    FLength = 0;
    FBufLen = 0;
}

namespace {

void PortableBlock(uint32_t* FState, const uint8_t* P) {
    uint32_t W[16];
    for (int I = 0; I < 16; ++I) W[I] = Load32(P + 4 * I);
    uint32_t A = FState[0], B = FState[1], C = FState[2], D = FState[3], E = FState[4];
    // The message schedule lives in a ring of 16 words.
    auto Next = [&W](int I) {
        const uint32_t V = Rol(W[(I + 13) & 15] ^ W[(I + 8) & 15] ^ W[(I + 2) & 15] ^ W[I & 15], 1);
        W[I & 15] = V;
        return V;
    };
    auto Step = [&](uint32_t F, uint32_t K, uint32_t Wi) {
        const uint32_t T = Rol(A, 5) + F + E + K + Wi;
        E = D;
        D = C;
        C = Rol(B, 30);
        B = A;
        A = T;
    };
    for (int I = 0; I < 16; ++I) Step((B & C) | (~B & D), 0x5A827999, W[I]);
    for (int I = 16; I < 20; ++I) Step((B & C) | (~B & D), 0x5A827999, Next(I));
    for (int I = 20; I < 40; ++I) Step(B ^ C ^ D, 0x6ED9EBA1, Next(I));
    for (int I = 40; I < 60; ++I) Step((B & C) | (B & D) | (C & D), 0x8F1BBCDC, Next(I));
    for (int I = 60; I < 80; ++I) Step(B ^ C ^ D, 0xCA62C1D6, Next(I));
    FState[0] += A;
    FState[1] += B;
    FState[2] += C;
    FState[3] += D;
    FState[4] += E;
}

#ifdef OSTREL_SHA_NI
// The processor's SHA instructions: several times the speed of the portable rounds, which matters for
// the checksum of a file of hundreds of megabytes.
// Sixteen message bytes as four big-endian words.
__attribute__((target("sha,sse4.1,ssse3"))) inline __m128i LoadWords(const uint8_t* P) {
    const __m128i Mask = _mm_set_epi64x(0x0001020304050607ULL, 0x08090a0b0c0d0e0fULL);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P)), Mask);
}

__attribute__((target("sha,sse4.1,ssse3"))) void ShaNiBlocks(uint32_t* State, const uint8_t* Data,
                                                             size_t Blocks) {
    __m128i Abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0x1B);
    __m128i E0 = _mm_set_epi32(int(State[4]), 0, 0, 0), E1;
    __m128i M0, M1, M2, M3;
    for (; Blocks > 0; --Blocks, Data += 64) {
        const __m128i AbcdSave = Abcd, E0Save = E0;

        // Rounds 0-15: the message words as they stand.
        M0 = LoadWords(Data + 0);
        E0 = _mm_add_epi32(E0, M0);
        E1 = Abcd;
        Abcd = _mm_sha1rnds4_epu32(Abcd, E0, 0);
        M1 = LoadWords(Data + 16);
        E1 = _mm_sha1nexte_epu32(E1, M1);
        E0 = Abcd;
        Abcd = _mm_sha1rnds4_epu32(Abcd, E1, 0);
        M0 = _mm_sha1msg1_epu32(M0, M1);
        M2 = LoadWords(Data + 32);
        E0 = _mm_sha1nexte_epu32(E0, M2);
        E1 = Abcd;
        Abcd = _mm_sha1rnds4_epu32(Abcd, E0, 0);
        M1 = _mm_sha1msg1_epu32(M1, M2);
        M0 = _mm_xor_si128(M0, M2);
        M3 = LoadWords(Data + 48);
        E1 = _mm_sha1nexte_epu32(E1, M3);
        E0 = Abcd;
        M0 = _mm_sha1msg2_epu32(M0, M3);
        Abcd = _mm_sha1rnds4_epu32(Abcd, E1, 0);
        M2 = _mm_sha1msg1_epu32(M2, M3);
        M1 = _mm_xor_si128(M1, M3);
// Four rounds on the schedule word A, with the next words prepared in B, C, D.
#define OSTREL_SHA_QUAD(EA, EB, A, B, C, D, F)                                                               \
    EA = _mm_sha1nexte_epu32(EA, A);                                                                         \
    EB = Abcd;                                                                                               \
    B = _mm_sha1msg2_epu32(B, A);                                                                            \
    Abcd = _mm_sha1rnds4_epu32(Abcd, EA, F);                                                                 \
    D = _mm_sha1msg1_epu32(D, A);                                                                            \
    C = _mm_xor_si128(C, A);
        OSTREL_SHA_QUAD(E0, E1, M0, M1, M2, M3, 0) // 16-19
        OSTREL_SHA_QUAD(E1, E0, M1, M2, M3, M0, 1) // 20-23
        OSTREL_SHA_QUAD(E0, E1, M2, M3, M0, M1, 1)
        OSTREL_SHA_QUAD(E1, E0, M3, M0, M1, M2, 1)
        OSTREL_SHA_QUAD(E0, E1, M0, M1, M2, M3, 1)
        OSTREL_SHA_QUAD(E1, E0, M1, M2, M3, M0, 1) // 36-39
        OSTREL_SHA_QUAD(E0, E1, M2, M3, M0, M1, 2) // 40-43
        OSTREL_SHA_QUAD(E1, E0, M3, M0, M1, M2, 2)
        OSTREL_SHA_QUAD(E0, E1, M0, M1, M2, M3, 2)
        OSTREL_SHA_QUAD(E1, E0, M1, M2, M3, M0, 2)
        OSTREL_SHA_QUAD(E0, E1, M2, M3, M0, M1, 2) // 56-59
        OSTREL_SHA_QUAD(E1, E0, M3, M0, M1, M2, 3) // 60-63
        OSTREL_SHA_QUAD(E0, E1, M0, M1, M2, M3, 3) // 64-67
#undef OSTREL_SHA_QUAD
        // Rounds 68-79: the schedule runs out.
        E1 = _mm_sha1nexte_epu32(E1, M1);
        E0 = Abcd;
        M2 = _mm_sha1msg2_epu32(M2, M1);
        Abcd = _mm_sha1rnds4_epu32(Abcd, E1, 3);
        M3 = _mm_xor_si128(M3, M1);
        E0 = _mm_sha1nexte_epu32(E0, M2);
        E1 = Abcd;
        M3 = _mm_sha1msg2_epu32(M3, M2);
        Abcd = _mm_sha1rnds4_epu32(Abcd, E0, 3);
        E1 = _mm_sha1nexte_epu32(E1, M3);
        E0 = Abcd;
        Abcd = _mm_sha1rnds4_epu32(Abcd, E1, 3);

        E0 = _mm_sha1nexte_epu32(E0, E0Save);
        Abcd = _mm_add_epi32(Abcd, AbcdSave);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_shuffle_epi32(Abcd, 0x1B));
    State[4] = uint32_t(_mm_extract_epi32(E0, 3));
}

bool CpuHasSha() {
    unsigned A, B, C, D;
    if (!__get_cpuid(1, &A, &B, &C, &D) || !(C & bit_SSE4_1) || !(C & bit_SSSE3)) return false;
    return __get_cpuid_count(7, 0, &A, &B, &C, &D) && (B & bit_SHA);
}
#else
bool CpuHasSha() {
    return false;
}
#endif

std::atomic<bool>& ShaInstructions() {
    static std::atomic<bool> Use{CpuHasSha()};
    return Use;
}

} // namespace

bool TSha1::UsesShaInstructions() {
    return ShaInstructions().load(std::memory_order_relaxed);
}

bool TSha1::UseShaInstructions(bool Use) {
    const bool Can = Use && CpuHasSha();
    ShaInstructions().store(Can, std::memory_order_relaxed);
    return Can;
}

void TSha1::Blocks(const uint8_t* P, size_t N) {
#ifdef OSTREL_SHA_NI
    if (UsesShaInstructions()) {
        ShaNiBlocks(FState, P, N);
        return;
    }
#endif
    for (; N > 0; --N, P += 64) PortableBlock(FState, P);
}

void TSha1::Add(const void* Data, size_t Len) {
    const uint8_t* P = static_cast<const uint8_t*>(Data);
    FLength += Len;
    if (FBufLen > 0) {
        const size_t N = std::min(Len, sizeof FBuf - FBufLen);
        std::memcpy(FBuf + FBufLen, P, N);
        FBufLen += N;
        P += N;
        Len -= N;
        if (FBufLen < sizeof FBuf) return;
        Blocks(FBuf, 1);
        FBufLen = 0;
    }
    if (Len >= 64) {
        Blocks(P, Len / 64);
        P += Len / 64 * 64;
        Len %= 64;
    }
    if (Len > 0) {
        std::memcpy(FBuf, P, Len);
        FBufLen = Len;
    }
}

TSha1::TDigest TSha1::Digest() const {
    TSha1 S = *this; // the padding goes into a copy, so the sum can go on
    const uint64_t Bits = FLength * 8;
    const uint8_t Pad = 0x80;
    S.Add(&Pad, 1);
    const uint8_t Zero[64] = {};
    S.Add(Zero, (S.FBufLen <= 56 ? 56 : 120) - S.FBufLen);
    uint8_t Len[8];
    for (int I = 0; I < 8; ++I) Len[I] = uint8_t(Bits >> (56 - 8 * I));
    S.Add(Len, 8);
    TDigest D;
    for (int I = 0; I < 5; ++I)
        for (int J = 0; J < 4; ++J) D[size_t(4 * I + J)] = uint8_t(S.FState[I] >> (24 - 8 * J));
    return D;
}

std::string TSha1::Hex(const TDigest& D) {
    static const char Digits[] = "0123456789abcdef";
    std::string S(40, '0');
    for (size_t I = 0; I < D.size(); ++I) {
        S[2 * I] = Digits[D[I] >> 4];
        S[2 * I + 1] = Digits[D[I] & 15];
    }
    return S;
}

std::string TSha1::HexDigest() const {
    return Hex(Digest());
}
