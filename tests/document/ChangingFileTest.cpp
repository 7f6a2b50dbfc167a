// Files that other programs change while they are shown.
#include "TestUtil.h"
#include "document/XDTPtrList.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

using testutil::TempDir;
using testutil::XdtLine;

namespace {
std::string ManyLines(int N) {
    std::string B;
    for (int I = 0; I < N; ++I) B += XdtLine(3000 + I % 100, "Inhalt " + std::to_string(I));
    return B;
}
} // namespace

TEST(ChangingFile, TruncatedWhileShownReadsAsNul) {
    TempDir D;
    const std::string Bytes = ManyLines(20000); // several pages
    const std::string Path = D.Write("f.ldt", Bytes);
    TFileXDTPtrList L;
    LoadXDTFile(L, Path);
    ASSERT_EQ(L.Count(), 20000);
    for (const off_t NewSize : {off_t(Bytes.size() / 2), off_t(0)}) {
        ASSERT_EQ(::truncate(Path.c_str(), NewSize), 0);
        size_t Nul = 0;
        for (int I = 0; I < L.Count(); ++I)
            for (char C : L.Inhalt(I)) Nul += C == 0;
        EXPECT_GT(Nul, 0u);
        EXPECT_TRUE(L.FileTruncated());
    }
    // The first line vanished too: it reads as NUL bytes of the same length.
    EXPECT_EQ(L.Inhalt(0), std::string(L.Items(0).InhaltLen, '\0'));
}

TEST(ChangingFile, TruncatedWhileLoading) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", ManyLines(50000));
    struct TruncatingList : TFileXDTPtrList {
        std::string Path;
        bool Done = false;
        void Grow() override {
            if (Capacity() >= 1000 && !Done) Done = ::truncate(Path.c_str(), 4096) == 0;
            TFileXDTPtrList::Grow();
        }
    } L;
    L.Path = Path;
    // The vanished rest reads as NUL bytes, which make no valid line; the lines before stay.
    EXPECT_THROW(LoadXDTFile(L, Path), EXDTInvalidLine);
    EXPECT_GT(L.Count(), 100);
    EXPECT_LT(L.Count(), 50000);
    EXPECT_TRUE(L.FileTruncated());
    // A new load reads the file as it is now, and the guard starts afresh.
    ASSERT_EQ(::truncate(Path.c_str(), 0), 0);
    D.Write("f.ldt", XdtLine(8000, "8220"));
    LoadXDTFile(L, Path);
    EXPECT_EQ(L.Count(), 1);
    EXPECT_FALSE(L.FileTruncated());
}

TEST(ChangingFile, ReplacedByRenameKeepsTheOldImage) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", XdtLine(8000, "8220"));
    TFileXDTPtrList L;
    LoadXDTFile(L, Path);
    const std::string Other = D.Write("g.ldt", XdtLine(8000, "0101") + XdtLine(3000, "x"));
    std::filesystem::rename(Other, Path);
    EXPECT_EQ(L.Inhalt(0), "8220");
    LoadXDTFile(L, Path);
    EXPECT_EQ(L.Inhalt(0), "0101");
    EXPECT_EQ(L.Count(), 2);
}

TEST(ChangingFileDeathTest, FaultsOutsideOurViewsStillCrash) {
    // The guard repairs only registered views: any other bus error keeps its usual end.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            TempDir D;
            TFileXDTPtrList L;
            LoadXDTFile(L, D.Write("f.ldt", XdtLine(8000, "8220")));
            ::raise(SIGBUS);
        },
        "");
}
