#pragma once
// SHA-1 in pieces: bytes are added in any slices, the digest taken at any point without ending the
// sum, so one pass over a file can test a checksum line wherever it stands.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TSha1 {
public:
    using TDigest = std::array<uint8_t, 20>;

    TSha1() { Reset(); }
    void Reset();
    void Add(const void* Data, size_t Len);
    void Add(std::string_view S) { Add(S.data(), S.size()); }
    // The digest of everything added so far; the sum goes on unchanged.
    TDigest Digest() const;
    // The same as 40 lower-case hexadecimal digits.
    std::string HexDigest() const;
    uint64_t Length() const { return FLength; }

    static std::string Hex(const TDigest& D);

    // The processor's SHA instructions are used where there are any; tests switch them off to check
    // the portable rounds too. UseShaInstructions returns whether they are used now.
    static bool UsesShaInstructions();
    static bool UseShaInstructions(bool Use);

private:
    void Blocks(const uint8_t* P, size_t N);

    uint32_t FState[5];
    uint64_t FLength; // bytes added
    uint8_t FBuf[64]; // the unfinished block
    size_t FBufLen;
};
