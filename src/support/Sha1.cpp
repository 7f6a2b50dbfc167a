#include "Sha1.h"

#include <algorithm>
#include <cstring>

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

void TSha1::Block(const uint8_t* P) {
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
        Block(FBuf);
        FBufLen = 0;
    }
    for (; Len >= 64; P += 64, Len -= 64) Block(P);
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
