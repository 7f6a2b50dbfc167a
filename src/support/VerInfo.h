#pragma once
// Version information: a Windows VS_VERSIONINFO structure (fixed file information, translation table,
// string tables), read from a program file. On Windows the platform finds the resource; elsewhere the
// same bytes are embedded in the program and found by their signature. Either way our own reader
// answers the queries, so it behaves the same on every platform.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The fixed file information record.
struct TVSFixedFileInfo {
    uint32_t dwSignature; // 0xFEEF04BD
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

// Finds the value of a path such as "\", "\VarFileInfo\Translation" or
// "\StringFileInfo\040704E4\ProductName" in a version block. For text values Len is the number of
// characters without the terminating NUL and Text holds them as Windows-1252; for binary values Data
// and Len give the bytes. False when the path is not there or the block is malformed.
struct TVerValue {
    const uint8_t* Data = nullptr;
    uint32_t Len = 0;
    bool IsText = false;
    std::string Text;
};
bool VerQueryValue(const uint8_t* Block, size_t BlockSize, std::string_view SubBlock, TVerValue& Value);

// Size of the version block of a file (0 when it has none) and the block itself.
uint32_t GetFileVersionInfoSize(const std::string& FileName);
bool GetFileVersionInfo(const std::string& FileName, std::vector<uint8_t>& Buffer);
// The version block inside a buffer holding a program file, found by its signature; empty when none.
std::string_view FindVersionBlock(std::string_view File);

class TFileVersionInfo {
public:
    enum TKey {
        viComments,
        viCompanyName,
        viFileDescription,
        viFileVersion,
        viInternalName,
        viLegalCopyright,
        viLegalTrademarks,
        viOriginalFilename,
        viPrivateBuild,
        viProductName,
        viProductVersion,
        viSpecialBuild
    };
    static constexpr std::array<const char*, 12> KeyNames = {
        "Comments",     "CompanyName",    "FileDescription", "FileVersion",
        "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
        "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};

    TFileVersionInfo() = default;
    explicit TFileVersionInfo(std::string FileName) : FFileName(std::move(FileName)) { LoadInfo(); }

    bool LoadInfo();
    std::string FileVersionText() const;
    int TranslationCount() const { return FTranslationCount; }
    uint16_t LanguageOf(int Index) const;
    uint16_t CodePageOf(int Index) const;
    std::string StringPath(int Index, int Key) const;
    std::string StringValue(int Index, int Key) const;
    std::string GetLegalText(int Index) const { return StringValue(Index, viLegalCopyright); }
    std::string GetProductName(int Index) const { return StringValue(Index, viProductName); }
    const TVSFixedFileInfo* FixedInfo() const { return FHasFixedInfo ? &FFixedInfo : nullptr; }

private:
    std::string FFileName;
    int32_t FInfoSize = 0;
    std::vector<uint8_t> FBuffer;
    std::vector<uint16_t> FTranslations; // language, code page, language, code page ...
    uint32_t FTranslationBytes = 0;
    TVSFixedFileInfo FFixedInfo{};
    bool FHasFixedInfo = false;
    int32_t FTranslationCount = 0;
};

// ---------------------------------------------------------------- building a version block

struct TVersionStrings {
    uint16_t Major, Minor, Release, Build;
    uint16_t Language; // e.g. 0x0407 German
    uint16_t CodePage; // e.g. 1252
    // Key and value pairs, Windows-1252; a null key ends the list.
    std::array<std::pair<const char*, const char*>, 12> Strings;
};

// A version block in a fixed-size buffer, so that it can be built at compile time and placed in the
// program's read-only data.
struct TVersionBlob {
    std::array<uint8_t, 4096> Bytes{};
    size_t Size = 0;
};

namespace verinfo_detail {
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr char16_t Wide(char C) {
    const auto B = static_cast<unsigned char>(C);
    return B >= 0x80 && B < 0xA0 ? kHigh[B - 0x80] : char16_t(B);
}
constexpr size_t Len(const char* S) {
    size_t N = 0;
    while (S[N]) ++N;
    return N;
}
struct Writer {
    TVersionBlob& B;
    constexpr void U16(size_t At, uint16_t V) {
        B.Bytes[At] = uint8_t(V);
        B.Bytes[At + 1] = uint8_t(V >> 8);
    }
    constexpr void Put16(uint16_t V) {
        U16(B.Size, V);
        B.Size += 2;
    }
    constexpr void Put32(uint32_t V) {
        Put16(uint16_t(V));
        Put16(uint16_t(V >> 16));
    }
    constexpr void Str(const char* S) {
        for (size_t I = 0; S[I]; ++I) Put16(Wide(S[I]));
        Put16(0);
    }
    constexpr void Align() {
        while (B.Size % 4) B.Bytes[B.Size++] = 0;
    }
    // Starts a node; returns where its length goes.
    constexpr size_t Begin(uint16_t ValueLength, uint16_t Type, const char* Key) {
        Align();
        const size_t At = B.Size;
        Put16(0);
        Put16(ValueLength);
        Put16(Type);
        Str(Key);
        Align();
        return At;
    }
    constexpr void End(size_t At) { U16(At, uint16_t(B.Size - At)); }
};
} // namespace verinfo_detail

constexpr TVersionBlob BuildVersionBlob(const TVersionStrings& V) {
    TVersionBlob Blob;
    verinfo_detail::Writer W{Blob};
    const size_t Root = W.Begin(52, 0, "VS_VERSION_INFO");
    const uint32_t MS = uint32_t(V.Major) << 16 | V.Minor, LS = uint32_t(V.Release) << 16 | V.Build;
    for (uint32_t X : {0xFEEF04BDu, 0x00010000u, MS, LS, MS, LS, 0x3Fu, 0u, 0x40004u, 1u, 0u, 0u, 0u})
        W.Put32(X);
    const size_t Sfi = W.Begin(0, 1, "StringFileInfo");
    char Name[9] = {};
    const char* Hex = "0123456789ABCDEF";
    const uint32_t LangCp = uint32_t(V.Language) << 16 | V.CodePage;
    for (int I = 0; I < 8; ++I) Name[I] = Hex[(LangCp >> (28 - 4 * I)) & 15];
    const size_t Table = W.Begin(0, 1, Name);
    for (const auto& [Key, Value] : V.Strings) {
        if (!Key) break;
        const size_t S = W.Begin(uint16_t(verinfo_detail::Len(Value) + 1), 1, Key);
        W.Str(Value);
        W.End(S);
    }
    W.End(Table);
    W.End(Sfi);
    const size_t Vfi = W.Begin(0, 1, "VarFileInfo");
    const size_t Var = W.Begin(4, 0, "Translation");
    W.Put16(V.Language);
    W.Put16(V.CodePage);
    W.End(Var);
    W.End(Vfi);
    W.End(Root);
    return Blob;
}
