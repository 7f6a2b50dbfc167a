// ostrel-dump: prints the field lines of an xDT file as the viewer shows them, for terminals and
// scripts. Loads with the viewer's own loader, then writes one row per line through a buffer, so the
// output of a large file is never held in memory. Output is UTF-8.
//
// Exit status: 0 the whole file was read; 1 it was read only up to an invalid line (the rows before it
// are printed), it holds invalid lines (--tolerant reads past them) or it was cut short while being
// read; 2 wrong usage, or the path is not a readable regular file.
//
// --check prints the check report of one or more files and folders instead: 0 no file has an error,
// 1 one has, 2 wrong usage or a path that cannot be read.
//
// The usage lines and the --help text come from ostrel-dump.txt beside this file, which also makes
// the manual page: a new option is documented there.
#include "ostrel_dump_help.h"

#include "document/RowModel.h"
#include "document/XDTAnonymize.h"
#include "document/XDTCheck.h"
#include "document/XDTExport.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "document/XDTStructure.h"
#include "support/Ansi.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr int ExitOk = 0, ExitIncomplete = 1, ExitUsage = 2;

// Writes to a file descriptor through a fixed buffer. A failed write is remembered, later output dropped.
class TWriter {
public:
    explicit TWriter(int Fd) : FFd(Fd) {}
    ~TWriter() { Flush(); }
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void Put(const char* P, size_t N) {
        if (N > sizeof FBuf - FLen) {
            Flush();
            if (N > sizeof FBuf) {
                WriteAll(P, N);
                return;
            }
        }
        std::memcpy(FBuf + FLen, P, N);
        FLen += N;
    }
    void Put(std::string_view S) { Put(S.data(), S.size()); }
    void Put(char C) {
        if (FLen == sizeof FBuf) Flush();
        FBuf[FLen++] = C;
    }
    void PutInt(long long V) {
        char B[24];
        const auto R = std::to_chars(B, B + sizeof B, V);
        Put(B, size_t(R.ptr - B));
    }
    // Room for at least N more bytes without a flush; returns where to write them.
    char* Reserve(size_t N) {
        if (N > sizeof FBuf - FLen) Flush();
        return FBuf + FLen;
    }
    void Commit(size_t N) { FLen += N; }

    void Flush() {
        WriteAll(FBuf, FLen);
        FLen = 0;
    }
    bool Failed() const { return FFailed; }
    int Error() const { return FErrno; }

private:
    void WriteAll(const char* P, size_t N) {
        while (N > 0 && !FFailed) {
            const ssize_t W = ::write(FFd, P, N);
            if (W < 0) {
                if (errno == EINTR) continue;
                FFailed = true;
                FErrno = errno;
                return;
            }
            P += W;
            N -= size_t(W);
        }
    }
    int FFd;
    bool FFailed = false;
    int FErrno = 0;
    size_t FLen = 0;
    char FBuf[1 << 16];
};

// Per Windows-1252 byte its UTF-8 form, once with the escapes of a TSV column and once with those of
// a JSON string. A NUL byte (raw, or what the character-set conversion made of a byte the set does not
// allow) becomes U+FFFD; the five undefined bytes become the C1 controls of the same value.
struct TByteCode {
    char B[6];
    uint8_t N;
    bool Same; // the byte stands for itself
};
struct TEncoder {
    TByteCode Plain[256];
    TByteCode Tsv[256];
    TByteCode Json[256];
    TEncoder() {
        for (int C = 0; C < 256; ++C) {
            TByteCode U{};
            const char32_t Cp = C == 0 ? 0xFFFD : AnsiCharToUnicode(static_cast<unsigned char>(C));
            if (Cp < 0x80) {
                U.B[0] = char(Cp);
                U.N = 1;
            } else if (Cp < 0x800) {
                U.B[0] = char(0xC0 | (Cp >> 6));
                U.B[1] = char(0x80 | (Cp & 0x3F));
                U.N = 2;
            } else {
                U.B[0] = char(0xE0 | (Cp >> 12));
                U.B[1] = char(0x80 | ((Cp >> 6) & 0x3F));
                U.B[2] = char(0x80 | (Cp & 0x3F));
                U.N = 3;
            }
            Plain[C] = U;
            Tsv[C] = U;
            Json[C] = U;
        }
        for (int C = 0; C < 256; ++C) Plain[C].Same = Tsv[C].Same = Json[C].Same = C >= 0x20 && C < 0x80;
        auto Esc = [](const char* S) {
            TByteCode E{};
            E.N = uint8_t(std::strlen(S));
            std::memcpy(E.B, S, E.N);
            return E;
        };
        Tsv['\\'] = Esc("\\\\");
        Tsv['\t'] = Esc("\\t");
        Tsv['\r'] = Esc("\\r");
        Tsv['\n'] = Esc("\\n");
        for (int C = 1; C < 0x20; ++C) {
            char Hex[8];
            std::snprintf(Hex, sizeof Hex, "\\u%04x", C);
            Json[C] = Esc(Hex);
        }
        Json['"'] = Esc("\\\"");
        Json['\\'] = Esc("\\\\");
        Json['\b'] = Esc("\\b");
        Json['\f'] = Esc("\\f");
        Json['\n'] = Esc("\\n");
        Json['\r'] = Esc("\\r");
        Json['\t'] = Esc("\\t");
    }
};

const TEncoder& Encoder() {
    static const TEncoder Enc;
    return Enc;
}

void PutText(TWriter& Out, const TByteCode (&Code)[256], std::string_view S) {
    // Worst case 6 bytes per input byte; done in slices so that any length fits the buffer.
    constexpr size_t Slice = 4096;
    while (!S.empty()) {
        const size_t N = std::min(S.size(), Slice);
        char* D = Out.Reserve(N * 6);
        char* const Start = D;
        for (size_t I = 0; I < N;) {
            // Most bytes are plain ASCII: copied in runs.
            size_t J = I;
            while (J < N && Code[static_cast<unsigned char>(S[J])].Same) ++J;
            std::memcpy(D, S.data() + I, J - I);
            D += J - I;
            if (J == N) break;
            const TByteCode& C = Code[static_cast<unsigned char>(S[J])];
            std::memcpy(D, C.B, 6);
            D += C.N;
            I = J + 1;
        }
        Out.Commit(size_t(D - Start));
        S.remove_prefix(N);
    }
}

std::string Encoded(const TByteCode (&Code)[256], std::string_view S) {
    std::string R;
    for (unsigned char C : S) R.append(Code[C].B, Code[C].N);
    return R;
}

// Messages of the program are Windows-1252 text; the terminal gets UTF-8.
std::string Utf8(std::string_view Ansi) {
    return Encoded(Encoder().Plain, Ansi);
}

void PutLine(int Fd, const std::string& Ansi) {
    TWriter W(Fd);
    W.Put(Utf8(Ansi));
    W.Put('\n');
}

int Fail(const std::string& Msg) {
    PutLine(2, "ostrel-dump: " + Msg);
    return ExitUsage;
}

std::string Quoted(const std::string& Path) {
    return "\"" + Path + "\"";
}

// A regular file that can be opened for reading, checked before the loader maps it (the loader
// reports every failure as an empty file). Empty string when fine, else the reason.
std::string CheckPath(const std::string& Path) {
    struct stat St;
    if (::stat(Path.c_str(), &St) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Quoted(Path) + ": Datei nicht gefunden";
        if (errno == EACCES) return Quoted(Path) + ": Zugriff verweigert";
        return Quoted(Path) + ": " + std::strerror(errno);
    }
    if (S_ISDIR(St.st_mode)) return Quoted(Path) + " ist ein Ordner, keine Datei";
    if (S_ISFIFO(St.st_mode)) return Quoted(Path) + " ist eine FIFO (Pipe), keine normale Datei";
    if (S_ISCHR(St.st_mode) || S_ISBLK(St.st_mode))
        return Quoted(Path) + " ist ein Ger\xE4t, keine normale Datei";
    if (!S_ISREG(St.st_mode)) return Quoted(Path) + " ist keine normale Datei";
    // Non-blocking, in case the path was replaced by a FIFO since.
    const int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) {
        if (errno == EACCES) return Quoted(Path) + " kann nicht gelesen werden: Zugriff verweigert";
        return Quoted(Path) + " kann nicht gelesen werden: " + std::strerror(errno);
    }
    ::close(Fd);
    return {};
}

struct TOptions {
    bool Json = false;
    bool Summary = false;
    bool Classic = false;      // the classic names, comments and character-set fallback
    std::string AttachmentDir; // --attachments: write the embedded documents there
    bool Csv = false;          // CSV for spreadsheets instead of TSV
    bool Befund = false;       // the CSV is the results table, one row per test
    std::string AnonymizeOut;  // --anonymize: write an anonymised copy there
    int Codierung = -1;        // -1: the file's own
    std::string CodierungArg;
    bool HasCodierung = false;
    bool Tolerant = false;
    bool Check = false;
    std::string Path;
    std::vector<std::string> Paths; // --check: every file and folder given
};

// --csv, --befundtabelle, --anonymize ZIEL: true when argv[I] is one of them (Err set when it is
// incomplete), with I on its last argument.
bool ParseExportOption(int argc, char** argv, int& I, TOptions& O, std::string& Err) {
    const std::string_view A = argv[I];
    if (A == "--csv") {
        O.Csv = true;
    } else if (A == "--befundtabelle") {
        O.Csv = O.Befund = true;
    } else if (A == "--anonymize" || A.starts_with("--anonymize=")) {
        if (A == "--anonymize")
            O.AnonymizeOut = I + 1 < argc ? argv[++I] : "";
        else
            O.AnonymizeOut = std::string(A.substr(std::strlen("--anonymize=")));
        if (O.AnonymizeOut.empty()) Err = "--anonymize ohne Zieldatei";
    } else {
        return false;
    }
    return true;
}

// The export modes take no other output mode beside them.
bool CheckExportOptions(const TOptions& O, std::string& Err) {
    const bool Other = O.Json || O.Summary || !O.AttachmentDir.empty();
    if (!O.AnonymizeOut.empty() && (Other || O.Csv || O.HasCodierung)) {
        Err = "--anonymize schreibt nur die Kopie, ohne --csv, --json, --summary, --attachments und "
              "--codierung";
        return false;
    }
    if (O.Csv && Other) {
        Err = "--csv geht nicht zusammen mit --json, --summary oder --attachments";
        return false;
    }
    if (O.Befund && O.Classic) {
        Err = "--befundtabelle gibt es nur ohne --klassisch";
        return false;
    }
    return true;
}

// False with a message for wrong usage.
bool ParseArgs(int argc, char** argv, TOptions& O, std::string& Err, bool& Help) {
    bool OptionsEnd = false;
    for (int I = 1; I < argc; ++I) {
        const std::string_view A = argv[I];
        if (!OptionsEnd && A == "--") {
            OptionsEnd = true;
        } else if (!OptionsEnd && (A == "--help" || A == "-h")) {
            Help = true;
            return true;
        } else if (!OptionsEnd && A == "--json") {
            O.Json = true;
        } else if (!OptionsEnd && A == "--summary") {
            O.Summary = true;
        } else if (!OptionsEnd && A == "--klassisch") {
            O.Classic = true;
        } else if (!OptionsEnd && (A == "--attachments" || A.starts_with("--attachments="))) {
            if (A == "--attachments") {
                if (I + 1 >= argc) {
                    Err = "--attachments ohne Ordner";
                    return false;
                }
                O.AttachmentDir = argv[++I];
            } else {
                O.AttachmentDir = std::string(A.substr(std::strlen("--attachments=")));
            }
            if (O.AttachmentDir.empty()) {
                Err = "--attachments ohne Ordner";
                return false;
            }
        } else if (!OptionsEnd && A == "--tolerant") {
            O.Tolerant = true;
        } else if (!OptionsEnd && A == "--check") {
            O.Check = true;
        } else if (!OptionsEnd && (A == "--codierung" || A.starts_with("--codierung="))) {
            std::string_view V;
            if (A == "--codierung") {
                if (I + 1 >= argc) {
                    Err = "--codierung ohne Nummer";
                    return false;
                }
                V = argv[++I];
            } else {
                V = A.substr(std::strlen("--codierung="));
            }
            O.CodierungArg = std::string(V);
            O.HasCodierung = true;
        } else if (!OptionsEnd && ParseExportOption(argc, argv, I, O, Err)) {
            if (!Err.empty()) return false;
        } else if (!OptionsEnd && A.size() > 1 && A[0] == '-') {
            Err = "unbekannte Option \"" + std::string(A) + "\"";
            return false;
        } else {
            O.Paths.emplace_back(A);
        }
    }
    if (O.Paths.empty()) {
        Err = "keine Datei angegeben";
        return false;
    }
    if (!CheckExportOptions(O, Err)) return false;
    if (O.HasCodierung) {
        // The classic program knows the four sets a file can declare; the display sets follow them.
        const int Last = O.Classic ? cdLast : cdModernLast;
        const std::string_view V = O.CodierungArg;
        int N = -1;
        const auto R = std::from_chars(V.data(), V.data() + V.size(), N);
        if (R.ec != std::errc() || R.ptr != V.data() + V.size() || N < 0 || N > Last) {
            Err = "--codierung erwartet eine Nummer von 0 bis " + std::to_string(Last) + ", nicht \"" +
                  std::string(V) + "\"";
            return false;
        }
        O.Codierung = N;
    }
    if (O.Check) {
        if (O.Summary || O.Codierung >= 0) {
            Err = std::string("--check vertr\xE4gt sich nicht mit ") +
                  (O.Summary ? "--summary" : "--codierung");
            return false;
        }
        return true;
    }
    if (O.Paths.size() > 1) {
        Err = "nur eine Datei erwartet";
        return false;
    }
    O.Path = O.Paths.front();
    return true;
}

void PutRows(const TFileXDTPtrList& List, const TOptions& O, TWriter& Out) {
    // The extended JSON rows tell each line's object.
    TXdtStructure Structure;
    const bool WithObjects = O.Json && !O.Classic;
    if (WithObjects) Structure.Build(List);

    const TEncoder& Enc = Encoder();
    const auto& Code = O.Json ? Enc.Json : Enc.Tsv;
    const int Codierung = O.Codierung >= 0 ? O.Codierung
                          : O.Classic      ? List.FileCodierung()
                                           : ChooseCodierung(List, false).Codierung;
    const TRowOptions RowOptions{Codierung, true, true, O.Classic};
    TRowTexts Row;
    // A field's name depends on its identifier only: encoded once per identifier.
    std::vector<std::string> Names(10000);
    std::vector<uint8_t> HaveName(10000, 0);
    std::string OtherName;
    for (int I = 0; I < List.Count() && !Out.Failed(); ++I) {
        MakeRowTexts(List, I, RowOptions, Row);
        std::string_view Name;
        if (Row.FeldArt >= 0 && Row.FeldArt <= 9999) {
            if (!HaveName[size_t(Row.FeldArt)]) {
                Names[size_t(Row.FeldArt)] = Encoded(Code, Row.Name);
                HaveName[size_t(Row.FeldArt)] = 1;
            }
            Name = Names[size_t(Row.FeldArt)];
        } else {
            OtherName = Encoded(Code, Row.Name);
            Name = OtherName;
        }
        if (O.Json) {
            Out.Put("{\"line\":");
            Out.PutInt(I + 1);
            Out.Put(",\"feldart\":");
            if (Row.LineInvalid)
                Out.Put("null"); // an invalid line kept whole names no field
            else
                Out.PutInt(Row.FeldArt);
            Out.Put(",\"kennung\":\"");
            Out.Put(Row.Kennung);
            Out.Put("\",\"inhalt\":\"");
            PutText(Out, Code, Row.Inhalt);
            Out.Put("\",\"comment\":\"");
            PutText(Out, Code, Row.Comment);
            Out.Put("\",\"name\":\"");
            Out.Put(Name);
            if (WithObjects) {
                Out.Put("\",\"depth\":");
                Out.PutInt(Structure.DepthAt(I));
                Out.Put(",\"object\":");
                const int Obj = Structure.ObjectAt(I);
                if (Obj < 0) {
                    Out.Put("null}\n");
                } else {
                    Out.Put('"');
                    PutText(Out, Code, List.Items(Structure.Objects()[size_t(Obj)].First).Inhalt());
                    Out.Put("\"}\n");
                }
            } else {
                Out.Put("\"}\n");
            }
        } else {
            Out.PutInt(I + 1);
            Out.Put('\t');
            Out.Put(Row.Kennung);
            Out.Put('\t');
            PutText(Out, Code, Row.Inhalt);
            Out.Put('\t');
            PutText(Out, Code, Row.Comment);
            Out.Put('\t');
            Out.Put(Name);
            Out.Put('\n');
        }
    }
}

// The line table or the results table as CSV for spreadsheets.
void PutCsv(const TFileXDTPtrList& List, const TOptions& O, TWriter& Out) {
    const int Codierung = O.Codierung >= 0 ? O.Codierung
                          : O.Classic      ? List.FileCodierung()
                                           : ChooseCodierung(List, false).Codierung;
    const TCsvOptions Options{TRowOptions{Codierung, true, true, O.Classic}, nullptr};
    const TExportSink Sink = [&](std::string_view Piece) {
        Out.Put(Piece);
        return !Out.Failed();
    };
    if (O.Befund)
        ExportBefundtabelle(List, Options, Sink);
    else
        ExportCsv(List, TExportRows::All(), Options, Sink);
}

// The three texts of the viewer's status bar, with German separators whatever the locale, so that
// scripts see one form.
void PutSummary(const TFileXDTPtrList& List, const TOptions& O, int Fd) {
    TWriter W(Fd);
    for (const std::string& S :
         {LineCountText(List.Count()), FileSizeText(List.FileSize(), TFormatSettings{}),
          DeclaredCodierungText(List.FileCodierung())}) {
        W.Put(Utf8(S));
        W.Put('\n');
    }
    if (!O.Classic) {
        W.Put(Utf8(FormatText(List.Format())));
        W.Put('\n');
    }
}

// Creates Dir/Name, or Dir/Name-2.Ext … when that exists: never replaces a file. -1 when none can be made.
int CreateNew(const std::string& Dir, const std::string& Name, std::string& Path) {
    const size_t Dot = Name.rfind('.');
    const std::string Stem = Name.substr(0, Dot), Ext = Dot == std::string::npos ? "" : Name.substr(Dot);
    for (int N = 1; N < 1000; ++N) {
        Path = Dir + "/" + (N == 1 ? Name : Stem + "-" + std::to_string(N) + Ext);
        const int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0644);
        if (Fd >= 0 || errno != EEXIST) return Fd;
    }
    return -1;
}

// Writes every embedded document into O.AttachmentDir; one line per document on standard output.
int PutAttachments(const TFileXDTPtrList& List, const TOptions& O) {
    struct stat St;
    if (::stat(O.AttachmentDir.c_str(), &St) != 0 || !S_ISDIR(St.st_mode))
        return Fail(Quoted(O.AttachmentDir) + " ist kein Ordner");
    TXdtStructure S;
    S.Build(List);
    TWriter Out(1);
    int Status = ExitOk;
    for (int I = 0; I < int(S.Attachments().size()); ++I) {
        const TXdtAttachment& A = S.Attachments()[size_t(I)];
        // The first bytes tell the type where 6303 does not.
        std::string Head, Error;
        DecodeAttachment(
            List, TXdtAttachment{A.Object, A.Record, A.First, A.First, 1, 0, 0, -1, -1},
            [&](std::string_view P) { Head += P; }, Error);
        const TAttachmentType Type = AttachmentTypeOf(
            A.FormatLine >= 0 ? List.Items(A.FormatLine).Inhalt() : std::string_view(), Head);
        std::string Path;
        const int Fd = CreateNew(O.AttachmentDir, AttachmentFileName(List, S, I, Type.Extension), Path);
        const int Line = (A.Object >= 0 ? S.Objects()[size_t(A.Object)].First : A.First) + 1;
        if (Fd < 0) {
            PutLine(2, Quoted(Path) + " kann nicht angelegt werden: " + std::strerror(errno));
            Status = ExitIncomplete;
            continue;
        }
        TWriter File(Fd);
        const bool Ok = DecodeAttachment(
            List, A, [&](std::string_view P) { File.Put(P); }, Error);
        File.Flush();
        const bool Closed = ::close(Fd) == 0;
        const bool Written = !File.Failed() && Closed;
        if (!Ok || !Written) {
            ::unlink(Path.c_str());
            PutLine(2, "Zeile " + std::to_string(Line) + ": " +
                           (Ok ? std::string("Schreibfehler: ") + std::strerror(File.Error()) : Error));
            Status = ExitIncomplete;
            continue;
        }
        Out.PutInt(Line);
        Out.Put('\t');
        Out.Put(Utf8(Type.Name));
        Out.Put('\t');
        Out.PutInt(int64_t(A.DecodedSize()));
        Out.Put('\t');
        Out.Put(Path);
        Out.Put('\n');
    }
    return Status;
}

// Writes the anonymised copy to O.AnonymizeOut; what it replaced on standard output. A file read only
// in part gets no copy: it would lack the rest.
int PutAnonymized(const TFileXDTPtrList& List, const TOptions& O, const std::string& LoadError,
                  const TLoadOutcome& Loaded) {
    if (!LoadError.empty() || Loaded.End == leTruncated || List.FileTruncated()) {
        PutLine(2,
                LoadError.empty() ? Quoted(O.Path) + " wurde w\xE4hrend des Lesens gek\xFCrzt" : LoadError);
        PutLine(2, "Die Datei wurde nicht ganz gelesen; keine Kopie geschrieben");
        return ExitIncomplete;
    }
    const TAnonymizeOutcome R = AnonymizeToFile(List, Loaded, O.AnonymizeOut);
    if (!R.Ok()) {
        PutLine(2, "ostrel-dump: " + Quoted(O.AnonymizeOut) + ": " + R.Message);
        return R.End == TAnonymizeEnd::SourceChanged ? ExitIncomplete : ExitUsage;
    }
    TWriter Out(1);
    for (const auto& [Text, N] : {std::pair<const char*, int64_t>{"Zeilen: ", R.Lines},
                                  {"Ersetzte Felder: ", R.Replaced},
                                  {"Ersetzte Werte: ", R.Values},
                                  {"Ersetzte Anh\xE4nge: ", R.Attachments},
                                  {"Neu berechnete L\xE4ngen und Pr\xFC"
                                   "fsummen: ",
                                   R.Recomputed}}) {
        Out.Put(Utf8(Text));
        Out.PutInt(N);
        Out.Put('\n');
    }
    Out.Flush();
    if (R.Overlong > 0)
        PutLine(2, std::to_string(R.Overlong) +
                       " Zeilen sind l\xE4nger als 999 Byte; ihr L\xE4ngenfeld lautet 999");
    return ExitOk;
}

// ---------------------------------------------------------------------------------------------------
// --check: the check report of files and folders, on two worker threads, printed in a stable order

// A path as the file system spells it (UTF-8 as a rule), escaped for a TSV column or a JSON string.
std::string EscapedPath(std::string_view P, bool Json) {
    std::string R;
    for (unsigned char C : P) {
        if (C == '\\')
            R += "\\\\";
        else if (C == '\t')
            R += "\\t";
        else if (C == '\n')
            R += "\\n";
        else if (C == '\r')
            R += "\\r";
        else if (Json && C == '"')
            R += "\\\"";
        else if (Json && C < 0x20) {
            char B[8];
            std::snprintf(B, sizeof B, "\\u%04x", C);
            R += B;
        } else
            R += char(C);
    }
    return R;
}

struct TCheckJob {
    std::string Path;
    std::string Failure; // the path cannot be checked: why (Windows-1252)
    std::string Out;     // the report's lines, UTF-8
    long long Errors = 0, Warnings = 0;
    bool Truncated = false;
    bool Done = false;
};

// The files of a folder and its subfolders, by name; hidden ones (a leading dot) are left out, and a
// folder reached twice through links is read once.
void CollectFolder(const std::filesystem::path& Dir, std::vector<TCheckJob>& Jobs,
                   std::set<std::filesystem::path>& Seen) {
    namespace fs = std::filesystem;
    std::error_code Ec;
    const fs::path Real = fs::canonical(Dir, Ec);
    if (!Ec && !Seen.insert(Real).second) return;
    std::vector<fs::path> Entries;
    for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec))
        if (!It->path().filename().string().starts_with(".")) Entries.push_back(It->path());
    if (Ec) {
        TCheckJob J;
        J.Path = Dir.string();
        J.Failure = Quoted(J.Path) + ": Ordner kann nicht gelesen werden: " + Ec.message();
        Jobs.push_back(std::move(J));
        return;
    }
    std::sort(Entries.begin(), Entries.end());
    for (const fs::path& E : Entries) {
        std::error_code Ed;
        if (fs::is_directory(E, Ed)) {
            CollectFolder(E, Jobs, Seen);
        } else {
            TCheckJob J;
            J.Path = E.string();
            Jobs.push_back(std::move(J));
        }
    }
}

// Loads and checks one file; the report goes into the job.
void CheckOne(TCheckJob& J, bool Json, bool WithFile) {
    if (!J.Failure.empty()) return;
    if (std::string Why = CheckPath(J.Path); !Why.empty()) {
        J.Failure = std::move(Why);
        return;
    }
    TFileXDTPtrList List;
    TLoadOutcome Loaded;
    try {
        Loaded = LoadXDTFile(List, J.Path, {.InvalidLine = ilTolerant});
    } catch (const Exception& E) {
        J.Failure = Quoted(J.Path) + ": " + E.Message();
        return;
    } catch (const std::bad_alloc&) {
        J.Failure = Quoted(J.Path) + ": Nicht genug Speicher f\xFCr den Zeilenindex";
        return;
    }
    if (Loaded.End == leNotReadable) {
        J.Failure = Quoted(J.Path) + " kann nicht gelesen werden";
        return;
    }
    const TCheckResult R = CheckXDTFile(List);
    J.Errors = R.Errors;
    J.Warnings = R.Warnings;
    J.Truncated = Loaded.End == leTruncated || List.FileTruncated();
    const TEncoder& Enc = Encoder();
    const std::string File = EscapedPath(J.Path, Json);
    for (const TCheckProblem& P : R.Problems) {
        std::string& O = J.Out;
        if (Json) {
            O += "{";
            if (WithFile) O += "\"file\":\"" + File + "\",";
            O += "\"line\":" + std::to_string(P.Line) + ",\"offset\":" + std::to_string(P.Offset) +
                 ",\"severity\":\"" + CheckSeverityName(P.Severity) + "\",\"code\":\"" + P.Code +
                 "\",\"message\":\"" + Encoded(Enc.Json, P.Message) + "\"}\n";
        } else {
            if (WithFile) O += File + "\t";
            O += std::to_string(P.Line) + "\t" + CheckSeverityName(P.Severity) + "\t" + P.Code + "\t" +
                 Encoded(Enc.Tsv, P.Message) + "\n";
        }
    }
}

int RunCheck(const TOptions& O) {
    namespace fs = std::filesystem;
    std::vector<TCheckJob> Jobs;
    std::set<fs::path> Seen;
    bool Folder = false;
    for (const std::string& P : O.Paths) {
        std::error_code Ec;
        if (fs::is_directory(P, Ec)) {
            Folder = true;
            CollectFolder(P, Jobs, Seen);
        } else {
            TCheckJob J;
            J.Path = P;
            Jobs.push_back(std::move(J));
        }
    }
    const bool WithFile = Folder || O.Paths.size() > 1;

    // Two workers take the files in turn, at most a window ahead of the printing, so that the reports
    // waiting to be printed stay few.
    constexpr size_t Window = 64;
    std::mutex Lock;
    std::condition_variable Changed;
    size_t Next = 0, Printed = 0;
    auto Work = [&] {
        for (;;) {
            size_t I;
            {
                std::unique_lock<std::mutex> L(Lock);
                Changed.wait(L, [&] { return Next >= Jobs.size() || Next < Printed + Window; });
                if (Next >= Jobs.size()) return;
                I = Next++;
            }
            TCheckJob Result;
            Result.Path = Jobs[I].Path;
            Result.Failure = Jobs[I].Failure;
            CheckOne(Result, O.Json, WithFile);
            {
                std::lock_guard<std::mutex> L(Lock);
                Result.Done = true;
                Jobs[I] = std::move(Result);
            }
            Changed.notify_all();
        }
    };
    std::thread Workers[2] = {std::thread(Work), std::thread(Work)};

    long long Files = 0, FilesWithErrors = 0, Errors = 0, Warnings = 0, Unreadable = 0;
    bool Incomplete = false, WriteFailed = false;
    int WriteErrno = 0;
    {
        TWriter Out(1);
        for (size_t I = 0; I < Jobs.size(); ++I) {
            TCheckJob J;
            {
                std::unique_lock<std::mutex> L(Lock);
                Changed.wait(L, [&] { return Jobs[I].Done; });
                J = std::move(Jobs[I]);
                Jobs[I] = TCheckJob{};
                Printed = I + 1;
            }
            Changed.notify_all();
            if (!J.Failure.empty()) {
                ++Unreadable;
                Out.Flush();
                PutLine(2, "ostrel-dump: " + J.Failure);
                continue;
            }
            ++Files;
            FilesWithErrors += J.Errors > 0 ? 1 : 0;
            Errors += J.Errors;
            Warnings += J.Warnings;
            Out.Put(J.Out);
            if (J.Truncated) {
                Incomplete = true;
                Out.Flush();
                PutLine(2, Quoted(J.Path) + " wurde w\xE4hrend des Lesens gek\xFCrzt");
            }
        }
        if (O.Json)
            Out.Put("{\"files\":" + std::to_string(Files) +
                    ",\"files_with_errors\":" + std::to_string(FilesWithErrors) +
                    ",\"errors\":" + std::to_string(Errors) + ",\"warnings\":" + std::to_string(Warnings) +
                    ",\"unreadable\":" + std::to_string(Unreadable) + "}\n");
        else
            Out.Put(Utf8(
                "Dateien: " + std::to_string(Files) + ", mit Fehlern: " + std::to_string(FilesWithErrors) +
                ", Fehler: " + std::to_string(Errors) + ", Warnungen: " + std::to_string(Warnings) +
                (Unreadable ? ", nicht lesbar: " + std::to_string(Unreadable) : std::string()) + "\n"));
        Out.Flush();
        WriteFailed = Out.Failed();
        WriteErrno = Out.Error();
    }
    for (std::thread& T : Workers) T.join();
    if (WriteFailed) return Fail(std::string("Schreibfehler: ") + std::strerror(WriteErrno));
    if (Unreadable > 0) return ExitUsage;
    return Errors > 0 || Incomplete ? ExitIncomplete : ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    TOptions O;
    std::string Err;
    bool Help = false;
    if (!ParseArgs(argc, argv, O, Err, Help)) {
        PutLine(2, "ostrel-dump: " + Err);
        TWriter(2).Put(Utf8(ProgramUsage));
        return ExitUsage;
    }
    if (Help) {
        TWriter(1).Put(Utf8(ProgramHelp));
        return ExitOk;
    }
    if (O.Check) return RunCheck(O);
    if (const std::string Why = CheckPath(O.Path); !Why.empty()) return Fail(Why);

    TFileXDTPtrList List;
    std::string LoadError;
    TLoadOutcome Loaded;
    try {
        Loaded = LoadXDTFile(List, O.Path, {.InvalidLine = O.Tolerant ? ilTolerant : ilStop});
        // Read past, but still no valid file.
        if (Loaded.InvalidLines > 0)
            LoadError = std::to_string(Loaded.InvalidLines) +
                        (Loaded.InvalidLines == 1 ? " ung\xFCltige Zeile" : " ung\xFCltige Zeilen") +
                        " gelesen, die erste in Zeile " + std::to_string(Loaded.PhysicalLine);
        if (Loaded.BlankLines > 0)
            LoadError += (LoadError.empty() ? "" : "; ") + std::to_string(Loaded.BlankLines) +
                         (Loaded.BlankLines == 1 ? " leere Zeile" : " leere Zeilen") +
                         " \xFC"
                         "bersprungen";
        if (Loaded.End == leInvalidLine)
            LoadError = EXDTInvalidLine(Loaded.PhysicalLine, Loaded.Offset).Message() + ": Zeile " +
                        std::to_string(Loaded.PhysicalLine);
    } catch (const Exception& E) {
        // The index is full (more lines than it can hold): what was read is still shown.
        LoadError = E.Message();
    } catch (const std::bad_alloc&) {
        LoadError = "Nicht genug Speicher f\xFCr den Zeilenindex";
    }
    if (Loaded.End == leNotReadable) return Fail(Quoted(O.Path) + " kann nicht gelesen werden");

    if (!O.AnonymizeOut.empty()) return PutAnonymized(List, O, LoadError, Loaded);
    if (!O.AttachmentDir.empty()) {
        const int Status = PutAttachments(List, O);
        if (!LoadError.empty()) PutLine(2, LoadError);
        return Status != ExitOk ? Status : LoadError.empty() ? ExitOk : ExitIncomplete;
    }

    bool WriteFailed = false;
    int WriteErrno = 0;
    if (O.Summary) {
        PutSummary(List, O, 1);
    } else {
        {
            TWriter Out(1);
            if (O.Csv)
                PutCsv(List, O, Out);
            else
                PutRows(List, O, Out);
            Out.Flush();
            WriteFailed = Out.Failed();
            WriteErrno = Out.Error();
        }
        PutSummary(List, O, 2);
    }
    if (WriteFailed) return Fail(std::string("Schreibfehler: ") + std::strerror(WriteErrno));
    if (!LoadError.empty()) {
        PutLine(2, LoadError);
        return ExitIncomplete;
    }
    // Another program cut the file short while it was read or printed: the lost bytes were printed as
    // U+FFFD.
    if (Loaded.End == leTruncated || List.FileTruncated()) {
        PutLine(2, Quoted(O.Path) + " wurde w\xE4hrend des Lesens gek\xFCrzt");
        return ExitIncomplete;
    }
    return ExitOk;
}
