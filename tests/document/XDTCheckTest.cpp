// The check report: small files that each break one rule, and what the report says about them.
#include "document/XDTCheck.h"
#include "TestUtil.h"
#include "document/XDTPtrList.h"
#include "support/Event.h"
#include "support/Sha1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

using testutil::TempDir;

namespace {

// One line with the given length digits (the right ones unless Len is given).
std::string L(int FeldArt, std::string_view Inhalt, std::string_view Term = "\r\n", int Len = -1) {
    char Head[16];
    std::snprintf(Head, sizeof Head, "%03d%04d", Len >= 0 ? Len : int(Inhalt.size() + 9), FeldArt);
    return Head + std::string(Inhalt) + std::string(Term);
}

std::string Join(const std::vector<std::string>& Lines) {
    std::string S;
    for (const std::string& X : Lines) S += X;
    return S;
}

// An LDT 3 result package: header with its version, one result record with a patient object, the
// trailer with the checksum of everything before it. Body replaces the result record's lines.
std::vector<std::string> Ldt3Lines(std::vector<std::string> Body = {},
                                   std::string_view Version = "LDT3.2.19") {
    std::vector<std::string> V = {L(8000, "8220"), L(8132, "Kopfdaten"), L(8002, "Obj_0032"),
                                  L(1, Version),   L(8003, "Obj_0032"),  L(8001, "8220")};
    if (Body.empty())
        Body = {L(8000, "8205"),
                L(8145, "Patient"),
                L(8002, "Obj_0045"),
                L(3101, "M\xFC"
                        "ller"),
                L(8003, "Obj_0045"),
                L(8001, "8205")};
    V.insert(V.end(), Body.begin(), Body.end());
    return V;
}
std::string WithTrailer(const std::string& Before, std::string_view Term = "\r\n") {
    const std::string Head = L(8000, "8221", Term);
    TSha1 H;
    H.Add(Before + Head);
    return Before + Head + L(9300, H.HexDigest(), Term) + L(8001, "8221", Term);
}
std::string Ldt3(std::vector<std::string> Body = {}, std::string_view Version = "LDT3.2.19") {
    return WithTrailer(Join(Ldt3Lines(std::move(Body), Version)));
}

// An LDT 2 record: 8000, 8100 with the record's bytes, then the fields.
std::string Ldt2Record(std::string_view SatzArt, const std::vector<std::string>& Fields) {
    const std::string Rest = Join(Fields);
    char Len[16];
    std::snprintf(Len, sizeof Len, "%05zu", 13 + 14 + Rest.size());
    return L(8000, SatzArt) + L(8100, Len) + Rest;
}
// A laboratory package: header, one report, trailer with the package length.
std::string Ldt2(const std::vector<std::string>& Report = {L(3101, "M\xFC"
                                                                   "ller")}) {
    const std::string Head =
        Ldt2Record("8220", {L(9212, "LDT1014.01"), L(9106, "3")}) + Ldt2Record("8201", Report);
    char Total[16];
    std::snprintf(Total, sizeof Total, "%08zu", Head.size() + 13 + 14 + 17);
    return Head + Ldt2Record("8221", {L(9202, Total)});
}

struct TFound {
    long long Line;
    std::string Code;
    TCheckSeverity Severity;
    bool operator==(const TFound&) const = default;
};
std::ostream& operator<<(std::ostream& Os, const TFound& F) {
    return Os << "{" << F.Line << ", " << F.Code << ", " << CheckSeverityName(F.Severity) << "}";
}

TCheckResult Check(std::string_view Bytes, TCheckOptions O = {}) {
    TempDir D;
    TFileXDTPtrList List;
    LoadXDTFile(List, D.Write("f.xdt", Bytes), {.InvalidLine = ilTolerant});
    return CheckXDTFile(List, O);
}
std::vector<TFound> Found(const TCheckResult& R) {
    std::vector<TFound> F;
    for (const TCheckProblem& P : R.Problems) F.push_back({P.Line, P.Code, P.Severity});
    return F;
}
std::vector<TFound> Found(std::string_view Bytes) {
    return Found(Check(Bytes));
}
// The message of the only problem.
std::string Message(std::string_view Bytes) {
    const TCheckResult R = Check(Bytes);
    EXPECT_EQ(R.Problems.size(), 1u);
    return R.Problems.empty() ? std::string() : R.Problems[0].Message;
}

const TCheckSeverity F = csFehler, W = csWarnung, H = csHinweis;

} // namespace

TEST(XDTCheck, CleanFilesOfEveryFamilyHaveNoProblems) {
    struct {
        std::string Bytes;
        TCheckFamily Family;
    } const Clean[] = {
        {Ldt3(), cfLDT3},
        {Ldt2(), cfLDT2},
        {Ldt2Record("6310", {L(9218, "02.10"), L(9206, "3"),
                             L(3101, "M\xFC"
                                     "ller")}),
         cfGDT2},
        {L(8000, "6310") + L(8133, "Kopfdaten_GDT") + L(8002, "Obj_0033") + L(1, "3.5") +
             L(8003, "Obj_0033") + L(8001, "6310"),
         cfGDT35},
        {L(8000, "con0") + L(9212, "ADT0124.01") + L(9106, "4") + L(8000, "con9"), cfKVDT},
    };
    for (const auto& C : Clean) {
        const TCheckResult R = Check(C.Bytes);
        EXPECT_EQ(R.Family, C.Family) << CheckFamilyName(C.Family);
        EXPECT_EQ(Found(R), std::vector<TFound>{}) << CheckFamilyName(C.Family);
        EXPECT_EQ(R.Errors + R.Warnings + R.Hints, 0);
        EXPECT_FALSE(R.Cancelled);
    }
    EXPECT_EQ(Check(Ldt3()).Lines, 15);
}

TEST(XDTCheck, LengthDigitsAreTheBytesOfTheLineWithCrLf) {
    std::vector<std::string> B = Ldt3Lines();
    B[9] = L(3101, "Schneider", "\r\n", 17); // 18 bytes with CR LF
    const std::string Bytes = WithTrailer(Join(B));
    EXPECT_EQ(Found(Bytes), (std::vector<TFound>{{10, "laenge", F}}));
    EXPECT_EQ(Message(Bytes), "L\xE4ngenangabe 017, die Zeile hat 18 Byte (mit CR LF)");
    // A content of 991 bytes cannot be stated in three digits.
    B = Ldt3Lines();
    B[9] = L(3101, std::string(991, 'x'), "\r\n", 999);
    EXPECT_EQ(
        Message(WithTrailer(Join(B))),
        "L\xE4ngenangabe 999, die Zeile hat 1000 Byte (mit CR LF), mehr als drei Ziffern angeben k\xF6nnen "
        "(h\xF6"
        "chstens 999)");
}

TEST(XDTCheck, LineEndsAreSaidOncePerStyle) {
    // One style for the whole file: one problem at the first line.
    std::string Lf = Ldt2();
    for (size_t P; (P = Lf.find("\r\n")) != std::string::npos;) Lf.replace(P, 2, "\n");
    TCheckResult R = Check(Lf);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{1, "zeilenende", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Die Zeilen enden mit LF statt CR LF (alle 10 Zeilen)");
    for (std::string_view Term : {"\r", "\n\r"}) {
        std::string S = Ldt2();
        for (size_t P = 0; (P = S.find("\r\n", P)) != std::string::npos; P += Term.size())
            S.replace(P, 2, Term);
        EXPECT_EQ(Found(S), (std::vector<TFound>{{1, "zeilenende", F}})) << Term.size();
    }

    // A few lines of another style: their count and the first of them.
    std::vector<std::string> B = Ldt3Lines();
    for (int I : {2, 4, 5}) B[size_t(I)].replace(B[size_t(I)].size() - 2, 2, "\n");
    R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{3, "zeilenende", F}}));
    EXPECT_EQ(R.Problems[0].Message, "3 Zeilen enden mit LF statt CR LF: Zeile 3, 5, 6");

    // The last line without an end: the loader reads it, but it is not ended as it should be.
    const std::string Whole = Ldt2();
    EXPECT_EQ(Found(Whole.substr(0, Whole.size() - 2)), (std::vector<TFound>{{10, "zeilenende", W}}));
}

TEST(XDTCheck, EmptyAndShortLines) {
    std::vector<std::string> B = Ldt3Lines();
    B.insert(B.begin() + 6, "\r\n");
    B.insert(B.begin() + 8, "abc\r\n");
    const TCheckResult R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{7, "leerzeile", F}, {9, "leerzeile", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Leere Zeile");
    EXPECT_EQ(R.Problems[1].Message,
              "Zeile mit 3 Byte \"abc\", erwartet mindestens 7 (L\xE4nge und Feldkennung)");
    // What the loader skips at the end of a file is only a hint.
    EXPECT_EQ(Found(Ldt3() + "\r\n"), (std::vector<TFound>{{16, "leerzeile", H}}));
    EXPECT_EQ(Found(Ldt3() + "\x1A"), (std::vector<TFound>{{16, "leerzeile", F}, {16, "zeilenende", W}}));
}

TEST(XDTCheck, HeaderBytesThatAreNotDigits) {
    std::vector<std::string> B = Ldt3Lines();
    B[9] = "01x3101M\xFCller\r\n";
    B.insert(B.begin() + 10, "0133 01Anna\r\n"); // the loader takes " 01" as a number; the check does not
    const TCheckResult R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{10, "kopf", F}, {11, "kopf", F}}));
    EXPECT_EQ(R.Problems[0].Message, "L\xE4ngenangabe \"01x\" besteht nicht aus drei Ziffern");
    EXPECT_EQ(R.Problems[1].Message, "Feldkennung \"3 01\" besteht nicht aus vier Ziffern");
}

TEST(XDTCheck, BytesOutsideTheCharacterSet) {
    // LDT 3 is ISO 8859-15 only: 0x81 is none of its characters, a TAB is a control.
    std::vector<std::string> B = Ldt3Lines();
    B[9] = L(3101, "M\x81ller");
    B.insert(B.begin() + 10, L(3102, "An\tna"));
    const std::string Bytes = WithTrailer(Join(B));
    const TCheckResult R = Check(Bytes);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{10, "zeichen", F}, {11, "zeichen", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Byte 0x81 ist im Zeichensatz ISO 8859-15 nicht erlaubt (Spalte 9)");
    EXPECT_EQ(R.Problems[0].Offset, Bytes.find('\x81'));
    EXPECT_EQ(R.Problems[1].Message, "Steuerzeichen 0x09 im Feldinhalt (Spalte 10)");

    // The first few lines one by one, then a count.
    B = Ldt3Lines();
    for (int I = 0; I < 8; ++I) B.insert(B.begin() + 10, L(3102, "\x7F\x7F"));
    const TCheckResult Many = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Many.Errors, 8);
    ASSERT_EQ(Many.Problems.size(), 6u);
    EXPECT_EQ(Many.Problems[5].Message,
              "Weitere 3 Zeilen mit nicht erlaubten Bytes, zuerst Zeile 16 (insgesamt 16 Byte in 8 Zeilen)");

    // LDT 2 in the declared 7-bit code: no umlauts as bytes of their own.
    const std::string Seven = Ldt2({L(3101, "M\xFC"
                                            "ller")});
    std::string S = Seven;
    S.replace(S.find("0109106"
                     "3"),
              8,
              "0109106"
              "1");
    EXPECT_EQ(Message(S), "Byte 0xFC ist im Zeichensatz 7-Bit-Code nicht erlaubt (Spalte 9)");
}

TEST(XDTCheck, UnknownIdentifiersOncePerIdentifier) {
    // LDT 3 declares no character set: 9106 is no field of it, though older families have it.
    std::vector<std::string> B = Ldt3Lines();
    B.insert(B.begin() + 10, {L(3315, "2018"), L(9106, "4"), L(3315, "2019")});
    const TCheckResult R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{11, "unbekannt", W}, {12, "unbekannt", W}}));
    EXPECT_EQ(R.Problems[0].Message,
              "Feldkennung 3315 ist f\xFCr LDT 3 nicht bekannt (2 Zeilen, zuerst hier)");
    EXPECT_EQ(R.Problems[1].Message, "Feldkennung 9106 ist f\xFCr LDT 3 nicht bekannt");
    EXPECT_EQ(R.Warnings, 2);
}

TEST(XDTCheck, Ldt3RecordFrame) {
    // The end carries another record type.
    std::vector<std::string> B = Ldt3Lines();
    B[11] = L(8001, "8215");
    EXPECT_EQ(Found(WithTrailer(Join(B))), (std::vector<TFound>{{12, "satz", F}}));
    EXPECT_EQ(Check(WithTrailer(Join(B))).Problems[0].Message,
              "Satzende 8001 mit \"8215\", erwartet \"8205\" wie der Satzbeginn in Zeile 7");

    // A field between two records.
    B = Ldt3Lines();
    B.insert(B.begin() + 6, {L(3101, "x"), L(3102, "y")});
    TCheckResult R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{7, "satz", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Feld 3101 au\xDF"
                                     "erhalb eines Satzes (erwartet 8000 Satzbeginn); 2 Zeilen bis Zeile 8");

    // A new record before the end of the last; the object in it is left open as well.
    B = Ldt3Lines();
    B.erase(B.begin() + 11);
    EXPECT_EQ(Found(WithTrailer(Join(B))), (std::vector<TFound>{{12, "satz", F}}));
    B.erase(B.begin() + 10);
    EXPECT_EQ(Found(WithTrailer(Join(B))), (std::vector<TFound>{{9, "objekt", F}, {11, "satz", F}}));

    // A record type LDT 3 does not have.
    B = Ldt3Lines();
    B[6] = L(8000, "8201");
    B[11] = L(8001, "8201");
    EXPECT_EQ(Found(WithTrailer(Join(B))), (std::vector<TFound>{{7, "satz", F}, {13, "satz", F}}));
}

TEST(XDTCheck, Ldt3RecordOrder) {
    // An order record in a result package.
    std::vector<std::string> B = Ldt3Lines();
    B[6] = L(8000, "8215");
    B[11] = L(8001, "8215");
    TCheckResult R = Check(WithTrailer(Join(B)));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{7, "satz", F}, {13, "satz", F}}));
    EXPECT_EQ(R.Problems[0].Message,
              "Satz 8215 passt nicht zum Datenpaket-Header 8220 aus Zeile 1 (erwartet 8205)");
    EXPECT_EQ(R.Problems[1].Message, "Datenpaket ohne Satz 8205 zwischen Header und Abschluss");

    // No trailer.
    EXPECT_EQ(Found(Join(Ldt3Lines())), (std::vector<TFound>{{1, "satz", F}}));
    // A second package in the same file, and a record after the first trailer; the second sum covers
    // only its own part, not every byte before it.
    const std::string One = Ldt3();
    EXPECT_EQ(
        Found(One + One),
        (std::vector<TFound>{{16, "satz", F}, {22, "satz", F}, {28, "satz", F}, {29, "pruefsumme", F}}));
    // The trailer comes first.
    EXPECT_EQ(Found(L(8000, "8221") + L(9300, std::string(40, '0')) + L(8001, "8221"))[0],
              (TFound{1, "satz", F}));
}

TEST(XDTCheck, Ldt3ObjectBrackets) {
    auto Body = [](std::vector<std::string> Inner) {
        std::vector<std::string> V = {L(8000, "8205")};
        V.insert(V.end(), Inner.begin(), Inner.end());
        V.push_back(L(8001, "8205"));
        return Ldt3(V);
    };
    // Left open until the record ends.
    TCheckResult R = Check(Body({L(8145, "Patient"), L(8002, "Obj_0045"), L(3101, "A")}));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{9, "objekt", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Objekt \"Obj_0045\" wird nicht geschlossen: Satzende 8001 in Zeile 11 "
                                     "kommt vor dem Objektende 8003");
    // Crossed: the outer end comes before the inner one.
    R = Check(Body({L(8145, "Patient"), L(8002, "Obj_0045"), L(8147, "Person"), L(8002, "Obj_0047"),
                    L(3101, "A"), L(8003, "Obj_0045"), L(8003, "Obj_0047")}));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{13, "objekt", F}, {14, "objekt", F}}));
    EXPECT_EQ(R.Problems[0].Message,
              "Objektende 8003 \"Obj_0045\", erwartet zuerst das Ende von \"Obj_0047\" (ge\xF6"
              "ffnet in Zeile 11)");
    EXPECT_EQ(R.Problems[1].Message, "Objektende 8003 \"Obj_0047\" ohne ge\xF6"
                                     "ffnetes Objekt");
    // Unknown and malformed IDs.
    R = Check(Body({L(8145, "Patient"), L(8002, "Obj_0099"), L(3101, "A"), L(8003, "Obj_0099")}));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{9, "objekt", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Unbekannte Objekt-ID \"Obj_0099\" (kein Objekt von LDT 3)");
    EXPECT_EQ(Found(Body({L(8145, "Patient"), L(8002, "Patient"), L(3101, "A"), L(8003, "Patient")})),
              (std::vector<TFound>{{9, "objekt", F}}));
    // Empty.
    R = Check(Body({L(8145, "Patient"), L(8002, "Obj_0045"), L(8003, "Obj_0045")}));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{9, "objekt", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Leeres Objekt \"Obj_0045\": nur 8002 und 8003 (Zeile 10)");
    // No attribute before it.
    EXPECT_EQ(Found(Body({L(3101, "A"), L(8002, "Obj_0045"), L(3101, "A"), L(8003, "Obj_0045")})),
              (std::vector<TFound>{{9, "objekt", W}}));
    // Open at the end of the file.
    EXPECT_EQ(Found(L(8000, "8205") + L(8145, "Patient") + L(8002, "Obj_0045") + L(3101, "A")),
              (std::vector<TFound>{{1, "satz", F}, {1, "satz", F}, {3, "objekt", F}}));
}

TEST(XDTCheck, ChecksumAsStoredWithCrLfAndTampered) {
    // As stored, CR LF: no problem (the clean test). Converted to LF on the way: the sum matches once
    // the line ends are CR LF again.
    std::string Lf = Ldt3();
    for (size_t P; (P = Lf.find("\r\n")) != std::string::npos;) Lf.replace(P, 2, "\n");
    TCheckResult R = Check(Lf);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{1, "zeilenende", F}, {14, "pruefsumme", W}}));
    EXPECT_EQ(R.Problems[1].Message, "Pr\xFC"
                                     "fsumme stimmt erst mit CR LF als Zeilenende: die Datei wurde "
                                     "unterwegs umgewandelt, ihr Inhalt ist unver\xE4ndert");
    EXPECT_EQ(R.Problems[1].Offset, Lf.find("0499300"));

    // Tampered: one byte of the content changed after the sum was made.
    std::string T = Ldt3();
    T[T.find("M\xFC"
             "ller")] = 'N';
    R = Check(T);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{14, "pruefsumme", F}}));
    const size_t At = T.find("0499300");
    TSha1 Sum;
    Sum.Add(T.substr(0, At));
    EXPECT_EQ(R.Problems[0].Message, "Pr\xFC"
                                     "fsumme " +
                                         T.substr(At + 7, 40) + " stimmt nicht: SHA-1 der " +
                                         std::to_string(At) + " Byte davor ist " + Sum.HexDigest());
    // Tampered and converted: both sums are named.
    std::string TLf = T;
    for (size_t P; (P = TLf.find("\r\n")) != std::string::npos;) TLf.replace(P, 2, "\n");
    R = Check(TLf);
    ASSERT_EQ(R.Problems.size(), 2u);
    EXPECT_NE(R.Problems[1].Message.find(", mit CR LF als Zeilenende "), std::string::npos);

    // Upper-case digits are the same sum; anything but 40 hexadecimal digits is none.
    std::string Upper = Ldt3();
    for (size_t I = Upper.find("0499300") + 7, N = I + 40; I < N; ++I)
        Upper[I] = char(std::toupper(Upper[I]));
    EXPECT_EQ(Found(Upper), std::vector<TFound>{});
    const std::string Head = Join(Ldt3Lines()) + L(8000, "8221");
    EXPECT_EQ(Found(Head + L(9300, "abc") + L(8001, "8221")), (std::vector<TFound>{{14, "pruefsumme", F}}));
    // A trailer without one.
    EXPECT_EQ(Found(Head + L(8001, "8221")), (std::vector<TFound>{{13, "pruefsumme", F}}));
}

TEST(XDTCheck, BundledLdt3SamplesChecksum) {
    const std::string Dir = std::string(OSTREL_TEST_DATA) + "/samples/";
    auto Sums = [&](const std::string& Name) {
        TFileXDTPtrList List;
        LoadXDTFile(List, Dir + Name);
        std::vector<TFound> S;
        for (const TCheckProblem& P : CheckXDTFile(List).Problems)
            if (std::string_view(P.Code) == "pruefsumme" || std::string_view(P.Code) == "zeilenende")
                S.push_back({P.Line, P.Code, P.Severity});
        return S;
    };
    // Written with CR LF and matching as stored; converted to LF by a repository and matching with CR LF.
    EXPECT_EQ(Sums("healthmetrix-libldt3__3.2.4-with-bak.ldt"), std::vector<TFound>{});
    EXPECT_EQ(Sums("labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt"),
              (std::vector<TFound>{{1, "zeilenende", F}, {169, "pruefsumme", W}}));
}

TEST(XDTCheck, RecordLengthOfCountedFamilies) {
    // LDT 2: 8100 counts the record's bytes with CR LF.
    std::string S = Ldt2();
    const size_t At = S.find("01481000", S.find("8201"));
    S.replace(At + 7, 5, "00099");
    TCheckResult R = Check(S);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{6, "satz", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Satzl\xE4nge 00099, der Satz \"8201\" hat 42 Byte (mit CR LF)");
    S.replace(At + 7, 5, "0009x");
    EXPECT_EQ(Check(S).Problems[0].Message, "Satzl\xE4nge \"0009x\" ist keine Zahl");
    // A record without one.
    EXPECT_EQ(Found(L(8000, "6310") + L(9218, "02.10") + L(3101, "A")),
              (std::vector<TFound>{{1, "satz", W}}));
    // GDT counts the same way; a file converted to LF is counted as if it had CR LF.
    std::string G = Ldt2Record("6310", {L(9218, "02.10"), L(3101, "M\xFC"
                                                                  "ller")});
    for (size_t P; (P = G.find("\r\n")) != std::string::npos;) G.replace(P, 2, "\n");
    EXPECT_EQ(Found(G), (std::vector<TFound>{{1, "zeilenende", F}}));
}

TEST(XDTCheck, PackageLength) {
    std::string S = Ldt2();
    const size_t At = S.find("0179202");
    const std::string Right = S.substr(At + 7, 8);
    S.replace(At + 7, 8, "00000001");
    TCheckResult R = Check(S);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{10, "paketlaenge", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Gesamtl\xE4nge 00000001, das Datenpaket ab Zeile 1 hat " +
                                         std::to_string(std::stoi(Right)) + " Byte (mit CR LF)");

    // BDT: writers count from 0022 or from 0020; either reading is right, neither is a warning.
    const std::string Vol = Ldt2Record("0020", {L(9213, "02/94")});
    const std::string Pkg = Ldt2Record("0022", {L(9106, "2")}) + Ldt2Record("6100", {L(3101, "A")});
    auto Bdt = [&](size_t Total) {
        char T[16];
        std::snprintf(T, sizeof T, "%08zu", Total);
        return Vol + Pkg + Ldt2Record("0023", {L(9202, T)});
    };
    const size_t Trailer = 13 + 14 + 17;
    EXPECT_EQ(Found(Bdt(Pkg.size() + Trailer)), std::vector<TFound>{});
    EXPECT_EQ(Found(Bdt(Vol.size() + Pkg.size() + Trailer)), std::vector<TFound>{});
    R = Check(Bdt(5));
    EXPECT_EQ(R.Family, cfBDT);
    EXPECT_EQ(Found(R), (std::vector<TFound>{{12, "paketlaenge", W}}));
    EXPECT_EQ(R.Problems[0].Message, "Gesamtl\xE4nge 00000005, das Datenpaket hat ab 0022 (Zeile 4) " +
                                         std::to_string(Pkg.size() + Trailer) + " Byte, ab 0020 (Zeile 1) " +
                                         std::to_string(Vol.size() + Pkg.size() + Trailer) +
                                         " Byte (mit CR LF)");
}

TEST(XDTCheck, VersionFields) {
    TCheckResult R = Check(Ldt3({}, "LDT3.2"));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{4, "version", F}}));
    EXPECT_EQ(R.Problems[0].Message, "Version \"LDT3.2\" hat nicht das Format LDTn.n.n (bis LDTn.nn.nnnn)");
    EXPECT_EQ(Found(Ldt3({}, "LDT3.2.X")), (std::vector<TFound>{{4, "version", F}}));
    R = Check(Ldt3({}, "LDT4.0.1"));
    EXPECT_EQ(Found(R), (std::vector<TFound>{{4, "version", W}}));
    EXPECT_EQ(R.Problems[0].Message,
              "Unbekannte Version \"LDT4.0.1\" (bekannt sind LDT3.0.x, LDT3.1.x und LDT3.2.0 bis LDT3.2.20)");
    for (std::string_view Known : {"LDT3.0.7", "LDT3.2.4", "LDT3.2.20", "LDT3.1.1234"})
        EXPECT_EQ(Found(Ldt3({}, Known)), std::vector<TFound>{}) << Known;
    // A header without one.
    std::vector<std::string> B = Ldt3Lines();
    B.erase(B.begin() + 1, B.begin() + 5);
    EXPECT_EQ(Found(WithTrailer(Join(B))), (std::vector<TFound>{{1, "version", W}}));
    // LDT 2.
    std::string S = Ldt2();
    S.replace(S.find("LDT1014.01"), 10, "LDT2014.01");
    EXPECT_EQ(Found(S), (std::vector<TFound>{{3, "version", W}}));
}

// A file full of one defect: the first ones listed, all of them counted, memory bounded.
TEST(XDTCheck, ProblemsOfOneKindAreListedUpToALimit) {
    std::string S;
    for (int I = 0; I < 1000; ++I) S += L(3101, "x", "\r\n", 11);
    const TCheckResult R = Check(S, {.Family = cfUnbekannt, .MaxPerCode = 20});
    EXPECT_EQ(R.Errors, 1000);
    ASSERT_EQ(R.Problems.size(), 21u);
    EXPECT_EQ(R.Problems[20].Line, 21);
    EXPECT_EQ(R.Problems[20].Message, "Weitere 980 Meldungen dieser Art, zuerst Zeile 21");
    EXPECT_EQ(R.Problems[20].Severity, csFehler);
}

// Each problem names the entry of its line, or the next entry when the line has none.
TEST(XDTCheck, ProblemsNameTheEntryOfTheirLine) {
    const std::string Bytes =
        L(3000, "a") + "\r\n" + L(3000, "b", "\r\n", 5) + "x\r\n" + L(3000, "c", "\r\n", 5);
    TempDir D;
    const std::string P = D.Write("f.xdt", Bytes);
    TFileXDTPtrList Tolerant, Strict;
    LoadXDTFile(Tolerant, P, {.InvalidLine = ilTolerant});
    const TCheckResult R = CheckXDTFile(Tolerant, {.Family = cfUnbekannt});
    ASSERT_EQ(Found(R), (std::vector<TFound>{
                            {2, "leerzeile", F}, {3, "laenge", F}, {4, "leerzeile", F}, {5, "laenge", F}}));
    EXPECT_EQ(R.Problems[0].Entry, 1); // the empty line has none: the next one
    EXPECT_EQ(R.Problems[1].Entry, 1);
    EXPECT_EQ(R.Problems[2].Entry, 2); // the short line is an invalid entry of its own
    EXPECT_EQ(R.Problems[3].Entry, 3);
    // A strict load stops at the empty line; the check still reads the whole file.
    LoadXDTFile(Strict, P, {.InvalidLine = ilStop});
    const TCheckResult S = CheckXDTFile(Strict, {.Family = cfUnbekannt});
    EXPECT_EQ(Found(S), Found(R));
    EXPECT_EQ(S.Problems[3].Entry, 0);
}

TEST(XDTCheck, CancelledBeforeTheFirstLine) {
    TEvent Cancel;
    Cancel.Set();
    const TCheckResult R = Check(Ldt3(), {.Cancel = &Cancel});
    EXPECT_TRUE(R.Cancelled);
    EXPECT_EQ(R.Lines, 0);
}

TEST(XDTCheck, FamiliesOfTheBundledSamples) {
    const std::pair<const char*, TCheckFamily> Samples[] = {
        {"healthmetrix-libldt3__3.2.4-with-bak.ldt", cfLDT3},
        {"labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt", cfLDT3},
        {"egore-libldt3__person-19900204.ldt", cfLDT3},
        {"levinalex-xdt__e1.ldt", cfLDT2},
        {"levinalex-xdt__ldt_lg_report_example.ldt", cfLDT2},
        {"pygdt__test.gdt", cfGDT2},
        {"vscode-gdt-extension__Message.gdt", cfGDT30},
        {"levinalex-xdt__example4.bdt.txt", cfBDT},
        {"py_kvdt__Z05123456699_27.10.2023_12.00.con", cfKVDT},
    };
    for (const auto& [Name, Family] : Samples) {
        TFileXDTPtrList List;
        LoadXDTFile(List, std::string(OSTREL_TEST_DATA) + "/samples/" + Name, {.InvalidLine = ilTolerant});
        EXPECT_EQ(DetectCheckFamily(List), Family) << Name;
    }
}

// Every sample and anything else: no crash, every problem on a line of the file and with a message.
TEST(XDTCheck, EveryProblemLiesInTheFile) {
    for (const auto& F : std::filesystem::directory_iterator(std::string(OSTREL_TEST_DATA) + "/samples")) {
        TFileXDTPtrList List;
        LoadXDTFile(List, F.path().string(), {.InvalidLine = ilTolerant});
        const TCheckResult R = CheckXDTFile(List);
        for (const TCheckProblem& P : R.Problems) {
            EXPECT_GE(P.Line, 1) << F.path();
            EXPECT_LE(P.Line, R.Lines) << F.path();
            EXPECT_LT(P.Offset, List.FileSize()) << F.path();
            EXPECT_FALSE(P.Message.empty()) << F.path();
            EXPECT_GE(P.Entry, 0) << F.path();
            EXPECT_LT(P.Entry, List.Count()) << F.path();
        }
    }
    EXPECT_EQ(Found(""), std::vector<TFound>{});
}

// The checksum of a large file is summed on a second thread, with its state kept at marks: with any
// spacing of the marks the report is the one of summing on the checking thread, and each checksum
// line is judged as a plain sum of its prefix (as stored and with CR LF line ends) judges it.
TEST(CheckThread, SummingAheadGivesTheSameReport) {
    std::mt19937 Rng(5);
    const std::string_view Terms[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\n\r"};
    for (int Round = 0; Round < 60; ++Round) {
        std::string B, Norm;
        std::vector<std::pair<long long, TCheckSeverity>> Want; // per checksum line: its line, or none
        long long Line = 0;
        auto Add = [&](const std::string& Text, std::string_view Term) {
            ++Line;
            B += Text;
            B += Term;
            Norm += Text + "\r\n";
        };
        Add(L(8000, "8220", ""), "\r\n");
        const int N = 5 + int(Rng() % 60);
        for (int I = 0; I < N; ++I) {
            if (Rng() % 9 == 0) {
                // A checksum line: right as stored, right only with CR LF, or wrong.
                TSha1 Stored, Normal;
                Stored.Add(B);
                Normal.Add(Norm);
                const int Kind = int(Rng() % 3);
                const std::string Sum = Kind == 0   ? Stored.HexDigest()
                                        : Kind == 1 ? Normal.HexDigest()
                                                    : std::string(40, 'a');
                if (Kind == 2)
                    Want.push_back({Line + 1, csFehler});
                else if (Kind == 1 && Stored.HexDigest() != Normal.HexDigest())
                    Want.push_back({Line + 1, csWarnung});
                Add(L(9300, Sum, ""), Terms[Rng() % 6]);
            } else {
                Add(L(3101, std::string(Rng() % 40, 'x'), ""), Terms[Rng() % 6]);
            }
        }
        const TCheckResult Inline =
            CheckXDTImage(B, nullptr, {.Family = cfLDT3, .SumThreadFrom = UINT64_MAX});
        std::vector<std::pair<long long, TCheckSeverity>> Got;
        for (const TCheckProblem& P : Inline.Problems)
            if (std::string_view(P.Code) == "pruefsumme") Got.push_back({P.Line, P.Severity});
        ASSERT_EQ(Got, Want) << "round " << Round;
        for (uint64_t Every : {uint64_t(1), uint64_t(7), uint64_t(64), uint64_t(1) << 20}) {
            const TCheckResult Ahead =
                CheckXDTImage(B, nullptr, {.Family = cfLDT3, .SumThreadFrom = 0, .SumMarkEvery = Every});
            ASSERT_EQ(Found(Ahead), Found(Inline)) << "round " << Round << ", marks every " << Every;
        }
    }
}
