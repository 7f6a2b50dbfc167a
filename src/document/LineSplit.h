#pragma once
// Splitting an xDT image into lines, shared by the loader and the checker: the terminator scanner and
// the tests of the seven header bytes. Internal to the document folder.
#include "support/StrTools.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace xdtline {

// Finds line terminators 64 bytes at a time: one bit mask per block of the positions of CR and LF,
// walked bit by bit, so that short lines do not each pay for starting a scan.
class TTerminatorScanner {
public:
    TTerminatorScanner(const char* Base, const char* End) : FBase(Base), FEnd(End) { Load(Base); }

    // First CR or LF at or after From; Stop (at most the end) when there is none before it.
    const char* Next(const char* From, const char* Stop) {
        if (From >= FBlock + 64) Load(FBase + ((From - FBase) & ~int64_t(63)));
        uint64_t M = FMask & (~uint64_t(0) << (From - FBlock));
        while (M == 0) {
            if (FBlock + 64 >= Stop) return Stop;
            Load(FBlock + 64);
            M = FMask;
        }
        return std::min(FBlock + __builtin_ctzll(M), Stop);
    }

private:
    void Load(const char* Block) {
        FBlock = Block;
#ifdef __SSE2__
        if (FEnd - Block >= 64) {
            const __m128i Cr = _mm_set1_epi8(13), Lf = _mm_set1_epi8(10);
            uint64_t M = 0;
            for (int I = 0; I < 4; ++I) {
                const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Block + 16 * I));
                const unsigned Bits =
                    unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(V, Cr), _mm_cmpeq_epi8(V, Lf))));
                M |= uint64_t(Bits) << (16 * I);
            }
            FMask = M;
            return;
        }
#endif
        // The last, partial block (and the portable path): never read past the end.
        const int64_t N = std::min<int64_t>(64, FEnd - Block);
        uint64_t M = 0;
        for (int64_t I = 0; I < N; ++I)
            if (Block[I] == 13 || Block[I] == 10) M |= uint64_t(1) << I;
        FMask = M;
    }

    const char* const FBase;
    const char* const FEnd;
    const char* FBlock = nullptr;
    uint64_t FMask = 0;
};

constexpr int64_t kMaxLine = int64_t(INT32_MAX) + 7; // header and the longest content

// Steps over one line terminator at Q: CR, LF, CR LF or LF CR.
inline const char* SkipTerminator(const char* Q, const char* E) {
    if (Q < E && (*Q == 13 || *Q == 10)) {
        const char First = *Q++;
        if (Q < E && *Q == (First == 10 ? 13 : 10)) ++Q;
    }
    return Q;
}

// The seven header bytes: three length digits, four identifier digits. Plain digits are by far the
// common case and are checked four bytes at a time; anything else goes through the standard conversion.
inline bool AllDigits(uint32_t V) {
    const uint32_t X = V - 0x30303030u; // a byte below '0' wraps and sets its high bits
    return ((X | (X + 0x06060606u)) & 0xF0F0F0F0u) == 0;
}

inline bool ParseHeader(const char* P, int32_t& FeldArt) {
    uint32_t Lo, Hi; // bytes 0..3 and 3..6: the seven bytes, without reading past the line
    std::memcpy(&Lo, P, 4);
    std::memcpy(&Hi, P + 3, 4);
    if (AllDigits(Lo) && AllDigits(Hi)) {
        uint32_t D = Hi - 0x30303030u;
        if constexpr (std::endian::native == std::endian::big) D = __builtin_bswap32(D); // first digit lowest
        FeldArt = int32_t((D & 0xFF) * 1000 + ((D >> 8) & 0xFF) * 100 + ((D >> 16) & 0xFF) * 10 + (D >> 24));
        return true;
    }
    int32_t LenValue;
    return TryStrToInt(std::string_view(P, 3), LenValue) && TryStrToInt(std::string_view(P + 3, 4), FeldArt);
}

} // namespace xdtline
