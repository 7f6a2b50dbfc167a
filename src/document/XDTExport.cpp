#include "XDTExport.h"

#include "XDTPtrList.h"
#include "XDTStructure.h"
#include "support/Ansi.h"
#include "support/Event.h"

#include <QFile>
#include <QRandomGenerator>

#include <array>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <unordered_map>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

constexpr size_t kFlushAt = 1 << 16;
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// UTF-8 of every Windows-1252 byte; NUL (a byte the character set does not allow) becomes U+FFFD.
struct TUtf8Table {
    char B[256][3];
    uint8_t N[256];
    TUtf8Table() {
        for (int C = 0; C < 256; ++C) {
            const char32_t U = C == 0 ? 0xFFFD : AnsiCharToUnicode(static_cast<unsigned char>(C));
            if (U < 0x80) {
                B[C][0] = char(U);
                N[C] = 1;
            } else if (U < 0x800) {
                B[C][0] = char(0xC0 | (U >> 6));
                B[C][1] = char(0x80 | (U & 0x3F));
                N[C] = 2;
            } else {
                B[C][0] = char(0xE0 | (U >> 12));
                B[C][1] = char(0x80 | ((U >> 6) & 0x3F));
                B[C][2] = char(0x80 | (U & 0x3F));
                N[C] = 3;
            }
        }
    }
};
const TUtf8Table& Utf8Table() {
    static const TUtf8Table T;
    return T;
}

// Collects a table's bytes and hands them to the sink in pieces of about 64 KB.
class TCsvWriter {
public:
    explicit TCsvWriter(const TExportSink& Sink) : FSink(Sink) { FBuf.reserve(kFlushAt + 4096); }

    void Raw(std::string_view S) {
        FBuf.append(S);
        if (FBuf.size() >= kFlushAt) Flush();
    }
    // A cell of Windows-1252 text, after the separator unless it is the row's first.
    void Cell(std::string_view S) {
        if (FCells++ > 0) FBuf += ';';
        // Excel runs a cell that starts like a formula; the apostrophe makes it text.
        const bool Formula = !S.empty() && std::strchr("=+-@\t\r", S[0]) != nullptr && S[0] != 0;
        const bool Quote = S.find_first_of(";\"\r\n") != std::string_view::npos;
        if (Quote) FBuf += '"';
        if (Formula) FBuf += '\'';
        const TUtf8Table& T = Utf8Table();
        // In slices, so that a long content never sits whole in the buffer.
        while (!S.empty()) {
            const size_t N = std::min<size_t>(S.size(), 4096);
            for (size_t I = 0; I < N;) {
                // Plain ASCII, by far the most, is copied in runs.
                size_t J = I;
                while (J < N && S[J] >= 0x20 && S[J] < 0x7F && S[J] != '"') ++J;
                FBuf.append(S.data() + I, J - I);
                if (J == N) break;
                const unsigned char C = static_cast<unsigned char>(S[J]);
                if (C == '"') FBuf += '"';
                FBuf.append(T.B[C], T.N[C]);
                I = J + 1;
            }
            S.remove_prefix(N);
            if (FBuf.size() >= kFlushAt) Flush();
        }
        if (Quote) FBuf += '"';
    }
    void Cell(int64_t V) {
        char B[24];
        const auto R = std::to_chars(B, B + sizeof B, V);
        Cell(std::string_view(B, size_t(R.ptr - B)));
    }
    void EndRow() {
        FBuf += "\r\n";
        FCells = 0;
        if (FBuf.size() >= kFlushAt) Flush();
    }
    bool Flush() {
        if (!FFailed && !FBuf.empty() && !FSink(FBuf)) FFailed = true;
        FBuf.clear();
        return !FFailed;
    }
    bool Failed() const { return FFailed; }

private:
    const TExportSink& FSink;
    std::string FBuf;
    int FCells = 0;
    bool FFailed = false;
};

bool Cancelled(TEvent* Cancel) {
    return Cancel && Cancel->WaitFor(0);
}

TExportOutcome Finish(TCsvWriter& W, int64_t Rows, bool WasCancelled) {
    TExportOutcome R;
    R.Rows = Rows;
    if (!W.Flush()) {
        R.End = TExportEnd::WriteFailed;
        R.Message = "Die Tabelle konnte nicht geschrieben werden";
    } else if (WasCancelled) {
        R.End = TExportEnd::Cancelled;
        R.Message = "Abgebrochen";
    }
    return R;
}

} // namespace

// ---------------------------------------------------------------- rows

TExportRows TExportRows::Range(int First, int Last) {
    TExportRows R;
    R.FKind = TKind::Range;
    R.FFirst = First;
    R.FLast = Last;
    return R;
}

TExportRows TExportRows::Entries(std::span<const int> Entries) {
    TExportRows R;
    R.FKind = TKind::Entries;
    R.FEntries = Entries;
    return R;
}

int64_t TExportRows::Size(int Count) const {
    switch (FKind) {
    case TKind::All:
        return Count;
    case TKind::Range:
        return FLast < FFirst ? 0 : int64_t(FLast) - FFirst + 1;
    case TKind::Entries:
        break;
    }
    return int64_t(FEntries.size());
}

std::string TExportRows::Check(int Count) const {
    auto Bad = [](int64_t E) { return "Zeile " + std::to_string(E + 1) + " gibt es nicht"; };
    if (FKind == TKind::Range && FLast >= FFirst) {
        if (FFirst < 0) return Bad(FFirst);
        if (FLast >= Count) return Bad(FLast);
    } else if (FKind == TKind::Entries) {
        for (const int E : FEntries)
            if (E < 0 || E >= Count) return Bad(E);
    }
    return {};
}

// ---------------------------------------------------------------- line table

TExportOutcome ExportCsv(const TXDTPtrList& List, const TExportRows& Rows, const TCsvOptions& Options,
                         const TExportSink& Out) {
    if (std::string Bad = Rows.Check(List.Count()); !Bad.empty())
        return TExportOutcome{TExportEnd::BadRows, 0, std::move(Bad)};
    TCsvWriter W(Out);
    W.Raw(kBom);
    W.Raw(CsvHeader);
    W.Raw("\r\n");
    TRowTexts Row;
    const int64_t N = Rows.Size(List.Count());
    int64_t Done = 0;
    bool Stopped = false;
    for (; Done < N && !W.Failed(); ++Done) {
        if (Cancelled(Options.Cancel)) {
            Stopped = true;
            break;
        }
        const int Entry = Rows.EntryOf(Done);
        MakeRowTexts(List, Entry, Options.Row, Row);
        W.Cell(int64_t(Entry) + 1);
        W.Cell(Row.Kennung);
        W.Cell(Row.Inhalt);
        W.Cell(Options.Row.Comment ? std::string_view(Row.Comment) : std::string_view());
        W.Cell(Options.Row.Name ? Row.Name : std::string_view());
        W.EndRow();
    }
    return Finish(W, Done, Stopped);
}

// ---------------------------------------------------------------- results table

namespace {

constexpr TBefundColumn kBefundColumns[] = {
    {"Zeile", 8410, 8410, 0, TBefundSource::TestLine},
    {"Patientennummer", 3000, 3000, 0, TBefundSource::Patient},
    {"Name", 3101, 3101, 0, TBefundSource::Patient},
    {"Vorname", 3102, 3102, 0, TBefundSource::Patient},
    {"Geburtsdatum", 3103, 3103, 0, TBefundSource::Patient},
    {"Anforderungs-Ident", 8310, 8310, 0, TBefundSource::Record},
    {"Auftragsnummer des Labors", 8311, 8311, 0, TBefundSource::Record},
    {"Abnahmedatum", 8432, 7278, 0, TBefundSource::Collection},
    {"Test-Ident", 8410, 8410, 0, TBefundSource::Test},
    {"Testbezeichnung", 8411, 8411, 0, TBefundSource::Test},
    {"Ergebniswert", 8420, 8420, 0, TBefundSource::Test},
    {"Einheit", 8421, 8421, 0, TBefundSource::Test},
    {"Grenzwert-Indikator", 8422, 8422, 0, TBefundSource::Test},
    {"Normalwert-Text", 8460, 8460, 0, TBefundSource::TestJoined},
    {"Testbezogene Hinweise", 8470, 8470, 8236, TBefundSource::TestJoined},
    {"Ergebnistext", 8480, 8480, 8237, TBefundSource::TestJoined},
};
constexpr size_t kBefundCount = std::size(kBefundColumns);

constexpr std::string_view kPatientObject = "Obj_0045";  // Obj_Patient
constexpr std::string_view kMaterialObject = "Obj_0037"; // Obj_Material
constexpr std::string_view kTextObject = "Obj_0068";     // Obj_Fliesstext
constexpr int32_t kMaterialTimestamp = 8219;             // Timestamp_Materialabnahme_entnahme
constexpr int32_t kTimestampDate = 7278;
constexpr int32_t kSampleIdent = 7364; // Probengefaess-Ident: names the material of a test

// Walks one record after another and writes a row per test.
class TBefundWriter {
public:
    TBefundWriter(const TXDTPtrList& List, const TCsvOptions& Options, TCsvWriter& W)
        : FList(List), FOptions(Options), FW(W), FLdt3(List.Format().Family == TXdtFamily::Ldt3) {
        FRowOptions = TRowOptions{Options.Row.Codierung, false, false, false};
    }

    // False when cancelled.
    bool Run(int64_t& Rows) {
        if (FLdt3 && !FStructure.Build(FList, FOptions.Cancel)) return false;
        const int N = FList.Count();
        for (int First = 0; First < N && !FW.Failed() && !FStopped;) {
            if (Cancelled(FOptions.Cancel)) FStopped = true;
            int Last = First + 1;
            while (Last < N && FList.Items(Last).FeldArt != 8000) ++Last;
            if (!FStopped) Record(First, Last - 1, Rows);
            First = Last;
        }
        return !FStopped;
    }

private:
    int32_t FieldOf(const TBefundColumn& C) const { return FLdt3 ? C.Ldt3 : C.Ldt2; }

    // The object's identifier, empty for none.
    std::string_view ObjectId(int Object) const {
        return Object < 0 ? std::string_view()
                          : FList.Items(FStructure.Objects()[size_t(Object)].First).Inhalt();
    }
    // The nearest object around Line (its own bracket lines count) with this identifier, -1 none.
    int Enclosing(int Line, std::string_view Id) const {
        for (int O = FStructure.ObjectAt(Line); O >= 0; O = FStructure.Objects()[size_t(O)].Parent)
            if (ObjectId(O) == Id) return O;
        return -1;
    }

    void Record(int First, int Last, int64_t& Rows) {
        std::array<int, kBefundCount> RecordLine;
        RecordLine.fill(-1);
        std::vector<int> Tests;
        // LDT 3: per material its sample identifier and collection date.
        std::unordered_map<std::string_view, int> DateOfSample;
        std::unordered_map<int, std::string_view> SampleOfMaterial;
        std::unordered_map<int, int> DateOfMaterial;
        int FirstCollection = -1;
        int PendingMaterial = -2; // the material whose 8219 timestamp is open
        for (int I = First; I <= Last; ++I) {
            const TXDTPtrItem Item = FList.Items(I);
            if (Item.FeldArt == 8410) Tests.push_back(I);
            for (size_t C = 0; C < kBefundCount; ++C) {
                const TBefundColumn& Col = kBefundColumns[C];
                if (RecordLine[C] >= 0 || FieldOf(Col) != Item.FeldArt) continue;
                if (Col.Source == TBefundSource::Record || Col.Source == TBefundSource::Collection)
                    RecordLine[C] = I;
                else if (Col.Source == TBefundSource::Patient &&
                         (!FLdt3 || Enclosing(I, kPatientObject) >= 0))
                    RecordLine[C] = I;
            }
            if (!FLdt3) continue;
            if (Item.FeldArt == kMaterialTimestamp) {
                PendingMaterial = Enclosing(I, kMaterialObject);
            } else if (Item.FeldArt == kTimestampDate && PendingMaterial != -2) {
                if (FirstCollection < 0) FirstCollection = I;
                if (PendingMaterial >= 0) DateOfMaterial.emplace(PendingMaterial, I);
                PendingMaterial = -2;
            } else if (Item.FeldArt == kSampleIdent) {
                if (const int M = Enclosing(I, kMaterialObject); M >= 0)
                    SampleOfMaterial.emplace(M, Item.Inhalt());
            }
        }
        if (Tests.empty()) return;
        if (FLdt3) {
            for (const auto& [Material, Sample] : SampleOfMaterial)
                if (auto D = DateOfMaterial.find(Material); D != DateOfMaterial.end())
                    DateOfSample.emplace(Sample, D->second);
        }
        for (size_t T = 0; T < Tests.size() && !FW.Failed(); ++T) {
            if (Cancelled(FOptions.Cancel)) {
                FStopped = true;
                return;
            }
            int From = Tests[T], To = T + 1 < Tests.size() ? Tests[T + 1] - 1 : Last;
            const int Object = FLdt3 ? FStructure.ObjectAt(Tests[T]) : -1;
            if (Object >= 0) {
                const TXdtObject& O = FStructure.Objects()[size_t(Object)];
                From = T > 0 && FStructure.ObjectAt(Tests[T - 1]) == Object ? Tests[T]
                                                                            : std::max(O.First, First);
                To = T + 1 < Tests.size() && FStructure.ObjectAt(Tests[T + 1]) == Object
                         ? Tests[T + 1] - 1
                         : std::min(O.Last, Last);
            }
            TestRow(Tests[T], From, To, RecordLine, DateOfSample, FirstCollection);
            ++Rows;
        }
    }

    void TestRow(int TestLine, int From, int To, const std::array<int, kBefundCount>& RecordLine,
                 const std::unordered_map<std::string_view, int>& DateOfSample, int FirstCollection) {
        std::array<std::vector<int>, kBefundCount> Lines;
        int Sample = -1;
        int TextColumn = -1, TextObject = -1; // LDT 3: the text object being read, and its column
        for (int I = From; I <= To; ++I) {
            const TXDTPtrItem Item = FList.Items(I);
            if (Item.FeldArt == kSampleIdent && Sample < 0) Sample = I;
            for (size_t C = 0; C < kBefundCount; ++C) {
                const TBefundColumn& Col = kBefundColumns[C];
                if (FieldOf(Col) != Item.FeldArt) continue;
                if (Col.Source == TBefundSource::TestJoined ||
                    ((Col.Source == TBefundSource::Test || Col.Source == TBefundSource::Collection) &&
                     Lines[C].empty()))
                    Lines[C].push_back(I);
            }
            if (!FLdt3) continue;
            if (Item.FeldArt == 8002 && Item.Inhalt() == kTextObject && I > From) {
                const int32_t Attribute = FList.Items(I - 1).FeldArt;
                for (size_t C = 0; C < kBefundCount; ++C)
                    if (kBefundColumns[C].Ldt3Texts != 0 && kBefundColumns[C].Ldt3Texts == Attribute) {
                        TextColumn = int(C);
                        TextObject = FStructure.ObjectAt(I);
                    }
            } else if (Item.FeldArt == 3564 && TextColumn >= 0 && FStructure.ObjectAt(I) == TextObject) {
                Lines[size_t(TextColumn)].push_back(I);
            } else if (TextObject >= 0 && I == FStructure.Objects()[size_t(TextObject)].Last) {
                TextColumn = TextObject = -1;
            }
        }
        for (size_t C = 0; C < kBefundCount; ++C) {
            const TBefundColumn& Col = kBefundColumns[C];
            switch (Col.Source) {
            case TBefundSource::TestLine:
                FW.Cell(int64_t(TestLine) + 1);
                continue;
            case TBefundSource::Patient:
            case TBefundSource::Record:
                Cell({RecordLine[C]});
                continue;
            case TBefundSource::Collection: {
                int Line = Lines[C].empty() ? -1 : Lines[C].front();
                if (FLdt3) {
                    Line = FirstCollection;
                    if (Sample >= 0)
                        if (auto D = DateOfSample.find(FList.Items(Sample).Inhalt()); D != DateOfSample.end())
                            Line = D->second;
                } else if (Line < 0) {
                    Line = RecordLine[C];
                }
                Cell({Line});
                continue;
            }
            case TBefundSource::Test:
                if (FieldOf(Col) == 8410)
                    Cell({TestLine});
                else
                    Cell(Lines[C]);
                continue;
            case TBefundSource::TestJoined:
                Cell(Lines[C]);
                continue;
            }
        }
        FW.EndRow();
    }

    // The contents of the lines in the display character set, one below the other.
    void Cell(const std::vector<int>& Lines) {
        FText.clear();
        for (const int L : Lines) {
            if (L < 0) continue;
            if (!FText.empty()) FText += '\n';
            MakeRowTexts(FList, L, FRowOptions, FRow);
            FText += FRow.Inhalt;
        }
        FW.Cell(FText);
    }

    const TXDTPtrList& FList;
    const TCsvOptions& FOptions;
    TCsvWriter& FW;
    const bool FLdt3;
    TRowOptions FRowOptions;
    TXdtStructure FStructure;
    TRowTexts FRow;
    std::string FText;
    bool FStopped = false;
};

} // namespace

std::span<const TBefundColumn> BefundColumns() {
    return kBefundColumns;
}

TExportOutcome ExportBefundtabelle(const TXDTPtrList& List, const TCsvOptions& Options,
                                   const TExportSink& Out) {
    if (Options.Row.Classic)
        return TExportOutcome{TExportEnd::NotAvailable, 0,
                              "Die Befundtabelle gibt es nur ohne die klassische Anzeige"};
    TCsvWriter W(Out);
    W.Raw(kBom);
    for (const TBefundColumn& C : kBefundColumns) W.Cell(C.Header);
    W.EndRow();
    int64_t Rows = 0;
    TBefundWriter B(List, Options, W);
    const bool Done = B.Run(Rows);
    return Finish(W, Rows, !Done);
}

// ---------------------------------------------------------------- new files

TNewFileEnd WriteNewFile(const std::string& Path, const std::string& Protect,
                         const std::function<bool(const TExportSink&)>& Produce, std::string& Error) {
    namespace fs = std::filesystem;
    std::error_code Ec;
    // A link counts as there, also when it leads nowhere: renaming would replace the link.
    if (fs::exists(fs::symlink_status(Path, Ec))) {
        std::error_code Same;
        if (!Protect.empty() && fs::equivalent(Protect, Path, Same) && !Same) return TNewFileEnd::SameFile;
        return TNewFileEnd::Exists;
    }
    // A temporary file beside the target, made new (never opened over another) with the permissions
    // any new file of the user gets.
    const fs::path Folder = fs::path(Path).parent_path();
    const QString Base = QFile::decodeName((Folder.empty() ? fs::path(".") : Folder).string().c_str());
    QFile File;
    for (int Try = 0; Try < 100; ++Try) {
        File.setFileName(Base + QStringLiteral("/.ostrel-%1.tmp")
                                    .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (File.open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
        if (!File.exists()) break; // no clash of names: the folder takes no new file
    }
    if (!File.isOpen()) {
        Error = QStringToAnsi(File.errorString());
        return TNewFileEnd::CannotCreate;
    }
    // Whatever happens below, no temporary file stays behind.
    struct TRemove {
        QFile& F;
        bool Keep = false;
        ~TRemove() {
            if (!Keep) F.remove();
        }
    } Remove{File};
    bool WriteFailed = false;
    const TExportSink Sink = [&](std::string_view Piece) {
        if (!WriteFailed && File.write(Piece.data(), qint64(Piece.size())) != qint64(Piece.size()))
            WriteFailed = true;
        return !WriteFailed;
    };
    const bool Produced = Produce(Sink);
    if (!WriteFailed && !File.flush()) WriteFailed = true;
#ifndef _WIN32
    // On the disk before the name appears, so that a crash cannot leave a short copy behind.
    if (!WriteFailed && ::fsync(File.handle()) != 0) WriteFailed = true;
#endif
    if (WriteFailed) {
        Error = QStringToAnsi(File.errorString());
        return TNewFileEnd::WriteFailed;
    }
    if (!Produced) return TNewFileEnd::ProduceFailed;
    // Qt's rename never replaces an existing file, also not one that appeared meanwhile.
    if (!File.rename(QFile::decodeName(Path.c_str()))) {
        if (fs::exists(fs::symlink_status(Path, Ec))) return TNewFileEnd::Exists;
        Error = QStringToAnsi(File.errorString());
        return TNewFileEnd::CannotCreate;
    }
    Remove.Keep = true;
    return TNewFileEnd::Written;
}
