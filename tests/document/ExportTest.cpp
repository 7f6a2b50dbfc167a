// CSV for spreadsheets, read back as Excel reads it: the line table and the results table.
#include "TestUtil.h"
#include "document/XDTExport.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Event.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

using TTable = std::vector<std::vector<std::string>>;

// RFC 4180 with ";" between cells and CR LF after every row, behind a UTF-8 byte-order mark; fails
// the test on anything else (a bare CR or LF outside quotes, a quote inside an unquoted cell).
TTable ParseCsv(const std::string& Bytes) {
    TTable T;
    EXPECT_EQ(Bytes.substr(0, 3), "\xEF\xBB\xBF");
    size_t P = 3;
    std::vector<std::string> Row;
    std::string Cell;
    while (P < Bytes.size()) {
        if (Bytes[P] == '"') {
            EXPECT_TRUE(Cell.empty()) << "quote inside a cell at " << P;
            for (++P;; ++P) {
                if (P >= Bytes.size()) {
                    ADD_FAILURE() << "open quote";
                    return T;
                }
                if (Bytes[P] == '"') {
                    if (P + 1 < Bytes.size() && Bytes[P + 1] == '"') {
                        Cell += '"';
                        ++P;
                        continue;
                    }
                    ++P;
                    break;
                }
                Cell += Bytes[P];
            }
        }
        if (P >= Bytes.size()) break;
        const char C = Bytes[P];
        if (C == ';') {
            Row.push_back(std::move(Cell));
            Cell.clear();
            ++P;
        } else if (C == '\r') {
            EXPECT_EQ(Bytes[P + 1], '\n') << "bare CR at " << P;
            Row.push_back(std::move(Cell));
            Cell.clear();
            T.push_back(std::move(Row));
            Row.clear();
            P += 2;
        } else {
            EXPECT_NE(C, '\n') << "bare LF at " << P;
            EXPECT_NE(C, '"') << "quote inside a cell at " << P;
            Cell += C;
            ++P;
        }
    }
    EXPECT_TRUE(Row.empty() && Cell.empty()) << "last row without CR LF";
    return T;
}

struct TCollected {
    std::string Bytes;
    std::vector<size_t> Pieces;
    TExportSink Sink() {
        return [this](std::string_view P) {
            Bytes += P;
            Pieces.push_back(P.size());
            return true;
        };
    }
};

// The results table of a file, one map from header to cell per row.
std::vector<std::map<std::string, std::string>> Befunde(const std::string& Path) {
    TFileXDTPtrList L;
    LoadXDTFile(L, Path);
    TCollected C;
    const TExportOutcome R =
        ExportBefundtabelle(L, TCsvOptions{TRowOptions{L.FileCodierung(), false, false, false}}, C.Sink());
    EXPECT_TRUE(R.Ok()) << R.Message;
    const TTable T = ParseCsv(C.Bytes);
    std::vector<std::map<std::string, std::string>> Rows;
    for (size_t I = 1; I < T.size(); ++I) {
        EXPECT_EQ(T[I].size(), T[0].size());
        std::map<std::string, std::string> M;
        for (size_t C = 0; C < T[I].size() && C < T[0].size(); ++C) M[T[0][C]] = T[I][C];
        Rows.push_back(M);
    }
    EXPECT_EQ(R.Rows, int64_t(Rows.size()));
    return Rows;
}

std::string Sample(const char* Name) {
    return std::string(OSTREL_TEST_DATA) + "/samples/" + Name;
}

// The given columns of every row, joined by "|".
std::vector<std::string> Columns(const std::vector<std::map<std::string, std::string>>& Rows,
                                 const std::vector<std::string>& Names) {
    std::vector<std::string> R;
    for (const auto& Row : Rows) {
        std::string S;
        for (const std::string& N : Names) S += (S.empty() ? "" : "|") + Row.at(N);
        R.push_back(S);
    }
    return R;
}

} // namespace

TEST(CsvExport, ExcelReadsTheCellsBack) {
    const std::vector<std::string> Contents = {
        "8220",
        "a;b",
        "sag \"ja\"",
        "eins\ndrei",
        "=SUM(A1)",
        "+49 421",
        "-5",
        "@x",
        "\tx",
        "\rx",
        "M\xFC"
        "ller",
        std::string("a\0b", 3),
        "",
    };
    TXDTPtrList L;
    L.Add(8000, Contents[0].data(), int32_t(Contents[0].size()));
    for (size_t I = 1; I < Contents.size(); ++I) L.Add(3101, Contents[I].data(), int32_t(Contents[I].size()));
    TCollected C;
    const TExportOutcome R =
        ExportCsv(L, TExportRows::All(), TCsvOptions{TRowOptions{0, true, true, true}}, C.Sink());
    ASSERT_TRUE(R.Ok()) << R.Message;
    EXPECT_EQ(R.Rows, int64_t(Contents.size()));
    const TTable T = ParseCsv(C.Bytes);
    ASSERT_EQ(T.size(), Contents.size() + 1);
    EXPECT_EQ(T[0], (std::vector<std::string>{"Zeile", "Feldkennung", "Inhalt", "Kommentar", "Feldname"}));
    EXPECT_EQ(T[1], (std::vector<std::string>{"1", "8000", "8220", "L-Datenpaket-Header", "Satzart"}));
    const std::vector<std::string> Expected = {
        "a;b", "sag \"ja\"", "eins\ndrei", "'=SUM(A1)",   "'+49 421", "'-5",
        "'@x", "'\tx",       "'\rx",       "M\u00fcller", "a\uFFFDb", "",
    };
    for (size_t I = 0; I < Expected.size(); ++I) {
        ASSERT_EQ(T[I + 2].size(), 5u);
        EXPECT_EQ(T[I + 2][0], std::to_string(I + 2));
        EXPECT_EQ(T[I + 2][1], "3101");
        EXPECT_EQ(T[I + 2][2], Expected[I]) << I;
        EXPECT_EQ(T[I + 2][4], "Name");
    }
    // Only cells that need it are quoted.
    EXPECT_NE(C.Bytes.find("\r\n2;3101;\"a;b\";;Name\r\n"), std::string::npos);
    EXPECT_NE(C.Bytes.find("\r\n5;3101;'=SUM(A1);;Name\r\n"), std::string::npos);

    // Switched off, comment and name stay empty cells.
    TCollected Bare;
    ExportCsv(L, TExportRows::Range(0, 0), TCsvOptions{TRowOptions{0, false, false, true}}, Bare.Sink());
    EXPECT_EQ(ParseCsv(Bare.Bytes).at(1), (std::vector<std::string>{"1", "8000", "8220", "", ""}));
}

TEST(CsvExport, CharacterSetAndModernTexts) {
    // 7-bit code: "}" is u-umlaut. The extended program names the LDT 3 object of an 8002 line.
    const std::string Inhalt = "M}ller", Obj = "Obj_0010";
    TXDTPtrList L;
    L.Add(3101, Inhalt.data(), int32_t(Inhalt.size()));
    L.Add(8002, Obj.data(), int32_t(Obj.size()));
    TCollected Classic, Modern;
    ExportCsv(L, TExportRows::All(), TCsvOptions{TRowOptions{cd7Bit, true, true, true}}, Classic.Sink());
    ExportCsv(L, TExportRows::All(), TCsvOptions{TRowOptions{cd7Bit, true, true, false}}, Modern.Sink());
    const TTable C = ParseCsv(Classic.Bytes), M = ParseCsv(Modern.Bytes);
    EXPECT_EQ(C.at(1).at(2), "M\u00fcller");
    EXPECT_EQ(C.at(2).at(3), "");
    EXPECT_EQ(M.at(2).at(3), "Anhang");
}

TEST(CsvExport, RowsAsRangeOrList) {
    std::vector<std::string> Contents;
    for (int I = 0; I < 8; ++I) Contents.push_back("Wert" + std::to_string(I));
    TXDTPtrList L;
    for (const std::string& S : Contents) L.Add(8420, S.data(), int32_t(S.size()));
    auto Lines = [&](const TExportRows& Rows) {
        TCollected C;
        const TExportOutcome R = ExportCsv(L, Rows, TCsvOptions{}, C.Sink());
        std::vector<std::string> Out;
        if (!R.Ok()) return std::vector<std::string>{"error: " + R.Message + " output: " + C.Bytes};
        const TTable T = ParseCsv(C.Bytes);
        for (size_t I = 1; I < T.size(); ++I) Out.push_back(T[I][0] + "=" + T[I][2]);
        return Out;
    };
    EXPECT_EQ(Lines(TExportRows::Range(2, 4)), (std::vector<std::string>{"3=Wert2", "4=Wert3", "5=Wert4"}));
    const std::vector<int> Filtered = {5, 0, 2};
    EXPECT_EQ(Lines(TExportRows::Entries(Filtered)),
              (std::vector<std::string>{"6=Wert5", "1=Wert0", "3=Wert2"}));
    // Nothing left by a filter, or an empty range: the header only.
    EXPECT_TRUE(Lines(TExportRows::Entries({})).empty());
    EXPECT_TRUE(Lines(TExportRows::Range(3, 2)).empty());
    EXPECT_EQ(Lines(TExportRows::All()).size(), 8u);
    // A row outside the document: an error, and not a byte written.
    EXPECT_EQ(Lines(TExportRows::Entries(std::vector<int>{0, 8})),
              (std::vector<std::string>{"error: Zeile 9 gibt es nicht output: "}));
    EXPECT_EQ(Lines(TExportRows::Range(-1, 2)),
              (std::vector<std::string>{"error: Zeile 0 gibt es nicht output: "}));
}

TEST(CsvExport, StreamsInPiecesAndStopsWhenAskedOrRefused) {
    const std::string Content = "Ergebnis; mit \"Zeichen\"";
    TXDTPtrList L;
    const int N = 100000;
    for (int I = 0; I < N; ++I) L.Add(8480, Content.data(), int32_t(Content.size()));
    TCollected C;
    ASSERT_TRUE(ExportCsv(L, TExportRows::All(), TCsvOptions{}, C.Sink()).Ok());
    EXPECT_GT(C.Pieces.size(), 10u);
    for (const size_t P : C.Pieces) EXPECT_LE(P, size_t(80000));
    EXPECT_EQ(ParseCsv(C.Bytes).size(), size_t(N + 1));

    // Cancelled after the first piece: an incomplete table, said so.
    TEvent Cancel;
    std::string Part;
    const TExportOutcome Stopped =
        ExportCsv(L, TExportRows::All(), TCsvOptions{TRowOptions{}, &Cancel}, [&](std::string_view P) {
            Part += P;
            Cancel.Set();
            return true;
        });
    EXPECT_EQ(Stopped.End, TExportEnd::Cancelled);
    EXPECT_LT(Stopped.Rows, N);
    EXPECT_EQ(std::count(Part.begin(), Part.end(), '\n') - 1, Stopped.Rows);

    // A sink that fails is not called again.
    int Calls = 0;
    const TExportOutcome Failed = ExportCsv(L, TExportRows::All(), TCsvOptions{}, [&](std::string_view) {
        ++Calls;
        return false;
    });
    EXPECT_EQ(Failed.End, TExportEnd::WriteFailed);
    EXPECT_EQ(Calls, 1);
}

TEST(Befundtabelle, Ldt2Samples) {
    // e1: the patient's name stands in the header record, not in the report's record.
    const auto E1 = Befunde(Sample("levinalex-xdt__e1.ldt"));
    EXPECT_EQ(Columns(E1, {"Zeile", "Patientennummer", "Name", "Anforderungs-Ident", "Test-Ident",
                           "Ergebniswert", "Einheit"}),
              (std::vector<std::string>{"15|98||16305|TSH|1.46|mE/l", "20|98||16305|FT3|4.50|pmol/l",
                                        "25|98||16305|FT4|17.99|pmol/l", "30|98||16305|a-TPO|<1|U/ml"}));
    const auto E3 = Befunde(Sample("levinalex-xdt__e3.ldt"));
    EXPECT_EQ(Columns(E3, {"Patientennummer", "Anforderungs-Ident", "Test-Ident", "Ergebniswert", "Einheit",
                           "Normalwert-Text"}),
              (std::vector<std::string>{"98|12345|TSH|0,161|mIU/L|", "98|12345|FT3|4,81|pmol/L|",
                                        "98|12345|FT4|17,4|pmol/L|", "99|67890|TSH|1,19|mIU/L|",
                                        "99|67890|FT3|4,85|pmol/L|", "99|67890|FT4|17,2|pmol/L|",
                                        "99|67890|TAK|<20,0|IU/mL|"}));
    const auto Lg = Befunde(Sample("levinalex-xdt__ldt_lg_report_example.ldt"));
    EXPECT_EQ(Columns(Lg, {"Geburtsdatum", "Anforderungs-Ident", "Test-Ident", "Testbezeichnung",
                           "Ergebniswert", "Einheit", "Ergebnistext"}),
              (std::vector<std::string>{"10111982|12345|TPO|ANTITPO|12.4|U/l|Ergebnistext"}));
}

TEST(Befundtabelle, Ldt3Samples) {
    const auto H = Befunde(Sample("healthmetrix-libldt3__3.2.4-with-bak.ldt"));
    // The doctors' person objects come first in the record; the patient's is the one in Obj_0045.
    EXPECT_EQ(Columns(H, {"Zeile", "Patientennummer", "Name", "Vorname", "Geburtsdatum", "Anforderungs-Ident",
                          "Auftragsnummer des Labors", "Abnahmedatum"}),
              (std::vector<std::string>{
                  "257|PMUFR2312345|Musterpatientin|Karla|19600512|47112345678|47112345678|20180710",
                  "306|PMUFR2312345|Musterpatientin|Karla|19600512|47112345678|47112345678|20180710",
                  "474|PMUFR2312345|Musterpatientin|Karla|19600512|47112345678|47112345678|20180710"}));
    // The result's own unit, not its normal range's; the limit indicator of the normal range object;
    // the text of the Ergebnistext object, not the remark of the message object.
    EXPECT_EQ(Columns(H, {"Test-Ident", "Testbezeichnung", "Ergebniswert", "Einheit", "Grenzwert-Indikator",
                          "Normalwert-Text", "Ergebnistext"}),
              (std::vector<std::string>{"HBs-Ag|Hepatitis B Antigen|47.12|Einheit|N|TextTextText|Negativ",
                                        "Qu|Quick|2.5|Einheit|'-|TextTextText|",
                                        "Chlam|Chlamydien|||||Chlamydien: positiv"}));
    const auto Auftrag = Befunde(Sample("labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt"));
    EXPECT_EQ(Columns(Auftrag, {"Zeile", "Patientennummer", "Name", "Vorname", "Abnahmedatum", "Test-Ident"}),
              (std::vector<std::string>{"154|KAMUPA47112015|Musterpatient|Karl|20180711|Qu"}));
    EXPECT_TRUE(
        Befunde(Sample("labres-ldtparser__Z01_UseCase14_Befund_Obj_0073_mit_PDF.crlf-restored.ldt")).empty());
}

TEST(Befundtabelle, Ldt3MaterialsAndTextObjects) {
    auto Obj = [](const std::string& Id, const std::string& Body) {
        return XdtLine(8002, Id) + Body + XdtLine(8003, Id);
    };
    auto Material = [&](const std::string& Sample, const std::string& Date) {
        return XdtLine(8137, "Material") +
               Obj("Obj_0037", XdtLine(7364, Sample) + XdtLine(8219, "Timestamp_Materialabnahme_entnahme") +
                                   Obj("Obj_0054", XdtLine(7278, Date)));
    };
    auto Test = [&](const std::string& Sample, const std::string& Ident, const std::string& Texts) {
        return XdtLine(8160, "UE_Klinische_Chemie") +
               Obj("Obj_0060", XdtLine(7364, Sample) + XdtLine(8410, Ident) + XdtLine(8420, "1") +
                                   XdtLine(8167, "Zusaetzliche_Informationen") +
                                   Obj("Obj_0068", XdtLine(3564, "kein Ergebnistext")) + Texts);
    };
    const std::string File =
        XdtLine(8000, "8220") + XdtLine(8132, "Kopfdaten") + Obj("Obj_0032", XdtLine(1, "LDT3.2.4")) +
        XdtLine(8001, "8220") + XdtLine(8000, "8205") + Obj("Obj_0014", XdtLine(3101, "Arzt")) +
        XdtLine(8145, "Patient") + Obj("Obj_0045", Obj("Obj_0047", XdtLine(3101, "Patientin"))) +
        Material("S1", "20240101") + Material("S2", "20240202") +
        Test("S2", "NA",
             XdtLine(8237, "Ergebnistext") +
                 Obj("Obj_0068", XdtLine(3564, "Zeile 1") + XdtLine(3564, "") + XdtLine(3564, "Zeile 3"))) +
        Test("S1", "K", XdtLine(8236, "Testbezogene_Hinweise") + Obj("Obj_0068", XdtLine(3564, "Hinweis"))) +
        Test("S9", "CL", "") + XdtLine(8001, "8205");
    TempDir D;
    const auto Rows = Befunde(D.Write("z.ldt", File));
    EXPECT_EQ(Columns(Rows, {"Name", "Test-Ident", "Abnahmedatum", "Testbezogene Hinweise", "Ergebnistext"}),
              (std::vector<std::string>{"Patientin|NA|20240202||Zeile 1\n\nZeile 3",
                                        "Patientin|K|20240101|Hinweis|",
                                        // an unknown sample: the record's first collection
                                        "Patientin|CL|20240101||"}));
}

TEST(Befundtabelle, OnlyOutsideTheClassicProgram) {
    TFileXDTPtrList L;
    LoadXDTFile(L, Sample("levinalex-xdt__e1.ldt"));
    TCollected C;
    const TExportOutcome R = ExportBefundtabelle(L, TCsvOptions{TRowOptions{0, true, true, true}}, C.Sink());
    EXPECT_EQ(R.End, TExportEnd::NotAvailable);
    EXPECT_EQ(C.Bytes, "");
}
