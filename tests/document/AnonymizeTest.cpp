// The anonymised copy: what vanishes, what stays, and lengths and checksums checked by an
// independent reading of the copy's bytes.
#include "TestUtil.h"
#include "document/XDTAnonymize.h"
#include "document/XDTPtrList.h"
#include "document/XDTStructure.h"
#include "support/Event.h"

#include <QByteArrayView>
#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testutil::TempDir;
using testutil::XdtLine;

namespace {

std::string ReadAll(const std::string& P) {
    std::ifstream F(P, std::ios::binary);
    std::stringstream S;
    S << F.rdbuf();
    return S.str();
}

struct TRawLine {
    std::string Id, Content;
    size_t Offset = 0, Size = 0; // of the whole line with CR LF
};

// Splits the copy at CR LF and checks every line's length prefix: content + 9, three digits.
std::vector<TRawLine> CheckedLines(const std::string& Bytes, const std::string& What) {
    std::vector<TRawLine> R;
    size_t P = 0;
    while (P < Bytes.size()) {
        const size_t E = Bytes.find("\r\n", P);
        if (E == std::string::npos) {
            ADD_FAILURE() << What << ": the last line has no CR LF";
            break;
        }
        const std::string L = Bytes.substr(P, E - P);
        EXPECT_EQ(L.find_first_of("\r\n"), std::string::npos) << What << " at " << P;
        if (L.size() < 7) {
            ADD_FAILURE() << What << ": short line at " << P;
            break;
        }
        EXPECT_EQ(L.substr(0, 3),
                  [&] {
                      char B[8];
                      std::snprintf(B, sizeof B, "%03zu", L.size() + 2);
                      return std::string(B);
                  }())
            << What << ": " << L;
        R.push_back({L.substr(3, 4), L.substr(7), P, E + 2 - P});
        P = E + 2;
    }
    return R;
}

// 8100 = bytes from the 8000 line to the next 8000 line; LDT 2 9202 = bytes from the package header
// to the end of the trailer record, BDT 9202 that from 0020 or from 0022; LDT 3 9300 = SHA-1 of all
// bytes before its line.
void CheckLengths(const std::string& Bytes, const std::vector<TRawLine>& L, const std::string& What) {
    std::vector<size_t> Starts;
    for (size_t I = 0; I < L.size(); ++I)
        if (L[I].Id == "8000") Starts.push_back(I);
    auto EndOf = [&](size_t Record) {
        return Record + 1 < Starts.size() ? L[Starts[Record + 1]].Offset : Bytes.size();
    };
    std::map<std::string, size_t> LastStart;
    for (size_t R = 0; R < Starts.size(); ++R) {
        const size_t S = Starts[R];
        const std::string Type = L[S].Content;
        LastStart[Type] = L[S].Offset;
        if (Type == "8220" || Type == "8230") LastStart["header"] = L[S].Offset;
        for (size_t I = S + 1; I < L.size() && L[I].Id != "8000"; ++I) {
            if (L[I].Id == "8100" && I == S + 1) {
                EXPECT_EQ(std::stoll(L[I].Content), int64_t(EndOf(R) - L[S].Offset)) << What << " 8100";
            }
            if (L[I].Id == "9202" && (Type == "8221" || Type == "8231")) {
                EXPECT_EQ(std::stoll(L[I].Content), int64_t(EndOf(R) - LastStart["header"]))
                    << What << " 9202";
            }
            if (L[I].Id == "9202" && Type == "0023") {
                const int64_t V = std::stoll(L[I].Content);
                EXPECT_TRUE((LastStart.count("0020") && V == int64_t(EndOf(R) - LastStart["0020"])) ||
                            (LastStart.count("0022") && V == int64_t(EndOf(R) - LastStart["0022"])))
                    << What << " 9202 " << V;
            }
        }
    }
    for (const TRawLine& Line : L)
        if (Line.Id == "9300") {
            EXPECT_EQ(Line.Content,
                      QCryptographicHash::hash(QByteArrayView(Bytes.data(), qsizetype(Line.Offset)),
                                               QCryptographicHash::Sha1)
                          .toHex()
                          .toStdString())
                << What << " 9300";
        }
}

std::string Sample(const std::string& Name) {
    return std::string(OSTREL_TEST_DATA) + "/samples/" + Name;
}

TAnonymizeOutcome Anonymize(const std::string& In, const std::string& Out) {
    TFileXDTPtrList L;
    const TLoadOutcome Loaded = LoadXDTFile(L, In, {.InvalidLine = ilStop});
    return AnonymizeToFile(L, Loaded, Out);
}

// The copy of a small file made in memory.
std::string Copy(const std::string& Bytes, TAnonymizeOutcome* Outcome = nullptr) {
    TempDir D;
    TFileXDTPtrList L;
    EXPECT_EQ(LoadXDTFile(L, D.Write("in.xdt", Bytes)).End, leComplete);
    std::string Out;
    const TAnonymizeOutcome R = WriteAnonymized(L, [&](std::string_view P) {
        Out += P;
        return true;
    });
    EXPECT_TRUE(R.Ok()) << R.Message;
    if (Outcome) *Outcome = R;
    return Out;
}

std::map<std::string, std::vector<std::string>> ById(const std::vector<TRawLine>& L) {
    std::map<std::string, std::vector<std::string>> M;
    for (const TRawLine& Line : L) M[Line.Id].push_back(Line.Content);
    return M;
}

} // namespace

// Every bundled sample that loads whole: none of its names, birth dates and insurance numbers in
// the copy; the copy loads, its lengths and checksum are right, and only the replaced fields,
// lengths, checksum and embedded documents differ from the original. A sample that does not load
// whole gets no copy.
TEST(AnonymizedCopy, EveryBundledSample) {
    const std::set<std::string> Names = {"3101", "3102", "3201", "3202"}, Births = {"3103", "3203"},
                                Insurance = {"3105", "3119"};
    TempDir D;
    int Copies = 0, Refused = 0;
    for (const fs::directory_entry& E : fs::directory_iterator(fs::path(OSTREL_TEST_DATA) / "samples")) {
        const std::string Name = E.path().filename().string();
        if (Name == "CREDITS.md") continue;
        const std::string Out = D.File(Name);
        TFileXDTPtrList Orig;
        const TLoadOutcome Loaded = LoadXDTFile(Orig, E.path().string(), {.InvalidLine = ilStop});
        const TAnonymizeOutcome R = AnonymizeToFile(Orig, Loaded, Out);
        if (Loaded.End != leComplete) {
            EXPECT_EQ(R.End, TAnonymizeEnd::Incomplete) << Name;
            EXPECT_FALSE(fs::exists(Out)) << Name;
            ++Refused;
            continue;
        }
        ASSERT_TRUE(R.Ok()) << Name << ": " << R.Message;
        ++Copies;
        const std::string Bytes = ReadAll(Out);
        const std::vector<TRawLine> L = CheckedLines(Bytes, Name);
        CheckLengths(Bytes, L, Name);

        TFileXDTPtrList Back;
        EXPECT_EQ(LoadXDTFile(Back, Out).End, leComplete) << Name;
        EXPECT_EQ(Back.Format().Family, Orig.Format().Family) << Name;
        EXPECT_EQ(Back.Format().Version, Orig.Format().Version) << Name;

        // Line by line beside the original, the documents' data lines apart.
        std::vector<int> Kept;
        for (int I = 0; I < Orig.Count(); ++I)
            if (Orig.FeldArt(I) != 6329) Kept.push_back(I);
        std::vector<const TRawLine*> Copied;
        for (const TRawLine& Line : L)
            if (Line.Id != "6329") Copied.push_back(&Line);
        ASSERT_EQ(Copied.size(), Kept.size()) << Name;
        // A name that is also the whole content of a field that stays (the sample's lab doctor is
        // called "Laborarzt", which is also his function) is no leak where it stays.
        std::set<std::string> Staying;
        for (int I = 0; I < Orig.Count(); ++I)
            if (PseudonymKindOf(Orig.FeldArt(I), Orig.Format().Family) == TPseudonymKind::Keep)
                Staying.insert(Orig.Inhalt(I));
        for (size_t K = 0; K < Kept.size(); ++K) {
            const int I = Kept[K];
            const std::string Id = Orig.Kennung(I), Content = Orig.Inhalt(I);
            const std::string& New = Copied[K]->Content;
            EXPECT_EQ(Copied[K]->Id, Id) << Name << " line " << I + 1;
            const bool Replaced =
                PseudonymKindOf(Orig.FeldArt(I), Orig.Format().Family) != TPseudonymKind::Keep;
            const bool Computed = Id == "8100" || Id == "9202" || Id == "9300" || Id == "6303";
            if (!Replaced && !Computed) {
                EXPECT_EQ(New, Content) << Name << " line " << I + 1;
            }
            if (Content.empty() || Content.find_first_not_of(' ') == std::string::npos) continue;
            if (Names.count(Id) || Insurance.count(Id)) {
                EXPECT_NE(New, Content) << Name << " line " << I + 1;
                // Nowhere in the copy, also not inside another field.
                if (Content.size() >= 4 && !Staying.count(Content)) {
                    EXPECT_EQ(Bytes.find(Content), std::string::npos) << Name << ": " << Content;
                }
            }
            if (Births.count(Id) && Content.size() == 8) {
                // The year stays, day and month are 01 (or 00 where unknown), in the same order.
                const bool YearFirst =
                    Orig.Format().Family == TXdtFamily::Ldt3 || Orig.Format().Family == TXdtFamily::Kvdt;
                const std::string Y = YearFirst ? Content.substr(0, 4) : Content.substr(4, 4);
                ASSERT_EQ(New.size(), 8u) << Name;
                EXPECT_EQ(YearFirst ? New.substr(0, 4) : New.substr(4, 4), Y) << Name << ": " << New;
                const std::string DayMonth = YearFirst ? New.substr(4, 4) : New.substr(0, 4);
                EXPECT_TRUE(DayMonth == "0101" || DayMonth.find("00") != std::string::npos)
                    << Name << ": " << New;
                const std::string OrigDayMonth = YearFirst ? Content.substr(4, 4) : Content.substr(0, 4);
                if (OrigDayMonth != DayMonth) {
                    for (const TRawLine& Line : L) EXPECT_NE(Line.Content, Content) << Name << " birth date";
                }
            }
        }
    }
    EXPECT_GE(Copies, 15);
    EXPECT_EQ(Refused, 3); // the three samples with a blank line amid the file
}

TEST(AnonymizedCopy, TheSameValueGetsTheSamePlaceholder) {
    auto Patient = [](const std::string& Name, const std::string& First, const std::string& Birth,
                      const std::string& Id) {
        return XdtLine(8000, "8202") + XdtLine(8100, "00000") + XdtLine(3101, Name) + XdtLine(3102, First) +
               XdtLine(3103, Birth) + XdtLine(3119, Id) + XdtLine(8410, "TSH");
    };
    // Two records of one patient, one of another who shares the first name only. Original names
    // that look like placeholders must not come back for someone else.
    const std::string F = XdtLine(8000, "8220") + XdtLine(8100, "00000") + XdtLine(9212, "LDT1014.01") +
                          Patient("Albers", "Kim", "17031950", "A123456780") +
                          Patient("Bauer", "Kim", "01011980", "B987654321") +
                          Patient("Albers", "Kim", "17031950", "A123456780") + XdtLine(8000, "8221") +
                          XdtLine(8100, "00000") + XdtLine(9202, "00000000");
    TAnonymizeOutcome R;
    const auto M = ById(CheckedLines(Copy(F, &R), "copy"));
    const auto& Names = M.at("3101");
    ASSERT_EQ(Names.size(), 3u);
    EXPECT_EQ(Names[0], Names[2]);
    EXPECT_NE(Names[0], Names[1]);
    for (const std::string& N : Names) EXPECT_TRUE(N != "Albers" && N != "Bauer") << N;
    const auto& First = M.at("3102");
    EXPECT_TRUE(First[0] == First[1] && First[1] == First[2] && First[0] != "Kim") << First[0];
    EXPECT_EQ(M.at("3103"), (std::vector<std::string>{"01011950", "01011980", "01011950"}));
    const auto& Ids = M.at("3119");
    EXPECT_EQ(Ids[0], Ids[2]);
    EXPECT_NE(Ids[0], Ids[1]);
    // A Versicherten-ID stays one: letter, nine digits, valid check digit.
    for (const std::string& Id : Ids) {
        ASSERT_EQ(Id.size(), 10u);
        const int Letter = Id[0] - 'A' + 1;
        const std::string Digits =
            std::to_string(Letter / 10) + std::to_string(Letter % 10) + Id.substr(1, 8);
        int Sum = 0;
        for (size_t I = 0; I < Digits.size(); ++I) {
            const int P = (Digits[I] - '0') * (I % 2 ? 2 : 1);
            Sum += P / 10 + P % 10;
        }
        EXPECT_EQ(Id[9] - '0', Sum % 10) << Id;
        EXPECT_TRUE(Id[0] >= 'A' && Id[0] <= 'Z') << Id;
    }
    EXPECT_EQ(R.Replaced, 12);
    EXPECT_EQ(R.Values, 5); // two names, one first name, two IDs; dates need no memory
}

TEST(AnonymizedCopy, PlaceholdersKeepTheirForm) {
    // BDT 02/94: day-first dates, a place with its postcode, phone, street with house number.
    const std::string F = XdtLine(8000, "0020") + XdtLine(8000, "6100") + XdtLine(8100, "00000") +
                          XdtLine(9213, "02/94") + XdtLine(3103, "00001960") + XdtLine(3106, "28779 Bremen") +
                          XdtLine(3107, "Schwaneweder Str. 3b") + XdtLine(3626, "+49 421/123456") +
                          XdtLine(3000, "000013/00") + XdtLine(3110, "2") + XdtLine(3104, "Dr.") +
                          XdtLine(3112, "28779");
    const auto M = ById(CheckedLines(Copy(F), "bdt"));
    EXPECT_EQ(M.at("3103")[0], "00001960");
    EXPECT_TRUE(M.at("3106")[0].starts_with("28000 ")) << M.at("3106")[0];
    EXPECT_EQ(M.at("3112")[0], "28000");
    const std::string Street = M.at("3107")[0];
    EXPECT_TRUE(Street.find_first_of("0123456789") != std::string::npos &&
                Street.find("Schwaneweder") == std::string::npos)
        << Street;
    const std::string Phone = M.at("3626")[0];
    ASSERT_EQ(Phone.size(), 14u);
    EXPECT_TRUE(Phone.starts_with("+49 ") && Phone[7] == '/' && Phone != "+49 421/123456") << Phone;
    const std::string Id = M.at("3000")[0];
    EXPECT_TRUE(Id.size() == 9 && Id.starts_with("0000") && Id.ends_with("/00") && Id != "000013/00") << Id;
    // Sex and title stay.
    EXPECT_EQ(M.at("3110")[0], "2");
    EXPECT_EQ(M.at("3104")[0], "Dr.");

    // LDT 3 and KVDT write the year first; a partial date stays partial.
    const std::string Ldt3 = XdtLine(8000, "8220") + XdtLine(8132, "Kopfdaten") + XdtLine(8002, "Obj_0032") +
                             XdtLine(1, "LDT3.2.4") + XdtLine(8003, "Obj_0032") + XdtLine(3103, "19600512") +
                             XdtLine(3103, "19600500") + XdtLine(8001, "8220");
    EXPECT_EQ(ById(CheckedLines(Copy(Ldt3), "ldt3")).at("3103"),
              (std::vector<std::string>{"19600101", "19600100"}));
}

TEST(AnonymizedCopy, EmbeddedDocumentsBecomeThePlaceholderPdf) {
    std::string Data;
    for (int I = 0; I < 40; ++I)
        Data += "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8U";
    std::string Lines;
    for (size_t P = 0; P < Data.size(); P += 60) Lines += XdtLine(6329, Data.substr(P, 60));
    const std::string F = XdtLine(8000, "8220") + XdtLine(8132, "Kopfdaten") + XdtLine(8002, "Obj_0032") +
                          XdtLine(1, "LDT3.2.4") + XdtLine(8003, "Obj_0032") + XdtLine(8001, "8220") +
                          XdtLine(8000, "8205") + XdtLine(8110, "Anhang") + XdtLine(8002, "Obj_0010") +
                          XdtLine(9970, "100") + XdtLine(8242, "base64-kodierte_Anlage") +
                          XdtLine(8002, "Obj_0068") + Lines + XdtLine(8003, "Obj_0068") +
                          XdtLine(6303, "JPEG") + XdtLine(6327, "Befund Meier") + XdtLine(8003, "Obj_0010") +
                          XdtLine(8001, "8205") + XdtLine(8000, "8221") +
                          XdtLine(9300, std::string(40, '0')) + XdtLine(8001, "8221");
    TAnonymizeOutcome R;
    const std::string Out = Copy(F, &R);
    EXPECT_EQ(R.Attachments, 1);
    const std::vector<TRawLine> L = CheckedLines(Out, "copy");
    CheckLengths(Out, L, "copy");
    const auto M = ById(L);
    EXPECT_EQ(M.at("6303"), std::vector<std::string>{"PDF"});
    EXPECT_EQ(M.at("6327"), std::vector<std::string>{"anonymisiert"});
    for (const std::string& B : M.at("6329")) EXPECT_LE(B.size(), 60u);

    // Decoded by the viewer's own reader: a PDF whose cross-reference table points at its objects.
    TempDir D;
    TFileXDTPtrList Back;
    ASSERT_EQ(LoadXDTFile(Back, D.Write("copy.ldt", Out)).End, leComplete);
    TXdtStructure S;
    ASSERT_TRUE(S.Build(Back));
    ASSERT_EQ(S.Attachments().size(), 1u);
    std::string Pdf, Error;
    ASSERT_TRUE(DecodeAttachment(
        Back, S.Attachments()[0], [&](std::string_view P) { Pdf += P; }, Error))
        << Error;
    EXPECT_EQ(Pdf, PlaceholderPdf());
    EXPECT_TRUE(Pdf.starts_with("%PDF-1.") && Pdf.ends_with("%%EOF\n"));
    EXPECT_NE(Pdf.find("(Anhang entfernt) Tj"), std::string::npos);
    const size_t Xref = std::stoul(Pdf.substr(Pdf.rfind("startxref\n") + 10));
    ASSERT_EQ(Pdf.compare(Xref, 4, "xref"), 0);
    std::istringstream Table(Pdf.substr(Xref));
    std::string Word;
    int First = 0, Count = 0;
    Table >> Word >> First >> Count;
    ASSERT_EQ(Count, 6);
    for (int I = 0; I < Count; ++I) {
        std::string Offset, Gen, Kind;
        Table >> Offset >> Gen >> Kind;
        const std::string Obj = std::to_string(I) + " 0 obj\n";
        if (I > 0) {
            EXPECT_EQ(Pdf.compare(std::stoul(Offset), Obj.size(), Obj), 0) << I;
        }
    }
}

TEST(AnonymizedCopy, LengthsGrowWhenTheCopyNeedsMoreDigits) {
    // A stated length of three digits for a record that becomes longer than 999 bytes; GDT 3.0 line
    // counts of an object that loses the lines of its document.
    std::string Long;
    for (int I = 0; I < 20; ++I) Long += XdtLine(6220, std::string(60, 'x'));
    const std::string F = XdtLine(8000, "6310") + XdtLine(8100, "999") + XdtLine(9218, "03.01") +
                          XdtLine(3101, "M") + Long + XdtLine(8200, "Obj_Anhang") + XdtLine(6329, "JVBE") +
                          XdtLine(6329, "RGF0") + XdtLine(6329, "YQ==") + XdtLine(8201, "5") +
                          XdtLine(8202, "30");
    const std::string Out = Copy(F);
    const std::vector<TRawLine> L = CheckedLines(Out, "copy");
    CheckLengths(Out, L, "copy");
    const auto M = ById(L);
    EXPECT_EQ(M.at("8100")[0].size(), 4u);
    const int64_t PdfLines = int64_t(M.at("6329").size());
    EXPECT_EQ(M.at("8201")[0], std::to_string(2 + PdfLines));
    EXPECT_EQ(M.at("8202")[0], std::to_string(27 + PdfLines));
}

TEST(AnonymizedCopy, NeverOverTheOriginalNorAnyOtherFile) {
    TempDir D;
    const std::string Orig = ReadAll(Sample("levinalex-xdt__e1.ldt"));
    const std::string In = D.Write("in.ldt", Orig);
    fs::create_symlink(In, D.File("link.ldt"));
    fs::create_hard_link(In, D.File("hard.ldt"));
    fs::create_directories(D.File("sub"));
    for (const std::string& Target :
         {In, D.File("link.ldt"), D.File("hard.ldt"), D.File("sub/../in.ldt"), D.File("./in.ldt")}) {
        const TAnonymizeOutcome R = Anonymize(In, Target);
        EXPECT_EQ(R.End, TAnonymizeEnd::SameFile) << Target;
    }
    const std::string Other = D.Write("other.ldt", "keep me");
    EXPECT_EQ(Anonymize(In, Other).End, TAnonymizeEnd::Exists);
    fs::create_symlink(D.File("nowhere"), D.File("dangling.ldt"));
    EXPECT_EQ(Anonymize(In, D.File("dangling.ldt")).End, TAnonymizeEnd::Exists);
    EXPECT_EQ(Anonymize(In, D.File("missing/out.ldt")).End, TAnonymizeEnd::CannotCreate);
    EXPECT_EQ(ReadAll(In), Orig);
    EXPECT_EQ(ReadAll(Other), "keep me");

    // Written: with the permissions of a new file, and no temporary file left anywhere.
    ASSERT_TRUE(Anonymize(In, D.File("sub/out.ldt")).Ok());
    struct stat St;
    ASSERT_EQ(::stat(D.File("sub/out.ldt").c_str(), &St), 0);
    const mode_t Mask = ::umask(0);
    ::umask(Mask);
    EXPECT_EQ(St.st_mode & 0777, 0666 & ~Mask);
    std::set<std::string> Files;
    for (const auto& E : fs::recursive_directory_iterator(D.Path()))
        Files.insert(E.path().filename().string());
    EXPECT_EQ(Files, (std::set<std::string>{"in.ldt", "link.ldt", "hard.ldt", "sub", "other.ldt",
                                            "dangling.ldt", "out.ldt"}));

    // Cancelled, or a document read in part: no file.
    TFileXDTPtrList L;
    const TLoadOutcome Loaded = LoadXDTFile(L, In);
    TEvent Cancel(true);
    EXPECT_EQ(AnonymizeToFile(L, Loaded, D.File("c.ldt"), {&Cancel}).End, TAnonymizeEnd::Cancelled);
    EXPECT_EQ(AnonymizeToFile(L, TLoadOutcome{leInvalidLine, 4, 50}, D.File("c.ldt")).End,
              TAnonymizeEnd::Incomplete);
    EXPECT_FALSE(fs::exists(D.File("c.ldt")));
}

TEST(AnonymizedCopy, OverlongLinesAreCopiedWholeAndCounted) {
    const std::string Big(1500, 'a');
    TAnonymizeOutcome R;
    const std::string Out = Copy(XdtLine(6220, Big) + XdtLine(3101, "Meier"), &R);
    EXPECT_EQ(R.Overlong, 1);
    EXPECT_EQ(Out.substr(0, 7 + Big.size() + 2), "9996220" + Big + "\r\n");
}
