#include "VerInfo.h"

#include "Ansi.h"
#include "MappedFile.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

uint16_t Get16(const uint8_t* P) {
    return uint16_t(P[0] | P[1] << 8);
}
uint32_t Get32(const uint8_t* P) {
    return uint32_t(Get16(P)) | uint32_t(Get16(P + 2)) << 16;
}
size_t Align4(size_t N) {
    return (N + 3) & ~size_t(3);
}

// One node of the block: header, key, value, children. All offsets are checked against the node's
// own length and the block's size, so a malformed block can make a query fail but never read outside.
struct TNode {
    size_t Start = 0, End = 0; // [Start, End) in the block
    uint16_t ValueLength = 0, Type = 0;
    std::u16string Key;
    size_t Value = 0;    // offset of the value
    size_t Children = 0; // offset of the first child
};

bool ReadNode(const uint8_t* B, size_t Size, size_t At, size_t Limit, TNode& N) {
    if (At + 6 > Limit || Limit > Size) return false;
    const uint16_t Length = Get16(B + At);
    if (Length < 6 || At + Length > Limit) return false;
    N.Start = At;
    N.End = At + Length;
    N.ValueLength = Get16(B + At + 2);
    N.Type = Get16(B + At + 4);
    N.Key.clear();
    size_t P = At + 6;
    for (;; P += 2) {
        if (P + 2 > N.End) return false;
        const char16_t C = Get16(B + P);
        if (C == 0) break;
        N.Key.push_back(C);
    }
    N.Value = Align4(P + 2);
    const size_t ValueBytes = N.Type == 1 ? size_t(N.ValueLength) * 2 : N.ValueLength;
    if (N.Value > N.End) N.Value = N.End;
    if (N.Value + ValueBytes > N.End) return false;
    N.Children = Align4(N.Value + ValueBytes);
    return true;
}

bool SameKey(const std::u16string& A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I) {
        if (A[I] > 0x7F) return false;
        if (std::tolower(int(A[I])) != std::tolower(static_cast<unsigned char>(B[I]))) return false;
    }
    return true;
}

} // namespace

bool VerQueryValue(const uint8_t* Block, size_t BlockSize, std::string_view SubBlock, TVerValue& Value) {
    Value = TVerValue();
    TNode N;
    if (!Block || !ReadNode(Block, BlockSize, 0, BlockSize, N)) return false;
    size_t Pos = 0;
    while (Pos < SubBlock.size()) {
        while (Pos < SubBlock.size() && SubBlock[Pos] == '\\') ++Pos;
        if (Pos == SubBlock.size()) break;
        size_t End = SubBlock.find('\\', Pos);
        if (End == std::string_view::npos) End = SubBlock.size();
        const std::string_view Part = SubBlock.substr(Pos, End - Pos);
        Pos = End;
        bool Found = false;
        TNode C;
        for (size_t At = N.Children; At + 6 <= N.End; At = Align4(C.End)) {
            if (!ReadNode(Block, BlockSize, At, N.End, C)) return false;
            if (SameKey(C.Key, Part)) {
                Found = true;
                break;
            }
        }
        if (!Found) return false;
        N = C;
    }
    Value.Data = Block + N.Value;
    if (N.Type == 1) {
        Value.IsText = true;
        uint32_t Chars = N.ValueLength;
        while (Chars > 0 && Get16(Block + N.Value + 2 * (Chars - 1)) == 0) --Chars; // the terminating NUL
        QString Q;
        for (uint32_t I = 0; I < Chars; ++I) Q.append(QChar(Get16(Block + N.Value + 2 * I)));
        Value.Text = QStringToAnsi(Q);
        Value.Len = uint32_t(Value.Text.size());
    } else {
        Value.Len = N.ValueLength;
    }
    return true;
}

std::string_view FindVersionBlock(std::string_view File) {
    static const char Key[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0"; // UTF-16LE, with its NUL
    const std::string_view Pattern(Key, sizeof Key - 1);
    size_t From = 0;
    while (true) {
        const size_t Hit = File.find(Pattern, From);
        if (Hit == std::string_view::npos) return {};
        From = Hit + 1;
        if (Hit < 6 || (Hit - 6) % 4 != 0) continue; // blocks are 32-bit aligned
        const size_t Start = Hit - 6;
        const auto* B = reinterpret_cast<const uint8_t*>(File.data());
        TNode N;
        if (!ReadNode(B, File.size(), Start, File.size(), N) || N.ValueLength != 52 || N.Type != 0) continue;
        if (Get32(B + N.Value) != 0xFEEF04BD) continue;
        return File.substr(Start, N.End - Start);
    }
}

#ifdef _WIN32

uint32_t GetFileVersionInfoSize(const std::string& FileName) {
    DWORD Handle = 0;
    return GetFileVersionInfoSizeA(FileName.c_str(), &Handle);
}

bool GetFileVersionInfo(const std::string& FileName, std::vector<uint8_t>& Buffer) {
    const DWORD Size = GetFileVersionInfoSizeA(FileName.c_str(), nullptr);
    if (Size == 0) return false;
    Buffer.assign(Size, 0);
    if (!GetFileVersionInfoA(FileName.c_str(), 0, Size, Buffer.data())) return false;
    const std::string_view Block =
        FindVersionBlock(std::string_view(reinterpret_cast<const char*>(Buffer.data()), Buffer.size()));
    if (Block.empty()) return false;
    Buffer.assign(Block.begin(), Block.end());
    return true;
}

#else

bool GetFileVersionInfo(const std::string& FileName, std::vector<uint8_t>& Buffer) {
    TMappedFile F;
    if (!F.OpenFile(FileName) || !F.CreateMapping() || !F.MapView()) return false;
    const std::string_view Block = FindVersionBlock(std::string_view(F.ViewBase(), size_t(F.FileSize())));
    if (Block.empty()) return false;
    Buffer.assign(Block.begin(), Block.end());
    return true;
}

uint32_t GetFileVersionInfoSize(const std::string& FileName) {
    std::vector<uint8_t> B;
    return GetFileVersionInfo(FileName, B) ? uint32_t(B.size()) : 0;
}

#endif

bool TFileVersionInfo::LoadInfo() {
    FTranslationBytes = 0;
    FTranslationCount = 0;
    FHasFixedInfo = false;
    FTranslations.clear();
    FBuffer.clear();
    // The size query and the read are one step here: the block is found once and kept.
    if (!GetFileVersionInfo(FFileName, FBuffer)) {
        FInfoSize = 0;
        return false;
    }
    FInfoSize = int32_t(FBuffer.size());
    TVerValue V;
    if (VerQueryValue(FBuffer.data(), FBuffer.size(), "\\", V) && !V.IsText &&
        V.Len >= sizeof(TVSFixedFileInfo)) {
        std::memcpy(&FFixedInfo, V.Data, sizeof FFixedInfo);
        FHasFixedInfo = FFixedInfo.dwSignature == 0xFEEF04BD;
    }
    if (VerQueryValue(FBuffer.data(), FBuffer.size(), "\\VarFileInfo\\Translation", V) && !V.IsText) {
        FTranslationBytes = V.Len;
        FTranslationCount = int32_t(FTranslationBytes / 4);
        for (int32_t I = 0; I < FTranslationCount * 2; ++I) FTranslations.push_back(Get16(V.Data + 2 * I));
    }
    return true;
}

std::string TFileVersionInfo::FileVersionText() const {
    if (!FHasFixedInfo) return {};
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "%d.%d", int(FFixedInfo.dwFileVersionMS >> 16),
                  int(FFixedInfo.dwFileVersionMS & 0xFFFF));
    return Buf;
}

uint16_t TFileVersionInfo::LanguageOf(int Index) const {
    return Index >= 0 && Index < FTranslationCount ? FTranslations[size_t(2 * Index)] : 0;
}

uint16_t TFileVersionInfo::CodePageOf(int Index) const {
    return Index >= 0 && Index < FTranslationCount ? FTranslations[size_t(2 * Index + 1)] : 0;
}

std::string TFileVersionInfo::StringPath(int Index, int Key) const {
    if (Index < 0 || Index >= FTranslationCount || Key < 0 || Key >= int(KeyNames.size())) return {};
    char Buf[96];
    std::snprintf(Buf, sizeof Buf, "\\StringFileInfo\\%.4X%.4X\\%s", LanguageOf(Index), CodePageOf(Index),
                  KeyNames[size_t(Key)]);
    return Buf;
}

std::string TFileVersionInfo::StringValue(int Index, int Key) const {
    const std::string Path = StringPath(Index, Key);
    TVerValue V;
    if (Path.empty() || !VerQueryValue(FBuffer.data(), FBuffer.size(), Path, V) || !V.IsText) return {};
    return V.Text;
}
