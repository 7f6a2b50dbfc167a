#include "support/IniFile.h"
#include "TestUtil.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using testutil::TempDir;

namespace {
std::string ReadAll(const std::string& P) {
    std::ifstream F(P, std::ios::binary);
    std::stringstream S;
    S << F.rdbuf();
    return S.str();
}
} // namespace

TEST(IniFile, WritesKeysAsTheyAreAndReadsThemBack) {
    TempDir D;
    const std::string P = D.File("OSTREL.INI");
    {
        TIniFile Ini(P);
        Ini.WriteString("Options", "Font-Name", "Courier New");
        Ini.WriteInteger("Options", "Font-Size", 12);
        Ini.WriteBool("Options", "Font-Bold", true);
        Ini.WriteString("Options", "Last Directory", "C:\\Daten\\xdt files\\");
        Ini.WriteBool("Options", "Window Maximized", false);
        Ini.UpdateFile();
    }
    EXPECT_EQ(ReadAll(P), "[Options]\r\nFont-Name=Courier New\r\nFont-Size=12\r\nFont-Bold=1\r\n"
                          "Last Directory=C:\\Daten\\xdt files\\\r\nWindow Maximized=0\r\n");
    TIniFile Ini(P);
    EXPECT_EQ(Ini.ReadString("Options", "Last Directory", ""), "C:\\Daten\\xdt files\\");
    EXPECT_EQ(Ini.ReadString("options", "font-name", ""), "Courier New"); // names ignore case
    EXPECT_EQ(Ini.ReadInteger("Options", "Font-Size", 0), 12);
    EXPECT_TRUE(Ini.ReadBool("Options", "Font-Bold", false));
    EXPECT_FALSE(Ini.ReadBool("Options", "Window Maximized", true));
    EXPECT_TRUE(Ini.ReadBool("Options", "Missing", true));
}

TEST(IniFile, IntegerAndBooleanSyntax) {
    TempDir D;
    const std::string P =
        D.Write("a.ini", "[Options]\nA=0x1F\nB= 42 \nC=abc\nD=12abc\nE=-3\nF=2\nG=\nH=0xFFFFFFFF\n"
                         "I=99999999999\nJ=\"7\"\n");
    TIniFile Ini(P);
    EXPECT_EQ(Ini.ReadInteger("Options", "A", 0), 31);
    EXPECT_EQ(Ini.ReadInteger("Options", "B", 0), 42);
    EXPECT_EQ(Ini.ReadInteger("Options", "C", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("Options", "D", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("Options", "E", 0), -3);
    EXPECT_EQ(Ini.ReadInteger("Options", "G", 9), 9);
    EXPECT_EQ(Ini.ReadInteger("Options", "H", 0), -1);
    EXPECT_EQ(Ini.ReadInteger("Options", "I", 8), 8);
    EXPECT_EQ(Ini.ReadInteger("Options", "J", 0), 7);
    EXPECT_TRUE(Ini.ReadBool("Options", "F", false)); // any integer other than 0
    EXPECT_TRUE(Ini.ReadBool("Options", "E", false));
    EXPECT_TRUE(Ini.ReadBool("Options", "C", true)); // not an integer: the default
    EXPECT_FALSE(Ini.ReadBool("Options", "C", false));
}

TEST(IniFile, OtherSectionsKeysAndCommentsAreKept) {
    TempDir D;
    const std::string P =
        D.Write("a.ini", "; written by hand\n[Other]\nX=1\n\n[Options]\nFont-Size=10\nOwn=keep\n\n"
                         "[Last]\nY=2\n");
    TIniFile Ini(P);
    Ini.WriteInteger("Options", "Font-Size", 14);
    Ini.WriteString("Options", "Font-Name", "Liberation Mono");
    Ini.WriteString("New", "Z", "3");
    Ini.UpdateFile();
    EXPECT_EQ(ReadAll(P), "; written by hand\n[Other]\nX=1\n\n[Options]\nFont-Size=14\nOwn=keep\n"
                          "Font-Name=Liberation Mono\n\n[Last]\nY=2\n[New]\nZ=3\n");
}

TEST(IniFile, HostileFilesGiveDefaults) {
    TempDir D;
    std::string Binary(4096, '\0');
    for (size_t I = 0; I < Binary.size(); ++I) Binary[I] = char(I * 37);
    for (const std::string& Content :
         {Binary, std::string("[Options"), std::string("=\n[\n]=]\n[Options]\n=5\n"),
          std::string("[Options]\nFont-Size")}) {
        TIniFile Ini(D.Write("b.ini", Content));
        EXPECT_EQ(Ini.ReadInteger("Options", "Font-Size", 12), 12);
        Ini.WriteInteger("Options", "Font-Size", 9);
        EXPECT_EQ(Ini.ReadInteger("Options", "Font-Size", 12), 9);
    }
    // Too large: not read, and not replaced by what little would be known of it.
    const std::string Big =
        D.Write("big.ini", "[Options]\nFont-Size=8\n" + std::string(TIniFile::MaxFileSize, ';'));
    TIniFile Ini(Big);
    EXPECT_EQ(Ini.ReadInteger("Options", "Font-Size", 12), 12);
    EXPECT_THROW(Ini.UpdateFile(), Exception);
    EXPECT_EQ(std::filesystem::file_size(Big), 22 + size_t(TIniFile::MaxFileSize));
    // A folder and a device read as empty files.
    EXPECT_EQ(TIniFile(D.Path()).ReadInteger("Options", "A", 4), 4);
    EXPECT_EQ(TIniFile("/dev/zero").ReadInteger("Options", "A", 4), 4);
    // A value with a line break cannot make lines of its own.
    TIniFile W(D.File("w.ini"));
    W.WriteString("Options", "Last Directory", "a\r\n[Evil]\r\nb");
    EXPECT_EQ(W.Text(), "[Options]\r\nLast Directory=a  [Evil]  b\r\n");
}

TEST(IniFile, WriteFailureNamesThePathAndKeepsTheOldFile) {
    TempDir D;
    const std::string Folder = D.File("ro");
    std::filesystem::create_directory(Folder);
    const std::string P = Folder + "/OSTREL.INI";
    TIniFile Ini(P);
    Ini.WriteInteger("Options", "Font-Size", 12);
    Ini.UpdateFile();
    ::chmod(Folder.c_str(), 0555);
    if (::geteuid() == 0) {
        // root writes anywhere: make the target impossible instead (a folder in its place's way).
        ::chmod(Folder.c_str(), 0755);
        TIniFile Bad(D.Path() + "/missing/dir/OSTREL.INI");
        try {
            Bad.UpdateFile();
            FAIL();
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), "Unable to write to " + D.Path() + "/missing/dir/OSTREL.INI");
        }
        return;
    }
    Ini.WriteInteger("Options", "Font-Size", 14);
    try {
        Ini.UpdateFile();
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Unable to write to " + P);
    }
    EXPECT_EQ(ReadAll(P), "[Options]\r\nFont-Size=12\r\n");
}
