// The index's limits, reached with sparse files and a lowered capacity instead of gigabytes of data.
#include "TestUtil.h"
#include "document/XDTPtrList.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using testutil::TempDir;
using testutil::XdtLine;

namespace {
// A file of the given size whose first bytes are Head and the rest a hole (reads as NUL bytes).
std::string SparseFile(const TempDir& D, const std::string& Head, off_t Size) {
    const std::string P = D.Write("sparse.ldt", Head);
    EXPECT_EQ(::truncate(P.c_str(), Size), 0);
    return P;
}
} // namespace

TEST(Limits, LineLongerThanA32BitLengthIsInvalid) {
    TempDir D;
    const off_t Size = off_t(INT32_MAX) + 100;
    const std::string P = SparseFile(D, XdtLine(8000, "8220") + "0128000", Size);
    TFileXDTPtrList L;
    try {
        LoadXDTFile(L, P);
        FAIL() << "no error";
    } catch (const EXDTInvalidLine& E) {
        EXPECT_EQ(E.PhysicalLine(), 2);
    }
    EXPECT_EQ(L.Count(), 1);
    EXPECT_EQ(L.FileSize(), uint64_t(Size));
    EXPECT_GE(L.MaxInhaltLen(), 0); // never a negative length
}

TEST(Limits, FileAbove4GiBKeepsIts64BitSize) {
    TempDir D;
    const off_t Size = off_t(5) << 30;
    const std::string P = SparseFile(D, XdtLine(8000, "8220") + XdtLine(9106, "3"), Size);
    TFileXDTPtrList L;
    EXPECT_THROW(LoadXDTFile(L, P), EXDTInvalidLine); // the hole is one endless line
    EXPECT_EQ(L.Count(), 2);
    EXPECT_EQ(L.FileSize(), uint64_t(Size));
    EXPECT_EQ(FormatFileSize(2, true, int64_t(L.FileSize()), TFormatSettings{'.', ','}),
              "5,00 GB (5.368.709.120 Byte)");
}

TEST(Limits, MoreLinesThanTheIndexHolds) {
    struct SmallList : TFileXDTPtrList {
        int CapacityLimit() const override { return 100; }
    } L;
    TempDir D;
    std::string B;
    for (int I = 0; I < 150; ++I) B += XdtLine(3000, std::to_string(I));
    try {
        LoadXDTFile(L, D.Write("f.ldt", B));
        FAIL() << "no error";
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List capacity out of bounds (101)");
    }
    // The index filled up to its limit exactly, and keeps those lines.
    EXPECT_EQ(L.Count(), 100);
    EXPECT_EQ(L.Inhalt(99), "99");
    EXPECT_EQ(L.UpdateCount(), 0);
}

// Tolerant loading keeps even a line too long for one entry: in entries of INT32_MAX bytes each, all
// of them of the same physical line.
TEST(Limits, TolerantLoadSplitsALineLongerThanAnEntry) {
    TempDir D;
    const std::string Head = XdtLine(8000, "8220");
    const off_t Size = off_t(INT32_MAX) + 100;
    const std::string P = SparseFile(D, Head + "0128000", Size);
    TFileXDTPtrList L;
    const TLoadOutcome O = LoadXDTFile(L, P, {.InvalidLine = ilTolerant});
    EXPECT_EQ(O.End, leComplete);
    EXPECT_EQ(O.InvalidLines, 1);
    EXPECT_EQ(O.PhysicalLine, 2);
    ASSERT_EQ(L.Count(), 3);
    EXPECT_TRUE(L.IsInvalidLine(1));
    EXPECT_TRUE(L.IsInvalidLine(2));
    EXPECT_EQ(L.Items(1).InhaltLen, INT32_MAX);
    EXPECT_EQ(uint64_t(L.Items(2).InhaltPtr - L.ViewBase()) + uint64_t(L.Items(2).InhaltLen), uint64_t(Size));
    EXPECT_EQ(L.Items(2).InhaltPtr, L.Items(1).InhaltPtr + INT32_MAX);
}
