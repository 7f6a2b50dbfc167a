#include "StrTools.h"

#include "Ansi.h"

#include <QLocale>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

TFormatSettings& FormatSettings() {
    static TFormatSettings Fmt = [] {
        TFormatSettings F;
        const QLocale Loc = QLocale::system();
        if (Loc.language() == QLocale::C) return F; // keep the German defaults
        const std::string Group = QStringToAnsi(Loc.groupSeparator());
        const std::string Dec = QStringToAnsi(Loc.decimalPoint());
        // A separator that is not one Windows-1252 byte (e.g. a narrow no-break space) becomes a blank.
        F.ThousandSeparator = Group.size() == 1 ? Group[0] : ' ';
        F.DecimalSeparator = Dec.size() == 1 ? Dec[0] : ',';
        return F;
    }();
    return Fmt;
}

namespace {
// The value with exactly Decimals decimals, a half rounded away from zero as the classic number
// formatting did; printf rounds an exact half to even, so 1152 bytes (1.125 KB) would read "1,12".
void FixedDecimals(char (&Buf)[400], double Value, int Decimals) {
    const double Scaled = Value * std::pow(10.0, Decimals);
    if (!(std::fabs(Scaled) < 9007199254740992.0)) { // 2^53: no fraction left to round (or not finite)
        std::snprintf(Buf, sizeof Buf, "%.*f", Decimals, Value);
        return;
    }
    char Digits[32];
    std::snprintf(Digits, sizeof Digits, "%.0f", std::fabs(std::round(Scaled)));
    std::string_view D(Digits);
    std::string Out = std::signbit(Value) ? "-" : "";
    const std::string Padded = std::string(size_t(std::max(0, Decimals + 1 - int(D.size()))), '0') + Digits;
    const size_t IntLen = Padded.size() - size_t(Decimals);
    Out.append(Padded, 0, IntLen);
    if (Decimals > 0) Out.append(".").append(Padded, IntLen, std::string::npos);
    std::snprintf(Buf, sizeof Buf, "%s", Out.c_str());
}
} // namespace

std::string FormatNumber(double Value, int Decimals, const TFormatSettings& Fmt) {
    Decimals = std::clamp(Decimals, 0, 18);
    char Buf[400];
    FixedDecimals(Buf, Value, Decimals);
    std::string_view Txt(Buf);
    std::string Sign;
    if (!Txt.empty() && Txt[0] == '-') {
        Sign = "-";
        Txt.remove_prefix(1);
    }
    const size_t Dot = Txt.find('.');
    const std::string_view Int = Txt.substr(0, Dot);
    std::string R = Sign;
    for (size_t I = 0; I < Int.size(); ++I) {
        if (I > 0 && (Int.size() - I) % 3 == 0) R.push_back(Fmt.ThousandSeparator);
        R.push_back(Int[I]);
    }
    if (Dot != std::string_view::npos) {
        R.push_back(Fmt.DecimalSeparator);
        R.append(Txt.substr(Dot + 1));
    }
    return R;
}

std::string FormatFileSize(int Decimals, bool WithBytes, int64_t Size, const TFormatSettings& Fmt) {
    const std::string Bytes = FormatNumber(double(Size), 0, Fmt) + " Byte";
    if (Decimals < 0) return Bytes;
    const char* Unit = nullptr;
    double Value = double(Size);
    if (Size > 1073741824) {
        Unit = " GB";
        Value = Value / 1024 / 1024 / 1024;
    } else if (Size > 1048576) {
        Unit = " MB";
        Value = Value / 1024 / 1024;
    } else if (Size > 1024) {
        Unit = " KB";
        Value = Value / 1024;
    } else {
        return Bytes;
    }
    std::string R = FormatNumber(Value, Decimals, Fmt) + Unit;
    if (WithBytes) R += " (" + Bytes + ")";
    return R;
}

std::string FormatFileSize(int Decimals, bool WithBytes, int64_t Size) {
    return FormatFileSize(Decimals, WithBytes, Size, FormatSettings());
}

std::string FileSizeToStr(int64_t Size) {
    return FormatFileSize(2, true, Size);
}

TCharSet CharSetOf(std::string_view Chars) {
    TCharSet Set;
    for (unsigned char C : Chars) Set.set(C);
    return Set;
}

std::string TrimChars(std::string_view S, const TCharSet& Chars) {
    size_t First = 0;
    while (First < S.size() && Chars.test(static_cast<unsigned char>(S[First]))) ++First;
    if (First == S.size()) return {};
    size_t Last = S.size() - 1;
    while (Chars.test(static_cast<unsigned char>(S[Last]))) --Last;
    return std::string(S.substr(First, Last - First + 1));
}

std::string PadToWidth(std::string_view S, int Width) {
    if (Width <= 0) return {};
    std::string R(S.substr(0, size_t(Width)));
    R.resize(size_t(Width), ' ');
    return R;
}

int PosInBuffer(std::string_view Sub, const char* Buffer, int64_t Length) {
    if (Sub.empty() || Buffer == nullptr || int64_t(Sub.size()) > Length) return 0;
    const char First = Sub[0];
    const char* P = Buffer;
    const char* Last = Buffer + (Length - int64_t(Sub.size())); // last possible start
    while (P <= Last) {
        P = static_cast<const char*>(std::memchr(P, First, size_t(Last - P + 1)));
        if (P == nullptr) return 0;
        if (std::memcmp(P + 1, Sub.data() + 1, Sub.size() - 1) == 0) {
            const int64_t Pos = P - Buffer + 1;
            return Pos > INT_MAX ? 0 : int(Pos);
        }
        ++P;
    }
    return 0;
}

int PosFrom(std::string_view Sub, std::string_view S, int Offset) {
    if (Offset < 1 || size_t(Offset) > S.size()) return 0;
    const int P = PosInBuffer(Sub, S.data() + (Offset - 1), int64_t(S.size()) - Offset + 1);
    return P > 0 ? Offset + P - 1 : 0;
}

bool StartsWith(std::string_view S, std::string_view Prefix) {
    return !Prefix.empty() && Prefix.size() <= S.size() &&
           std::memcmp(S.data(), Prefix.data(), Prefix.size()) == 0;
}

int NextVisibleMatch(std::string_view Sub, std::string_view S, int& Position, int FirstColumn,
                     int VisibleColumns, int& Length) {
    Length = 0;
    // 64-bit arithmetic: the sums below must not overflow for any argument.
    const int64_t SubLen = int64_t(Sub.size());
    const int64_t WinEnd = int64_t(FirstColumn) + VisibleColumns; // exclusive
    int64_t Pos = std::max<int64_t>(Position, int64_t(FirstColumn) + 1 - SubLen);
    Position = int(std::clamp<int64_t>(Pos, INT_MIN, INT_MAX));
    if (!(Pos > 0 && Pos <= int64_t(S.size()) && !Sub.empty() && FirstColumn > 0 && VisibleColumns > 0 &&
          Pos < WinEnd))
        return 0;
    const int64_t H = PosFrom(Sub, S, int(Pos));
    if (H == 0) return 0;
    Position = int(std::min<int64_t>(H + SubLen, INT_MAX));
    if (!(H + SubLen >= FirstColumn && H < WinEnd)) return 0;
    int64_t Result, Len;
    if (H >= FirstColumn) {
        Result = H;
        Len = WinEnd - H;
    } else {
        Result = FirstColumn;
        Len = H + SubLen - FirstColumn;
    }
    Length = int(std::max<int64_t>(0, std::min(SubLen, Len)));
    return int(Result);
}

bool TryStrToInt(std::string_view S, int32_t& Value) {
    size_t I = 0;
    while (I < S.size() && S[I] == ' ') ++I;
    bool Neg = false;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) Neg = S[I++] == '-';
    if (I == S.size()) return false;
    int64_t V = 0;
    for (; I < S.size(); ++I) {
        const unsigned D = unsigned(static_cast<unsigned char>(S[I])) - '0';
        if (D > 9) return false;
        V = V * 10 + D;
        if (V > int64_t(INT32_MAX) + 1) return false;
    }
    if (Neg) V = -V;
    if (V > INT32_MAX || V < INT32_MIN) return false;
    Value = int32_t(V);
    return true;
}
