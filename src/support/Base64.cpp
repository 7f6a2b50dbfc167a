#include "Base64.h"

namespace {

// Sextet of a character; 64 for "=", 255 for anything else.
struct TBase64Table {
    uint8_t V[256];
    constexpr TBase64Table() : V() {
        for (int I = 0; I < 256; ++I) V[I] = 255;
        const char* A = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int I = 0; I < 64; ++I) V[static_cast<unsigned char>(A[I])] = uint8_t(I);
        V[static_cast<unsigned char>('=')] = 64;
    }
};
constexpr TBase64Table kTable;

} // namespace

bool TBase64Decoder::Feed(std::string_view Text) {
    if (FFailed) return false;
    for (size_t I = 0; I < Text.size(); ++I) {
        const uint8_t S = kTable.V[static_cast<unsigned char>(Text[I])];
        // Nothing may follow the padded end; "=" only in the last two places of a group, after at
        // least two characters; a sextet never after "=".
        const bool Bad = S == 255 || FDone || (S == 64 ? FHave < 2 : FPadding > 0);
        if (Bad) {
            FFailed = true;
            FBadAt = FSeen + I;
            return false;
        }
        FGroup = (FGroup << 6) | (S == 64 ? 0 : S);
        if (S == 64) ++FPadding;
        if (++FHave == 4) {
            const char B[3] = {char(FGroup >> 16), char(FGroup >> 8), char(FGroup)};
            const int N = 3 - FPadding;
            if (FLen + 3 > sizeof FBuf) Flush();
            for (int K = 0; K < N; ++K) FBuf[FLen++] = B[K];
            FDecoded += uint64_t(N);
            FDone = FPadding > 0;
            FHave = 0;
            FGroup = 0;
        }
    }
    FSeen += Text.size();
    return true;
}

bool TBase64Decoder::Finish() {
    if (!FFailed && FHave != 0) {
        FFailed = true;
        FBadAt = FSeen;
    }
    Flush();
    return !FFailed;
}

void TBase64Decoder::Flush() {
    if (FLen && FOut) FOut(std::string_view(FBuf, FLen));
    FLen = 0;
}

std::string Base64Encode(std::string_view Data) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Out;
    Out.reserve((Data.size() + 2) / 3 * 4);
    size_t I = 0;
    for (; I + 3 <= Data.size(); I += 3) {
        const uint32_t G = uint32_t(uint8_t(Data[I])) << 16 | uint32_t(uint8_t(Data[I + 1])) << 8 |
                           uint32_t(uint8_t(Data[I + 2]));
        for (int S = 18; S >= 0; S -= 6) Out += kAlphabet[(G >> S) & 63];
    }
    if (const size_t Rest = Data.size() - I; Rest > 0) {
        uint32_t G = uint32_t(uint8_t(Data[I])) << 16;
        if (Rest == 2) G |= uint32_t(uint8_t(Data[I + 1])) << 8;
        Out += kAlphabet[(G >> 18) & 63];
        Out += kAlphabet[(G >> 12) & 63];
        Out += Rest == 2 ? kAlphabet[(G >> 6) & 63] : '=';
        Out += '=';
    }
    return Out;
}
