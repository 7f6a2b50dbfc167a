#include "IniFile.h"

#include "Exceptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cctype>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string ProgramPath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toStdString();
#ifdef _WIN32
    char Buf[MAX_PATH];
    const DWORD N = GetModuleFileNameA(nullptr, Buf, MAX_PATH);
    return std::string(Buf, N);
#else
    std::error_code Ec;
    return std::filesystem::read_symlink("/proc/self/exe", Ec).string();
#endif
}

std::string Trim(const std::string& S) {
    size_t B = 0, E = S.size();
    while (B < E && (S[B] == ' ' || S[B] == '\t')) ++B;
    while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t')) --E;
    return S.substr(B, E - B);
}

// Section and key names compare without regard to ASCII case, as the platform's profile functions do.
bool SameName(const std::string& A, const std::string& B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (std::tolower(static_cast<unsigned char>(A[I])) != std::tolower(static_cast<unsigned char>(B[I])))
            return false;
    return true;
}

} // namespace

std::string IniFileNameFor(const std::string& ProgramPath) {
    const size_t Sep = ProgramPath.find_last_of("/\\");
    const size_t NameStart = Sep == std::string::npos ? 0 : Sep + 1;
    const size_t Dot = ProgramPath.rfind('.');
    if (Dot != std::string::npos && Dot >= NameStart) return ProgramPath.substr(0, Dot) + ".INI";
    return ProgramPath + ".INI";
}

std::string IniFileName() {
    return IniFileNameFor(ProgramPath());
}

bool TryIniStrToInt(const std::string& Text, int32_t& Value) {
    const std::string S = Trim(Text);
    size_t I = 0;
    bool Neg = false;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) Neg = S[I++] == '-';
    if (I == S.size()) return false;
    int64_t V = 0;
    if (S.size() - I > 2 && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
        I += 2;
        if (S.size() - I > 8) return false;
        for (; I < S.size(); ++I) {
            const int C = std::tolower(static_cast<unsigned char>(S[I]));
            if (!std::isxdigit(C)) return false;
            V = V * 16 + (C <= '9' ? C - '0' : C - 'a' + 10);
        }
        V = int64_t(int32_t(uint32_t(V))); // eight hexadecimal digits wrap like a 32-bit value
    } else {
        for (; I < S.size(); ++I) {
            if (S[I] < '0' || S[I] > '9') return false;
            V = V * 10 + (S[I] - '0');
            if (V > int64_t(INT32_MAX) + 1) return false;
        }
    }
    if (Neg) V = -V;
    if (V < INT32_MIN || V > INT32_MAX) return false;
    Value = int32_t(V);
    return true;
}

TIniFile::TIniFile(std::string FileName) : FFileName(std::move(FileName)) {
    QFile F(QString::fromStdString(FFileName));
    if (!F.open(QIODevice::ReadOnly)) return;
    if (!F.isSequential() && F.size() > MaxFileSize) {
        FTooLarge = true;
        return;
    }
    // Reads at most one byte more than allowed: a device or pipe cannot make us read for ever.
    const QByteArray Data = F.read(MaxFileSize + 1);
    if (Data.size() > MaxFileSize) {
        FTooLarge = true;
        return;
    }
    if (!Data.contains("\r\n") && Data.contains('\n')) FNewLine = "\n";
    std::string Current;
    size_t Pos = 0;
    const std::string Bytes(Data.constData(), size_t(Data.size()));
    while (Pos < Bytes.size()) {
        size_t End = Bytes.find_first_of("\r\n", Pos);
        if (End == std::string::npos) End = Bytes.size();
        TLine L{Bytes.substr(Pos, End - Pos), {}, {}};
        Pos = End;
        if (Pos < Bytes.size() && Bytes[Pos] == '\r') ++Pos;
        if (Pos < Bytes.size() && Bytes[Pos] == '\n') ++Pos;
        const std::string T = Trim(L.Raw);
        if (!T.empty() && T[0] == '[') {
            const size_t Close = T.find(']');
            Current = Trim(T.substr(1, Close == std::string::npos ? std::string::npos : Close - 1));
            L.Section = Current;
            if (L.Section.empty()) L.Section = " "; // a header all the same, of an unnamed section
        } else if (!T.empty() && T[0] != ';' && T.find('=') != std::string::npos) {
            L.Key = Trim(T.substr(0, T.find('=')));
        }
        FLines.push_back(std::move(L));
    }
}

int TIniFile::FindSection(const std::string& Section) const {
    for (size_t I = 0; I < FLines.size(); ++I)
        if (!FLines[I].Section.empty() && SameName(FLines[I].Section, Section)) return int(I);
    return -1;
}

int TIniFile::FindKey(const std::string& Section, const std::string& Key) const {
    const int S = FindSection(Section);
    if (S < 0) return -1;
    for (size_t I = size_t(S) + 1; I < FLines.size() && FLines[I].Section.empty(); ++I)
        if (!FLines[I].Key.empty() && SameName(FLines[I].Key, Key)) return int(I);
    return -1;
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Key) const {
    return FindKey(Section, Key) >= 0;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default) const {
    const int I = FindKey(Section, Key);
    if (I < 0) return Default;
    const std::string& Raw = FLines[size_t(I)].Raw;
    std::string V = Trim(Raw.substr(Raw.find('=') + 1));
    // Like the platform's profile functions: one pair of enclosing quotes is removed.
    if (V.size() >= 2 && ((V.front() == '"' && V.back() == '"') || (V.front() == '\'' && V.back() == '\'')))
        V = V.substr(1, V.size() - 2);
    return V;
}

int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const {
    int32_t V;
    return TryIniStrToInt(ReadString(Section, Key, ""), V) ? V : Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
    // A line break in a value would make a line of its own in the file.
    std::string V = Value;
    for (char& C : V)
        if (C == '\r' || C == '\n') C = ' ';
    const std::string Raw = Key + "=" + V;
    const int I = FindKey(Section, Key);
    if (I >= 0) {
        FLines[size_t(I)].Raw = Raw;
        return;
    }
    int S = FindSection(Section);
    if (S < 0) {
        FLines.push_back(TLine{"[" + Section + "]", Section, {}});
        S = int(FLines.size()) - 1;
    }
    // After the section's last key, before blank lines and comments that lead into the next section.
    size_t At = size_t(S) + 1;
    for (size_t J = At; J < FLines.size() && FLines[J].Section.empty(); ++J)
        if (!FLines[J].Key.empty()) At = J + 1;
    FLines.insert(FLines.begin() + long(At), TLine{Raw, {}, Key});
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, int32_t Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

std::string TIniFile::Text() const {
    std::string R;
    for (const TLine& L : FLines) R += L.Raw + FNewLine;
    return R;
}

void TIniFile::UpdateFile() {
    const std::string Fail = "Unable to write to " + FFileName;
    // A file too large to have been read is not replaced by what little we know of it.
    if (FTooLarge) throw Exception(Fail);
    QSaveFile F(QString::fromStdString(FFileName));
    const std::string T = Text();
    if (!F.open(QIODevice::WriteOnly) || F.write(T.data(), qint64(T.size())) != qint64(T.size()) ||
        !F.commit())
        throw Exception(Fail);
}
