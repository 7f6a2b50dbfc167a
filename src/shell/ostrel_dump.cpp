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
#include "document/RowModel.h"
#include "document/XDTCheck.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
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
const char* const Usage = "Aufruf: ostrel-dump [--json] [--summary] [--codierung N] [--tolerant] DATEI\n"
                          "       ostrel-dump --check [--json] DATEI|ORDNER...\n";

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
    bool Tolerant = false;
    bool Check = false;
    int Codierung = -1; // -1: the file's own
    std::string Path;
    std::vector<std::string> Paths; // --check: every file and folder given
};

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
            int N = -1;
            const auto R = std::from_chars(V.data(), V.data() + V.size(), N);
            if (R.ec != std::errc() || R.ptr != V.data() + V.size() || N < 0 || N > cdLast) {
                Err = "--codierung erwartet eine Nummer von 0 bis 4, nicht \"" + std::string(V) + "\"";
                return false;
            }
            O.Codierung = N;
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
    const TEncoder& Enc = Encoder();
    const auto& Code = O.Json ? Enc.Json : Enc.Tsv;
    const TRowOptions RowOptions{O.Codierung >= 0 ? O.Codierung : List.FileCodierung(), true, true};
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
            Out.Put("\"}\n");
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

// The three texts of the viewer's status bar, with German separators whatever the locale, so that
// scripts see one form.
void PutSummary(const TFileXDTPtrList& List, int Fd) {
    TWriter W(Fd);
    for (const std::string& S :
         {LineCountText(List.Count()), FileSizeText(List.FileSize(), TFormatSettings{}),
          DeclaredCodierungText(List.FileCodierung())}) {
        W.Put(Utf8(S));
        W.Put('\n');
    }
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
        TWriter(2).Put(Usage);
        return ExitUsage;
    }
    if (Help) {
        TWriter(1).Put(Usage);
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

    bool WriteFailed = false;
    int WriteErrno = 0;
    if (O.Summary) {
        PutSummary(List, 1);
    } else {
        {
            TWriter Out(1);
            PutRows(List, O, Out);
            Out.Flush();
            WriteFailed = Out.Failed();
            WriteErrno = Out.Error();
        }
        PutSummary(List, 2);
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
