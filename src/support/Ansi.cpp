#include "Ansi.h"

#include <QCollator>
#include <QLocale>
#include <array>

namespace {

const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct UpperTable {
    std::array<unsigned char, 256> Map{};
    UpperTable() {
        const QLocale Loc = QLocale::system();
        for (int C = 0; C < 256; ++C) {
            Map[C] = static_cast<unsigned char>(C);
            const QString Up = Loc.toUpper(QString(QChar(AnsiCharToUnicode(static_cast<unsigned char>(C)))));
            if (Up.size() == 1) {
                const int B = UnicodeToAnsiChar(Up.at(0).unicode());
                if (B >= 0) Map[C] = static_cast<unsigned char>(B);
            }
        }
    }
};

const UpperTable& Upper() {
    static const UpperTable Table; // built once, thread-safe by the language
    return Table;
}

} // namespace

char16_t AnsiCharToUnicode(unsigned char C) {
    return (C >= 0x80 && C < 0xA0) ? kHigh[C - 0x80] : char16_t(C);
}

int UnicodeToAnsiChar(char32_t U) {
    if (U < 0x80 || (U >= 0xA0 && U <= 0xFF)) return int(U);
    for (int I = 0; I < 32; ++I)
        if (kHigh[I] == U) return 0x80 + I;
    return -1;
}

QString AnsiToQString(std::string_view S) {
    QString R(qsizetype(S.size()), Qt::Uninitialized);
    QChar* D = R.data();
    for (unsigned char C : S) *D++ = QChar(AnsiCharToUnicode(C));
    return R;
}

std::string QStringToAnsi(const QString& S) {
    std::string R;
    R.reserve(size_t(S.size()));
    for (char32_t U : S.toUcs4()) {
        const int B = UnicodeToAnsiChar(U);
        R.push_back(B >= 0 ? char(B) : '?');
    }
    return R;
}

unsigned char AnsiUpperChar(unsigned char C) {
    return Upper().Map[C];
}

void AnsiUpperCaseInPlace(std::string& S) {
    const auto& M = Upper().Map;
    for (char& C : S) C = char(M[static_cast<unsigned char>(C)]);
}

std::string AnsiUpperCase(std::string_view S) {
    std::string R(S);
    AnsiUpperCaseInPlace(R);
    return R;
}

int AnsiCompareConverted(const QString& A, const QString& B) {
    // One collator per thread: QCollator objects are not safe to share between threads, and building
    // one per call would dominate the cost.
    thread_local QCollator Coll = [] {
        QCollator C(QLocale::system());
        C.setCaseSensitivity(Qt::CaseInsensitive);
        return C;
    }();
    const int R = Coll.compare(A, B);
    return R < 0 ? -1 : (R > 0 ? 1 : 0);
}

int AnsiCompareText(std::string_view A, std::string_view B) {
    return AnsiCompareConverted(AnsiToQString(A), AnsiToQString(B));
}
