// The build step that turns the supplement's TSV files into C++ tables, run on small files of our
// own: the Windows-1252 escapes it writes, and that it stops the build on bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const Script = OSTREL_TEST_DATA "/../src/catalogue/GenerateCatalogueTables.cmake";

struct TRun {
    int Status = -1;
    std::string Output; // what cmake printed, white space collapsed
    std::string Felder; // the generated field table
};

class GenerateCatalogueTables : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("cmake --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no cmake on the path";
        static int Counter = 0;
        Dir = fs::temp_directory_path() /
              ("ostrel-gen-" + std::to_string(getpid()) + "-" + std::to_string(++Counter));
        fs::create_directories(Dir / "data");
        fs::create_directories(Dir / "out");
        Files = {{"feldnamen-ergaenzung.tsv", "0001\tVersion XDT\tLDT3,BDT\tX\n"},
                 {"satzarten-ergaenzung.tsv", "8205\tBefund\tLDT3\tX\n"},
                 {"ldt3-objekte.tsv", "Obj_0032\tObj_Kopfdaten\tLDT3\tX\n"},
                 {"ldt3-werte.tsv", "7420\t07\tLaborarzt/Befundersteller\tX\n"}};
    }
    void TearDown() override {
        std::error_code Ignored;
        if (!Dir.empty()) fs::remove_all(Dir, Ignored);
    }

    TRun Run() {
        for (const auto& [Name, Text] : Files) std::ofstream(Dir / "data" / Name, std::ios::binary) << Text;
        const std::string Command = "cmake -DDATA_DIR=" + (Dir / "data").string() +
                                    " -DOUT_DIR=" + (Dir / "out").string() + " -P " + Script + " 2>&1";
        TRun R;
        if (FILE* P = popen(Command.c_str(), "r")) {
            char Buf[512];
            size_t N;
            while ((N = fread(Buf, 1, sizeof Buf, P)) > 0) R.Output.append(Buf, N);
            R.Status = pclose(P);
        }
        // CMake wraps its messages; one blank for every run of white space makes them searchable.
        std::string Flat;
        for (const char C : R.Output) {
            const bool Space = C == ' ' || C == '\n' || C == '\t';
            if (!Space)
                Flat += C;
            else if (Flat.empty() || Flat.back() != ' ')
                Flat += ' ';
        }
        R.Output = Flat;
        std::ifstream In(Dir / "out" / "XDTSupplementFeld.inc", std::ios::binary);
        std::stringstream S;
        S << In.rdbuf();
        R.Felder = S.str();
        return R;
    }

    fs::path Dir;
    std::map<std::string, std::string> Files;
};

} // namespace

TEST_F(GenerateCatalogueTables, WritesWindows1252Escapes) {
    Files["feldnamen-ergaenzung.tsv"] = "0001\tPreis in \u20AC\tBDT\tX\n"
                                        "0002\tGr\u00E4fe \u00E4\u00DF \"Ma\u00DF\"\tBDT\tX\n";
    const TRun R = Run();
    ASSERT_EQ(R.Status, 0) << R.Output;
    EXPECT_NE(R.Felder.find("\"Preis in \\x80\""), std::string::npos) << R.Felder;
    // An escape before a hex digit ends its literal; elsewhere it does not.
    EXPECT_NE(R.Felder.find("\"Gr\\xE4\" \"fe \\xE4\\xDF \\\"Ma\\xDF\\\"\""), std::string::npos) << R.Felder;
    // No leading zeros: 0001 would be octal.
    EXPECT_NE(R.Felder.find("{1, 0, 1, TSupplementConflict::None"), std::string::npos) << R.Felder;
}

TEST_F(GenerateCatalogueTables, JoinsConflictingMeaningsInLineOrder) {
    Files["feldnamen-ergaenzung.tsv"] = "0204\tArztgruppe\tBDT2\tX;conflict=meaning\n"
                                        "0204\tStatus\tLDT3,BDT3\tX;conflict=meaning\n"
                                        "8990\tSignatur\tGDT2,GDT3,BDT\tX;conflict=name\n"
                                        "8990\tNamenszeichen\tLDT3\tX;conflict=name\n";
    const TRun R = Run();
    ASSERT_EQ(R.Status, 0) << R.Output;
    EXPECT_NE(R.Felder.find("{204, 0, 2, TSupplementConflict::Meaning, \"\", \"Arztgruppe / Status\"}"),
              std::string::npos)
        << R.Felder;
    EXPECT_NE(R.Felder.find("{8990, 2, 2, TSupplementConflict::Name, \"Signatur\", \"\"}"), std::string::npos)
        << R.Felder;
}

TEST_F(GenerateCatalogueTables, StopsOnACharacterThatWindows1252CannotHold) {
    Files["ldt3-werte.tsv"] = "7273\tUTC+5\tx\tX\n7273\tUTC\u22125\ty\tX\n";
    const TRun R = Run();
    EXPECT_NE(R.Status, 0);
    EXPECT_NE(R.Output.find("ldt3-werte.tsv:2: a character that Windows-1252 cannot hold"), std::string::npos)
        << R.Output;
}

TEST_F(GenerateCatalogueTables, StopsOnInconsistentLines) {
    const std::map<std::string, std::string> Bad = {
        {"0001\tA\tLDT4\tX\n", "unknown family \"LDT4\""},
        {"0002\tA\tBDT\tX\n0001\tB\tBDT\tX\n", "out of order"},
        {"0001\tA\tBDT\tX\n0001\tB\tKVDT\tX\n", "has several lines but this one has no conflict mark"},
        {"0001\tA\tBDT\tX;conflict=name\n", "conflict mark on the only line"},
        {"0001\tA\tBDT\tX;conflict=name\n0001\tB\tBDT,KVDT\tX;conflict=name\n", "is on two lines"},
        {"0001\tA\tBDT\n", "3 columns instead of 4"},
        {"01\tA\tBDT\tX\n", "no four-digit identifier"},
    };
    for (const auto& [Text, Message] : Bad) {
        Files["feldnamen-ergaenzung.tsv"] = Text;
        const TRun R = Run();
        EXPECT_NE(R.Status, 0) << Text;
        EXPECT_NE(R.Output.find(Message), std::string::npos) << Text << R.Output;
    }
}
