// ostrel-dump as a user runs it: the built program on files written here, its output and exit status.
#include "DumpRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const DumpBin = OSTREL_BIN_DIR "/ostrel-dump";

using dumprun::TRun;

std::string ReadAll(const fs::path& P) {
    return dumprun::ReadAll(P.string());
}

std::vector<std::string> Lines(const std::string& S) {
    std::vector<std::string> R;
    size_t P = 0;
    while (P < S.size()) {
        const size_t E = S.find('\n', P);
        if (E == std::string::npos) {
            R.push_back(S.substr(P));
            break;
        }
        R.push_back(S.substr(P, E - P));
        P = E + 1;
    }
    return R;
}

// One xDT line: length, identifier, content, CR LF.
std::string XdtLine(const std::string& FeldArt, const std::string& Inhalt) {
    // The length field has three digits; longer lines carry 999, which the loader does not check.
    char Len[16];
    std::snprintf(Len, sizeof Len, "%03d", std::min(int(Inhalt.size() + 9), 999));
    return Len + FeldArt + Inhalt + "\r\n";
}

class DumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("ostrel-dump-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override {
        std::error_code Ec;
        fs::remove_all(Dir, Ec);
    }

    std::string Write(const std::string& Name, const std::string& Bytes) {
        const fs::path P = Dir / Name;
        std::ofstream(P, std::ios::binary) << Bytes;
        return P.string();
    }

    // Runs the tool as the classic program (these tests hold its specified behaviour).
    TRun Run(const std::vector<std::string>& Args) {
        std::vector<std::string> A{"--klassisch"};
        A.insert(A.end(), Args.begin(), Args.end());
        return RunModern(A);
    }

    TRun RunModern(const std::vector<std::string>& Args) { return dumprun::RunDump(Dir.string(), Args); }

    fs::path Dir;
};

// A small laboratory file without a declared character set.
std::string LabFile() {
    return XdtLine("8000", "8220") + XdtLine("9212", "LDT1014.01") + XdtLine("8000", "8201") +
           XdtLine("3101", "M\xFCller") + XdtLine("3110", "W") + XdtLine("8422", "++") +
           XdtLine("4112", "1000") + XdtLine("8000", "8221");
}

} // namespace

TEST_F(DumpTest, PrintsOneTsvRowPerFieldLine) {
    const TRun R = Run({Write("lab.ldt", LabFile())});
    EXPECT_EQ(R.Status, 0) << R.Err;
    const std::vector<std::string> Expected = {
        "1\t8000\t8220\tL-Datenpaket-Header\tSatzart",
        "2\t9212\tLDT1014.01\t\tVersion der Satzbeschreibung",
        "3\t8000\t8201\tLabor-Facharzt-Bericht\tSatzart",
        "4\t3101\tM\u00fcller\t\tName",
        "5\t3110\tW\tweiblich\tGeschlecht",
        "6\t8422\t++\tstark erh\u00f6ht\tGrenzwert-Indikator",
        "7\t4112\t1000\tMitglied / Versicherter nimmt nicht an der Stichprobe teil \tVersichertenstatus KVK "
        "(Hinweis: nicht mehr zul\u00e4ssig!)",
        "8\t8000\t8221\tL-Datenpaket-Abschlu\u00df\tSatzart",
    };
    EXPECT_EQ(Lines(R.Out), Expected);
    // The status-bar texts follow on standard error.
    EXPECT_EQ(Lines(R.Err),
              (std::vector<std::string>{"Zeilen: 8",
                                        "Dateigr\u00f6\u00dfe: " + std::to_string(LabFile().size()) + " Byte",
                                        "Zeichensatz: Nicht vorhanden"}));
}

TEST_F(DumpTest, EscapesAndCharacters) {
    // Raw bytes (no character set): backslash and TAB escaped, NUL as U+FFFD, the undefined byte 81 as
    // U+0081 (and so the other four), the euro sign and an umlaut of Windows-1252 as their UTF-8 forms.
    const std::string Inhalt = std::string("a\\b\tc") + '\0' +
                               "d\x81\x8D\x8F\x90\x9D"
                               "e\x80\xFC\"";
    const std::string Path = Write("esc.ldt", XdtLine("6220", Inhalt));
    TRun R = Run({Path});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "1\t6220\ta\\\\b\\tc\uFFFDd\u0081\u008d\u008f\u0090\u009de\u20ac\u00fc\"\t\tFehler: "
                     "Unbekanntes Feld\n");

    R = Run({"--json", Path});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "{\"line\":1,\"feldart\":6220,\"kennung\":\"6220\",\"inhalt\":"
                     "\"a\\\\b\\tc\uFFFDd\u0081\u008d\u008f\u0090\u009de\u20ac"
                     "\u00fc\\\"\",\"comment\":\"\",\"name\":\"Fehler: Unbekanntes Feld\"}\n");

    // Other control characters: raw in TSV, \u escapes in JSON.
    const std::string Ctl = Write("ctl.ldt", XdtLine("6220", "x\x01y\x1Bz\x7F"));
    EXPECT_EQ(Run({Ctl}).Out, "1\t6220\tx\x01y\x1Bz\x7F\t\tFehler: Unbekanntes Feld\n");
    EXPECT_EQ(Run({"--json", Ctl}).Out,
              "{\"line\":1,\"feldart\":6220,\"kennung\":\"6220\",\"inhalt\":\"x\\u0001y"
              "\\u001bz\x7F\",\"comment\":\"\",\"name\":\"Fehler: Unbekanntes Feld\"}\n");
}

TEST_F(DumpTest, ConvertsWithTheDeclaredOrTheChosenCharacterSet) {
    // 7-bit code: "}" is u-umlaut; ISO 8859-1 does not allow "}", which shows as U+FFFD.
    const std::string Path = Write("7bit.ldt", XdtLine("9106", "1") + XdtLine("3101", "M}ller"));
    TRun R = Run({Path});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(Lines(R.Out)[0], "1\t9106\t1\t7-bit-Code\tverwendeter Zeichensatz");
    EXPECT_EQ(Lines(R.Out)[1], "2\t3101\tM\u00fcller\t\tName");
    EXPECT_EQ(Lines(R.Err).back(), "Zeichensatz: \"7-bit-Code\"");
    EXPECT_EQ(Lines(Run({"--codierung", "0", Path}).Out)[1], "2\t3101\tM}ller\t\tName");
    EXPECT_EQ(Lines(Run({"--codierung=3", Path}).Out)[1], "2\t3101\tM\uFFFDller\t\tName");
    // The summary names the declared set, not the chosen one.
    EXPECT_EQ(Lines(Run({"--codierung", "3", "--summary", Path}).Out)[2], "Zeichensatz: \"7-bit-Code\"");
}

TEST_F(DumpTest, JsonLines) {
    const TRun R = Run(
        {"--json", Write("lab.ldt", XdtLine("8000", "8220") + XdtLine("9401", "4") + XdtLine("3110", "M"))});
    EXPECT_EQ(R.Status, 0) << R.Err;
    const std::vector<std::string> L = Lines(R.Out);
    ASSERT_EQ(L.size(), 3u);
    EXPECT_EQ(
        L[0],
        "{\"line\":1,\"feldart\":8000,\"kennung\":\"8000\",\"inhalt\":\"8220\",\"comment\":\"L-Datenpaket-"
        "Header\",\"name\":\"Satzart\"}");
    // Inner quotes of a comment and of a field name.
    EXPECT_EQ(
        L[1],
        "{\"line\":2,\"feldart\":9401,\"kennung\":\"9401\",\"inhalt\":\"4\",\"comment\":\"Angabe \\\"Zone "
        "bei Besuchen\\\" nur einmal je SA \\\"010x\\\"\",\"name\":\"Handhabung \\\"\u00dcbertragung "
        "Doppelkilometer (DKM, FK 5008) bzw. Wegepauschale nach E-GO\\\" bei Ersatzkassen\"}");
    EXPECT_EQ(
        L[2],
        "{\"line\":3,\"feldart\":3110,\"kennung\":\"3110\",\"inhalt\":\"M\",\"comment\":\"m\u00e4nnlich\","
        "\"name\":\"Geschlecht\"}");
    EXPECT_EQ(Lines(R.Err).front(), "Zeilen: 3");
}

TEST_F(DumpTest, SummaryOnly) {
    // 1536 bytes: the size text switches to KB with German separators.
    std::string F = XdtLine("8000", "8220") + XdtLine("9106", "3");
    F += XdtLine("6220", std::string(1536 - F.size() - 9, 'x'));
    ASSERT_EQ(F.size(), 1536u);
    TRun R = Run({"--summary", Write("s.ldt", F)});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out,
              "Zeilen: 3\nDateigr\u00f6\u00dfe: 1,50 KB (1.536 Byte)\nZeichensatz: \"ISO 8859-1 Code\"\n");
    EXPECT_EQ(R.Err, "");

    // A number that names no character set leaves the third line empty; 0 counts as none declared.
    R = Run({"--summary", Write("s7.ldt", XdtLine("9106", "7"))});
    EXPECT_EQ(R.Out, "Zeilen: 1\nDateigr\u00f6\u00dfe: 10 Byte\n\n");
    R = Run({"--summary", Write("s0.ldt", XdtLine("9106", "0"))});
    EXPECT_EQ(Lines(R.Out)[2], "Zeichensatz: Nicht vorhanden");
}

TEST_F(DumpTest, EmptyFileIsReadWhole) {
    TRun R = Run({Write("empty.ldt", "")});
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err, "Zeilen: 0\nDateigr\u00f6\u00dfe: 0 Byte\nZeichensatz: Nicht vorhanden\n");
    R = Run({"--json", Write("empty.ldt", "")});
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "");
}

TEST_F(DumpTest, InvalidLineStopsWithStatusOne) {
    // Physical line 4 is too short to be a field line.
    const std::string F = XdtLine("8000", "8220") + XdtLine("3101", "Muster") + XdtLine("3102", "Erika") +
                          "01x\r\n" + XdtLine("3103", "01011970");
    TRun R = Run({Write("bad.ldt", F)});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(Lines(R.Out),
              (std::vector<std::string>{"1\t8000\t8220\tL-Datenpaket-Header\tSatzart",
                                        "2\t3101\tMuster\t\tName", "3\t3102\tErika\t\tVorname"}));
    const std::vector<std::string> E = Lines(R.Err);
    ASSERT_FALSE(E.empty());
    EXPECT_EQ(E.back(), "Ung\u00fcltige Zeile in XDT-Datei: Zeile 4");

    // An identifier that is not a number.
    R = Run({"--json", Write("bad2.ldt", XdtLine("8000", "8220") + "01380A08220\r\n")});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(Lines(R.Out).size(), 1u);
    EXPECT_EQ(Lines(R.Err).back(), "Ung\u00fcltige Zeile in XDT-Datei: Zeile 2");

    R = Run({"--summary", Write("bad3.ldt", "01x\r\n" + XdtLine("8000", "8220"))});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(Lines(R.Out).front(), "Zeilen: 0");
    EXPECT_EQ(Lines(R.Err).back(), "Ung\u00fcltige Zeile in XDT-Datei: Zeile 1");
}

TEST_F(DumpTest, WrongUsageGivesStatusTwo) {
    const std::string Good = Write("lab.ldt", LabFile());
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {},
             {Good, Good},
             {"--jsn", Good},
             {"-x", Good},
             {Good, "--codierung"},
             {"--codierung", "5", Good},
             {"--codierung", "-1", Good},
             {"--codierung", "2x", Good},
             {"--codierung=", Good},
         }) {
        const TRun R = Run(Args);
        EXPECT_EQ(R.Status, 2) << ::testing::PrintToString(Args);
        EXPECT_EQ(R.Out, "") << ::testing::PrintToString(Args);
        EXPECT_NE(R.Err.find("Aufruf: ostrel-dump"), std::string::npos) << ::testing::PrintToString(Args);
    }
    // Options may follow the file; "--" ends the options.
    EXPECT_EQ(Run({Good, "--summary"}).Status, 0);
    const std::string Dashed = Write("-lab.ldt", LabFile());
    EXPECT_EQ(Run({"--summary", "--", Dashed}).Status, 0);
    const TRun Help = Run({"--help"});
    EXPECT_EQ(Help.Status, 0);
    EXPECT_NE(Help.Out.find("Aufruf: ostrel-dump"), std::string::npos);
}

TEST_F(DumpTest, PathsThatAreNoReadableFile) {
    const std::string Missing = (Dir / "missing.ldt").string();
    const std::string Fifo = (Dir / "pipe.ldt").string();
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    for (const std::string& P :
         {Missing, Dir.string(), Fifo, std::string("/dev/null"), std::string("/dev/zero")}) {
        const TRun R = Run({P});
        EXPECT_EQ(R.Status, 2) << P;
        EXPECT_EQ(R.Out, "") << P;
        EXPECT_NE(R.Err.find("\"" + P + "\""), std::string::npos) << P << ": " << R.Err;
    }
    EXPECT_NE(Run({Dir.string()}).Err.find("Ordner"), std::string::npos);
    EXPECT_NE(Run({Fifo}).Err.find("FIFO"), std::string::npos);

    if (::geteuid() != 0) { // root reads anything
        const std::string Locked = Write("locked.ldt", LabFile());
        ::chmod(Locked.c_str(), 0);
        const TRun R = Run({Locked});
        EXPECT_EQ(R.Status, 2);
        EXPECT_NE(R.Err.find(Locked), std::string::npos);
    }
}

TEST_F(DumpTest, LongOutputAndLongContentAreWrittenWhole) {
    // Far more output than any buffer, and one content longer than a conversion slice.
    std::string F;
    const int N = 50000;
    for (int I = 0; I < N; ++I) F += XdtLine("3101", "Name" + std::to_string(I));
    const std::string Long(20000, '\\');
    F += XdtLine("6220", Long);
    const TRun R = Run({Write("big.ldt", F)});
    EXPECT_EQ(R.Status, 0) << R.Err;
    const std::vector<std::string> L = Lines(R.Out);
    ASSERT_EQ(L.size(), size_t(N + 1));
    for (int I = 0; I < N; ++I)
        ASSERT_EQ(L[size_t(I)], std::to_string(I + 1) + "\t3101\tName" + std::to_string(I) + "\t\tName");
    std::string Escaped;
    for (size_t I = 0; I < Long.size(); ++I) Escaped += "\\\\";
    EXPECT_EQ(L.back(), std::to_string(N + 1) + "\t6220\t" + Escaped + "\t\tFehler: Unbekanntes Feld");
}

TEST_F(DumpTest, FileCutShortWhileWritingIsNoSuccess) {
    // Far more rows than the pipe and the tool's buffer hold: the tool waits on the full pipe while the
    // file is truncated, and the rest of its rows come from vanished pages.
    std::string F;
    for (int I = 0; I < 40000; ++I) F += XdtLine("3101", "Name" + std::to_string(I));
    const std::string Path = Write("cut.ldt", F);
    int Pipe[2];
    ASSERT_EQ(::pipe(Pipe), 0);
    const fs::path ErrF = Dir / "stderr.txt";
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        const int Err = ::open(ErrF.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(Pipe[1], 1);
        ::dup2(Err, 2);
        ::close(Pipe[0]);
        ::execl(DumpBin, DumpBin, Path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(Pid, 0);
    ::close(Pipe[1]);
    pollfd P{Pipe[0], POLLIN, 0};
    ASSERT_EQ(::poll(&P, 1, 30000), 1); // the rows have begun, so the file is loaded
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(::truncate(Path.c_str(), 0), 0);
    std::string Out;
    char Buf[65536];
    for (;;) {
        if (::poll(&P, 1, 30000) != 1) {
            ::kill(Pid, SIGKILL);
            break;
        }
        const ssize_t N = ::read(Pipe[0], Buf, sizeof Buf);
        if (N <= 0) break;
        Out.append(Buf, size_t(N));
    }
    ::close(Pipe[0]);
    int St = 0;
    ::waitpid(Pid, &St, 0);
    ASSERT_TRUE(WIFEXITED(St));
    EXPECT_EQ(WEXITSTATUS(St), 1);
    const std::vector<std::string> L = Lines(Out);
    ASSERT_EQ(L.size(), 40000u);
    EXPECT_EQ(L[0], "1\t3101\tName0\t\tName");
    EXPECT_NE(L.back().find("\uFFFD"), std::string::npos);
    EXPECT_NE(ReadAll(ErrF).find("gek\u00fcrzt"), std::string::npos);
}

// What the tool prints for every bundled sample, byte for byte as recorded in tests/data/dump by
// scripts/dump-golden.sh: rows, status texts, messages and exit status in each output form.
TEST_F(DumpTest, EveryBundledSamplePrintsItsRecordedOutput) {
    const fs::path Samples = fs::path(OSTREL_TEST_DATA) / "samples";
    const fs::path Expected = fs::path(OSTREL_TEST_DATA) / ".." / "tests" / "data" / "dump";
    int Checked = 0;
    for (const fs::directory_entry& E : fs::directory_iterator(Samples)) {
        const std::string Name = E.path().filename().string();
        if (Name == "CREDITS.md") continue;
        for (const auto& [Mode, Args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
                 {"tsv", {}}, {"json", {"--json"}}, {"summary", {"--summary"}}}) {
            std::vector<std::string> A = Args;
            A.push_back(E.path().string());
            const TRun R = Run(A);
            const fs::path Base = Expected / (Name + "." + Mode);
            ASSERT_TRUE(fs::exists(Base)) << Base << ": run scripts/dump-golden.sh for a new sample";
            EXPECT_EQ(R.Out, ReadAll(Base)) << Name << " " << Mode;
            EXPECT_EQ(R.Err + "exit " + std::to_string(R.Status) + "\n", ReadAll(Base.string() + ".err"))
                << Name << " " << Mode;
            ++Checked;
        }
    }
    EXPECT_GE(Checked, 3 * 20);
}

// The extended program on today's files: the format line of the summary, and a name for every field
// line of the LDT 3, GDT and BDT samples but the few identifiers that no table knows.
TEST_F(DumpTest, ModernNamesEveryFieldOfTodaysSamples) {
    const fs::path Samples = fs::path(OSTREL_TEST_DATA) / "samples";
    const std::vector<std::pair<std::string, std::string>> Formats = {
        {"egore-libldt3__person-19900204.ldt", "Format: LDT 3"},
        {"healthmetrix-libldt3__3.2.4-with-bak.ldt", "Format: LDT 3.2.4"},
        {"labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt", "Format: LDT 3.2.4"},
        {"pygdt__test.gdt", "Format: GDT 2.10"},
        {"levinalex-xdt__example4.bdt.txt", "Format: BDT 02/94"},
        {"vscode-gdt-extension__Message.gdt", "Format: GDT 3.01"},
        {"py_kvdt__Z05123456699_27.10.2023_12.00.con", "Format: KVDT"},
    };
    for (const auto& [Name, Format] : Formats) {
        const TRun R = RunModern({"--summary", (Samples / Name).string()});
        const std::vector<std::string> L = Lines(R.Out);
        ASSERT_EQ(L.size(), 4u) << Name;
        EXPECT_EQ(L[3], Format) << Name;
    }
    // With the classic switch the summary keeps its three lines.
    EXPECT_EQ(Lines(Run({"--summary", (Samples / Formats[0].first).string()}).Out).size(), 3u);

    // 0363 is the broken line "012 3632079" of the corrupt sample, read with a blank in its header.
    const std::set<std::string> Unnamed = {"0363", "3632", "3638", "3752", "9211"};
    int Rows = 0;
    for (const fs::directory_entry& E : fs::directory_iterator(Samples)) {
        const std::string Name = E.path().filename().string();
        if (Name == "CREDITS.md" || Name.find("py_kvdt") != std::string::npos) continue;
        for (const std::string& Row : Lines(RunModern({E.path().string()}).Out)) {
            ++Rows;
            const std::vector<std::string> Cells = [&] {
                std::vector<std::string> C;
                std::stringstream S(Row);
                for (std::string Cell; std::getline(S, Cell, '\t');) C.push_back(Cell);
                return C;
            }();
            ASSERT_EQ(Cells.size(), 5u) << Name << ": " << Row;
            if (Cells[4] == "Fehler: Unbekanntes Feld")
                EXPECT_TRUE(Unnamed.count(Cells[1])) << Name << ": " << Row;
        }
    }
    EXPECT_GT(Rows, 2000);
}

// Embedded documents written into a folder: named from the record, never over an existing file,
// never outside the folder; a damaged one is reported and leaves nothing behind.
TEST_F(DumpTest, AttachmentsAreWrittenIntoTheFolder) {
    auto Attachment = [](const std::vector<std::string>& Data) {
        std::string S = XdtLine("8002", "Obj_0010") + XdtLine("9970", "100") +
                        XdtLine("8242", "base64-kodierte_Anlage") + XdtLine("8002", "Obj_0068");
        for (const std::string& D : Data) S += XdtLine("6329", D);
        return S + XdtLine("8003", "Obj_0068") + XdtLine("6303", "PDF") + XdtLine("8003", "Obj_0010");
    };
    // "JVBERi0x" is "%PDF-1"; the order number tries to climb out of the folder.
    const std::string File =
        Write("a.ldt", XdtLine("8000", "8205") + XdtLine("8311", "../../evil") +
                           Attachment({"JVBERi0x", "TWFu"}) + XdtLine("8001", "8205") +
                           XdtLine("8000", "8205") + Attachment({"JVBE*i0x"}) + XdtLine("8001", "8205"));
    const fs::path Out = Dir / "out";
    fs::create_directories(Out);
    const TRun R = RunModern({"--attachments", Out.string(), File});
    EXPECT_EQ(R.Status, 1); // the second one is damaged
    const std::vector<std::string> L = Lines(R.Out);
    ASSERT_EQ(L.size(), 1u) << R.Out;
    EXPECT_EQ(L[0], "3\tPDF\t9\t" + (Out / "Befund_______evil_1.pdf").string());
    EXPECT_EQ(ReadAll(Out / "Befund_______evil_1.pdf"), "%PDF-1Man");
    EXPECT_NE(
        R.Err.find(
            "Zeile 14: Der eingebettete Anhang ist besch\u00e4digt: ung\u00fcltiges Base64 in Zeile 18."),
        std::string::npos)
        << R.Err;
    EXPECT_EQ(std::distance(fs::directory_iterator(Out), fs::directory_iterator()), 1);

    // A second run keeps the first file and writes beside it.
    const TRun Again = RunModern({"--attachments", Out.string(), File});
    EXPECT_EQ(Lines(Again.Out).at(0), "3\tPDF\t9\t" + (Out / "Befund_______evil_1-2.pdf").string());
    EXPECT_EQ(ReadAll(Out / "Befund_______evil_1.pdf"), "%PDF-1Man");

    EXPECT_EQ(RunModern({"--attachments", (Dir / "missing").string(), File}).Status, 2);

    // The extended JSON rows tell each line's depth and innermost object.
    const std::vector<std::string> Json = Lines(RunModern({"--json", File}).Out);
    EXPECT_NE(Json.at(0).find(",\"depth\":0,\"object\":null}"), std::string::npos) << Json[0];
    EXPECT_NE(Json.at(3).find(",\"depth\":1,\"object\":\"Obj_0010\"}"), std::string::npos) << Json[3];
    EXPECT_NE(Json.at(6).find(",\"depth\":2,\"object\":\"Obj_0068\"}"), std::string::npos) << Json[6];
    EXPECT_EQ(Lines(Run({"--json", File}).Out).at(3).find("depth"), std::string::npos);
}

namespace {
// A small LDT 2 laboratory package whose record lengths and package length are right.
std::string CleanLdt2() {
    auto Record = [](const std::string& SatzArt, const std::string& Rest) {
        char Len[16];
        std::snprintf(Len, sizeof Len, "%05zu", 13 + 14 + Rest.size());
        return XdtLine("8000", SatzArt) + XdtLine("8100", Len) + Rest;
    };
    const std::string Head = Record("8220", XdtLine("9212", "LDT1014.01") + XdtLine("9106", "3")) +
                             Record("8201", XdtLine("3101", "A"));
    char Total[16];
    std::snprintf(Total, sizeof Total, "%08zu", Head.size() + 13 + 14 + 17);
    return Head + Record("8221", XdtLine("9202", Total));
}
} // namespace

TEST_F(DumpTest, CheckPrintsOneProblemPerLineAndASummary) {
    // Line 7 states 12 bytes for a line of 10, line 8 names a field no LDT 2 table knows.
    std::string F = CleanLdt2();
    F.replace(F.find("0103101A"), 3, "012");
    F.insert(F.find("0138000"
                    "8221"),
             XdtLine("1234", "x"));
    // The record and package lengths now miss the inserted line: two more errors.
    const std::string P = Write("lab.ldt", F);
    TRun R = Run({"--check", P});
    EXPECT_EQ(R.Status, 1) << R.Err;
    EXPECT_EQ(Lines(R.Out),
              (std::vector<std::string>{
                  "6\tFehler\tsatz\tSatzl\u00e4nge 00037, der Satz \"8201\" hat 47 Byte (mit CR LF)",
                  "7\tFehler\tlaenge\tL\u00e4ngenangabe 012, die Zeile hat 10 Byte (mit CR LF)",
                  "8\tWarnung\tunbekannt\tFeldkennung 1234 ist f\u00fcr LDT 2 nicht bekannt",
                  "11\tFehler\tpaketlaenge\tGesamtl\u00e4nge 00000137, das Datenpaket ab Zeile 1 "
                  "hat 147 Byte (mit CR LF)",
                  "Dateien: 1, mit Fehlern: 1, Fehler: 3, Warnungen: 1",
              }));
    EXPECT_EQ(R.Err, "");

    R = Run({"--check", "--json", P});
    EXPECT_EQ(R.Status, 1);
    const std::vector<std::string> J = Lines(R.Out);
    ASSERT_EQ(J.size(), 5u);
    EXPECT_EQ(J[1],
              "{\"line\":7,\"offset\":" + std::to_string(F.find("0123101A")) +
                  ",\"severity\":\"Fehler\",\"code\":\"laenge\",\"message\":\"L\u00e4ngenangabe 012, die "
                  "Zeile hat 10 Byte (mit CR LF)\"}");
    EXPECT_EQ(J[4], "{\"files\":1,\"files_with_errors\":1,\"errors\":3,\"warnings\":1,\"unreadable\":0}");
}

TEST_F(DumpTest, CheckExitStatus) {
    // No problem at all; warnings only; an error.
    const TRun Clean = Run({"--check", Write("clean.ldt", CleanLdt2())});
    EXPECT_EQ(Clean.Status, 0) << Clean.Out;
    EXPECT_EQ(Lines(Clean.Out),
              (std::vector<std::string>{"Dateien: 1, mit Fehlern: 0, Fehler: 0, Warnungen: 0"}));
    std::string Warn = CleanLdt2();
    Warn.replace(Warn.find("LDT1014.01"), 10, "LDT9999.01");
    EXPECT_EQ(Run({"--check", Write("warn.ldt", Warn)}).Status, 0);
    EXPECT_EQ(Run({"--check", Write("bad.ldt", "01x3101abc\r\n")}).Status, 1);
    // A path that cannot be read: said on standard error, the others still checked, status 2.
    const TRun Missing = Run({"--check", (Dir / "missing.ldt").string(), (Dir / "bad.ldt").string()});
    EXPECT_EQ(Missing.Status, 2);
    EXPECT_NE(Missing.Err.find("missing.ldt\": Datei nicht gefunden"), std::string::npos) << Missing.Err;
    EXPECT_EQ(Lines(Missing.Out).back(),
              "Dateien: 1, mit Fehlern: 1, Fehler: 1, Warnungen: 0, nicht lesbar: 1");
    // Options that do not go with it.
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {"--check"}, {"--check", "--summary", "x"}, {"--check", "--codierung", "1", "x"}}) {
        const TRun U = Run(Args);
        EXPECT_EQ(U.Status, 2) << ::testing::PrintToString(Args);
        EXPECT_NE(U.Err.find("ostrel-dump --check"), std::string::npos);
    }
}

// Files and folders, folders with their subfolders, in the order of the arguments and of the names;
// each problem named with its file; hidden files left out.
TEST_F(DumpTest, CheckFilesAndFoldersInAStableOrder) {
    fs::create_directories(Dir / "docs" / "sub");
    Write("docs/b.ldt", "01x3101abc\r\n");
    Write("docs/a.ldt", CleanLdt2());
    Write("docs/sub/c.ldt", XdtLine("8000", "8220") + "\r\n" + XdtLine("8000", "8221"));
    Write("docs/.hidden.ldt", "garbage");
    Write("single.ldt", "01x3101abc\r\n");
    const std::string D = (Dir / "docs").string(), S = (Dir / "single.ldt").string();
    for (int Round = 0; Round < 3; ++Round) { // the two workers may finish in any order
        const TRun R = Run({"--check", S, D});
        EXPECT_EQ(R.Status, 1);
        EXPECT_EQ(
            Lines(R.Out),
            (std::vector<std::string>{
                S + "\t1\tFehler\tkopf\tL\u00e4ngenangabe \"01x\" besteht nicht aus drei Ziffern",
                D + "/b.ldt\t1\tFehler\tkopf\tL\u00e4ngenangabe \"01x\" besteht nicht aus drei Ziffern",
                D + "/sub/c.ldt\t1\tWarnung\tsatz\tSatz \"8220\" ohne Satzl\u00e4nge 8100",
                D + "/sub/c.ldt\t2\tFehler\tleerzeile\tLeere Zeile",
                D + "/sub/c.ldt\t3\tWarnung\tsatz\tSatz \"8221\" ohne Satzl\u00e4nge 8100",
                D + "/sub/c.ldt\t3\tWarnung\tpaketlaenge\tDatenpaket-Abschluss 8221 ohne Gesamtl\u00e4nge "
                    "9202",
                "Dateien: 4, mit Fehlern: 3, Fehler: 3, Warnungen: 3",
            }));
    }
    // JSON names the file too.
    const TRun J = Run({"--check", "--json", D});
    EXPECT_EQ(Lines(J.Out)[0].rfind("{\"file\":\"" + D + "/b.ldt\",\"line\":1,", 0), 0u) << J.Out;
}

// Many files: both workers busy, the output still whole and in order.
TEST_F(DumpTest, CheckManyFiles) {
    fs::create_directories(Dir / "many");
    for (int I = 0; I < 150; ++I) {
        char Name[32];
        std::snprintf(Name, sizeof Name, "many/f%03d.ldt", I);
        Write(Name, I % 3 == 0 ? std::string("01x3101abc\r\n") : CleanLdt2());
    }
    const TRun R = Run({"--check", (Dir / "many").string()});
    EXPECT_EQ(R.Status, 1);
    const std::vector<std::string> L = Lines(R.Out);
    ASSERT_EQ(L.size(), 51u);
    for (int I = 0; I < 50; ++I) {
        char Name[32];
        std::snprintf(Name, sizeof Name, "/f%03d.ldt\t1\t", I * 3);
        EXPECT_NE(L[size_t(I)].find(Name), std::string::npos) << L[size_t(I)];
    }
    EXPECT_EQ(L.back(), "Dateien: 150, mit Fehlern: 50, Fehler: 50, Warnungen: 0");
}

TEST_F(DumpTest, TolerantReadsPastInvalidLines) {
    const std::string F =
        XdtLine("8000", "8220") + "\r\n" + "Dies ist keine Zeile\r\n" + XdtLine("3101", "A");
    const std::string P = Write("t.ldt", F);
    TRun R = Run({"--tolerant", P});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(Lines(R.Out),
              (std::vector<std::string>{"1\t8000\t8220\tL-Datenpaket-Header\tSatzart",
                                        "2\t????\tDies ist keine Zeile\t\t", "3\t3101\tA\t\tName"}));
    EXPECT_EQ(Lines(R.Err).back(),
              "1 ung\u00fcltige Zeile gelesen, die erste in Zeile 3; 1 leere Zeile \u00fcbersprungen");
    R = Run({"--tolerant", "--json", P});
    EXPECT_EQ(Lines(R.Out)[1],
              "{\"line\":2,\"feldart\":null,\"kennung\":\"????\",\"inhalt\":\"Dies ist keine "
              "Zeile\",\"comment\":\"\",\"name\":\"\"}");
    // A file without invalid lines reads as without the option.
    EXPECT_EQ(Run({"--tolerant", Write("ok.ldt", CleanLdt2())}).Status, 0);
}
