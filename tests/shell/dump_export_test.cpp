// ostrel-dump's export modes as a user runs them: CSV of the lines and of the results, and the
// anonymised copy.
#include "TestUtil.h"

#include "DumpRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using testutil::TempDir;
using testutil::XdtLine;

namespace {

using TResult = dumprun::TRun;
using dumprun::ReadAll;

TResult Dump(const TempDir& D, const std::vector<std::string>& Args) {
    return dumprun::RunDump(D.Path(), Args);
}

const std::string E1 = std::string(OSTREL_TEST_DATA) + "/samples/levinalex-xdt__e1.ldt";

size_t Rows(const std::string& Csv) {
    size_t N = 0;
    for (size_t P = 0; (P = Csv.find("\r\n", P)) != std::string::npos; P += 2) ++N;
    return N;
}

} // namespace

TEST(DumpExport, CsvOfTheLinesAndOfTheResults) {
    TempDir D;
    TResult R = Dump(D, {"--csv", E1});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_TRUE(R.Out.starts_with("\xEF\xBB\xBFZeile;Feldkennung;Inhalt;Kommentar;Feldname\r\n"
                                  "1;8000;8230;P-Datenpaket-Header;Satzart\r\n"))
        << R.Out.substr(0, 200);
    EXPECT_EQ(Rows(R.Out), 38u);
    EXPECT_NE(R.Err.find("Zeilen: 37"), std::string::npos);
    // The classic program's texts; the character set as --codierung says.
    R = Dump(D, {"--klassisch", "--csv", "--codierung", "0", E1});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Out.find("\r\n18;8460;\\t<\\t2.5;;Normalwert-Text\r\n"), std::string::npos) << R.Out;

    for (const std::vector<std::string>& Args : {std::vector<std::string>{"--csv", "--befundtabelle", E1},
                                                 std::vector<std::string>{"--befundtabelle", E1}}) {
        R = Dump(D, Args);
        EXPECT_EQ(R.Status, 0) << R.Err;
        EXPECT_TRUE(R.Out.starts_with("\xEF\xBB\xBFZeile;Patientennummer;Name;")) << R.Out;
        EXPECT_EQ(Rows(R.Out), 5u);
        EXPECT_NE(R.Out.find("\r\n15;98;;;;16305;;;TSH;TSH;1.46;mE/l;;"), std::string::npos) << R.Out;
    }

    // A file with an invalid line: the rows before it, then the message, status 1.
    const std::string Bad = D.Write("bad.ldt", XdtLine(8000, "8220") + XdtLine(3101, "Muster") + "01x\r\n" +
                                                   XdtLine(3102, "Erika"));
    R = Dump(D, {"--csv", Bad});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(Rows(R.Out), 3u);
    EXPECT_NE(R.Err.find("Zeile 3"), std::string::npos);
}

TEST(DumpExport, AnonymizedCopy) {
    TempDir D;
    const std::string In = D.Write("in.ldt", ReadAll(E1)), Out = D.File("out.ldt");
    // With the classic switch too: it only changes what is shown.
    TResult R = Dump(D, {"--klassisch", "--anonymize", Out, In});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_TRUE(R.Out.starts_with("Zeilen: 37\nErsetzte Felder: 5\n")) << R.Out;
    const std::string Copy = ReadAll(Out);
    EXPECT_EQ(Copy.find("Sierra"), std::string::npos);
    EXPECT_NE(Copy.find("9202"), std::string::npos);
    EXPECT_EQ(Dump(D, {"--summary", Out}).Status, 0);

    // Never over a file: the copy just written, the original, another name of it.
    R = Dump(D, {"--anonymize=" + Out, In});
    EXPECT_EQ(R.Status, 2);
    EXPECT_NE(R.Err.find("gibt es schon"), std::string::npos) << R.Err;
    EXPECT_EQ(ReadAll(Out), Copy);
    fs::create_symlink(In, D.File("link.ldt"));
    for (const std::string& Target : {In, D.File("link.ldt")}) {
        R = Dump(D, {"--anonymize", Target, In});
        EXPECT_EQ(R.Status, 2);
        EXPECT_NE(R.Err.find("Originaldatei"), std::string::npos) << R.Err;
    }
    EXPECT_EQ(ReadAll(In), ReadAll(E1));

    // A file read only in part gets no copy.
    const std::string Bad = D.Write("bad.ldt", XdtLine(8000, "8220") + XdtLine(3101, "Muster") + "01x\r\n" +
                                                   XdtLine(3102, "Erika"));
    R = Dump(D, {"--anonymize", D.File("bad-copy.ldt"), Bad});
    EXPECT_EQ(R.Status, 1);
    EXPECT_FALSE(fs::exists(D.File("bad-copy.ldt")));
}

TEST(DumpExport, WrongUsage) {
    TempDir D;
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {"--csv", "--json", E1},
             {"--csv", "--summary", E1},
             {"--klassisch", "--befundtabelle", E1},
             {"--anonymize"},
             {"--anonymize=", E1},
             {"--anonymize", D.File("x.ldt"), "--csv", E1},
             {"--anonymize", D.File("x.ldt"), "--codierung", "3", E1},
         }) {
        const TResult R = Dump(D, Args);
        EXPECT_EQ(R.Status, 2) << ::testing::PrintToString(Args);
        EXPECT_NE(R.Err.find("Aufruf: ostrel-dump"), std::string::npos) << ::testing::PrintToString(Args);
    }
    const TResult Help = Dump(D, {"--help"});
    EXPECT_NE(Help.Out.find("--csv [--befundtabelle]"), std::string::npos);
    EXPECT_NE(Help.Out.find("--anonymize ZIEL"), std::string::npos);
}
