#pragma once
// Strict standard Base64 (RFC 4648 alphabet, "=" padding only at the very end), decoded as a stream:
// the text may arrive in pieces of any length, as the lines of an embedded document do.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TBase64Decoder {
public:
    // Out receives the decoded bytes in pieces; it may be empty to only measure and validate.
    explicit TBase64Decoder(std::function<void(std::string_view)> Out = {}) : FOut(std::move(Out)) {}

    // False at the first character that cannot stand where it stands; BadAt() then tells which one
    // (counted over everything fed so far, zero-based). Further input is ignored.
    bool Feed(std::string_view Text);
    // False when the text ended inside a group of four or was not valid.
    bool Finish();

    bool Failed() const { return FFailed; }
    uint64_t BadAt() const { return FBadAt; }
    uint64_t Decoded() const { return FDecoded; }

private:
    void Flush();

    std::function<void(std::string_view)> FOut;
    uint32_t FGroup = 0; // the sextets of the group being read
    int FHave = 0;       // characters of the group read so far
    int FPadding = 0;    // "=" read: nothing but "=" may follow, up to the group's end
    bool FDone = false;  // a padded group ended the data
    bool FFailed = false;
    uint64_t FSeen = 0; // characters fed
    uint64_t FBadAt = 0;
    uint64_t FDecoded = 0;
    char FBuf[3072];
    size_t FLen = 0;
};

// The bytes a Base64 text of Chars characters ending in Padding "=" decodes to.
constexpr uint64_t Base64DecodedSize(uint64_t Chars, int Padding) {
    return Chars / 4 * 3 - uint64_t(Padding < 0 ? 0 : Padding > 2 ? 2 : Padding);
}

// Standard Base64 of Data with "=" padding, as one text.
std::string Base64Encode(std::string_view Data);
