// Tolerant loading: the whole file is read; empty lines are skipped and every other invalid line is
// kept whole in an entry of its own, so no byte of the file is lost.
#include "TestUtil.h"
#include "document/RowModel.h"
#include "document/XDTPtrList.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

constexpr TLoadOptions kTolerant{.InvalidLine = ilTolerant};

struct TEntry {
    bool Invalid;
    int FeldArt;
    std::string Text; // content; the whole line for an invalid one
    bool operator==(const TEntry&) const = default;
};

std::vector<TEntry> Entries(const TXDTPtrList& L) {
    std::vector<TEntry> R;
    for (int I = 0; I < L.Count(); ++I) R.push_back({L.IsInvalidLine(I), L.FeldArt(I), L.Inhalt(I)});
    return R;
}

// The tolerant rules the plain way: a line ends at CR, LF, CR LF or LF CR; an empty line is skipped;
// seven digits (or what the standard integer conversion takes) start a field line; anything else is
// an invalid line kept whole.
struct TSplit {
    std::vector<TEntry> Entries;
    long long Blank = 0, Invalid = 0, FirstInvalid = 0;
};
TSplit PlainTolerantSplit(std::string_view B) {
    TSplit R;
    size_t P = 0;
    long long Line = 0;
    while (P < B.size()) {
        ++Line;
        size_t Q = P;
        while (Q < B.size() && B[Q] != '\r' && B[Q] != '\n') ++Q;
        const std::string_view Text = B.substr(P, Q - P);
        int32_t Len, Id;
        if (Text.empty()) {
            if (B.size() - Q > 2) ++R.Blank; // not one of the two bytes a file may end with
        } else if (Text.size() >= 7 && TryStrToInt(Text.substr(0, 3), Len) &&
                   TryStrToInt(Text.substr(3, 4), Id)) {
            R.Entries.push_back({false, Id, std::string(Text.substr(7))});
        } else {
            if (R.Invalid++ == 0) R.FirstInvalid = Line;
            R.Entries.push_back({true, FeldArtInvalid, std::string(Text)});
        }
        if (Q < B.size()) {
            const char F = B[Q++];
            if (Q < B.size() && B[Q] == (F == '\n' ? '\r' : '\n')) ++Q;
        }
        P = Q;
    }
    return R;
}

std::string ReadFile(const std::filesystem::path& P) {
    std::ifstream F(P, std::ios::binary);
    std::stringstream S;
    S << F.rdbuf();
    return S.str();
}

} // namespace

TEST(TolerantLoad, InvalidLinesBecomeEntriesAndEmptyLinesAreSkipped) {
    TempDir D;
    const std::string Good = XdtLine(8000, "8220") + XdtLine(3101, "M\xFC"
                                                                   "ller");
    const std::string Bytes = Good + "\r\n" + "Dies ist keine Zeile\r\n" + "abc\n" + XdtLine(3102, "Anna") +
                              "01x3101B\r" + XdtLine(8000, "8221");
    TFileXDTPtrList L;
    const TLoadOutcome O = LoadXDTFile(L, D.Write("f.ldt", Bytes), kTolerant);
    EXPECT_EQ(O.End, leComplete);
    EXPECT_EQ(O.InvalidLines, 3);
    EXPECT_EQ(O.BlankLines, 1);
    EXPECT_EQ(O.PhysicalLine, 4); // the first invalid line: after the empty third one
    EXPECT_EQ(O.Offset, Good.size() + 2);
    const std::vector<TEntry> Want = {{false, 8000, "8220"},
                                      {false, 3101,
                                       "M\xFC"
                                       "ller"},
                                      {true, FeldArtInvalid, "Dies ist keine Zeile"},
                                      {true, FeldArtInvalid, "abc"},
                                      {false, 3102, "Anna"},
                                      {true, FeldArtInvalid, "01x3101B"},
                                      {false, 8000, "8221"}};
    EXPECT_EQ(Entries(L), Want);
    EXPECT_EQ(L.InvalidCount(), 3);
    EXPECT_EQ(L.UpdateCount(), 0);
    // The entry of an invalid line points at the line's first byte in the mapping.
    EXPECT_EQ(L.Items(2).InhaltPtr, L.ViewBase() + Good.size() + 2);

    // The strict load of the same file still stops at the empty line.
    TFileXDTPtrList S;
    EXPECT_EQ(LoadXDTFile(S, D.File("f.ldt"), {.InvalidLine = ilStop}).PhysicalLine, 3);
    EXPECT_EQ(S.Count(), 2);
}

// An invalid line names no field: it stays out of the identifier list and the name width, but its
// length counts for the content columns.
TEST(TolerantLoad, InvalidLinesStayOutOfTheFieldStatistics) {
    TempDir D;
    const std::string Long(60, 'x');
    TFileXDTPtrList L;
    LoadXDTFile(L, D.Write("f.ldt", XdtLine(3000, "a") + Long + "\r\n"), kTolerant);
    ASSERT_EQ(L.Count(), 2);
    EXPECT_EQ(L.FeldArtList().Count(), 1);
    EXPECT_EQ(L.FeldArtList().Strings(0), "3000");
    EXPECT_EQ(L.MaxInhaltLen(), 60);
    EXPECT_EQ(L.MaxInhaltCommentLen(), 61);
    TXDTPtrList Only;
    Only.AddInvalid(Long.data(), int32_t(Long.size()));
    EXPECT_EQ(Only.MaxFeldArtNameLen(), 0);
    EXPECT_EQ(Only.MaxCommentLen(), 0);
    EXPECT_EQ(Only.FeldArtList().Count(), 0);
    // Add with the reserved identifier is the same as AddInvalid.
    Only.Add(FeldArtInvalid, Long.data(), 5);
    EXPECT_EQ(Only.InvalidCount(), 2);
    EXPECT_EQ(Only.FeldArtList().Count(), 0);
    Only.Clear();
    EXPECT_EQ(Only.InvalidCount(), 0);
}

TEST(TolerantLoad, RowTextsShowTheWholeLineUnderQuestionMarks) {
    TempDir D;
    TFileXDTPtrList L;
    LoadXDTFile(L, D.Write("f.ldt", XdtLine(8000, "8220") + "81x0\xE4Text\r\n"), kTolerant);
    ASSERT_EQ(L.Count(), 2);
    TRowTexts R;
    MakeRowTexts(L, 1, {.Codierung = 3}, R);
    EXPECT_TRUE(R.LineInvalid);
    EXPECT_EQ(R.Kennung, "????");
    EXPECT_EQ(R.Raw, "81x0\xE4Text");
    EXPECT_EQ(R.Inhalt, "81x0\xE4Text"); // converted like any content
    EXPECT_TRUE(R.Invalid);                // and drawn in the colour of invalid content
    EXPECT_EQ(R.Comment, "");
    EXPECT_EQ(R.Name, "");
    EXPECT_EQ(L.Kennung(1), "????");
    EXPECT_FALSE(L.IsSatzArt(1));
    MakeRowTexts(L, 0, {}, R);
    EXPECT_FALSE(R.LineInvalid);
    EXPECT_FALSE(R.Invalid);
    EXPECT_EQ(R.Kennung, "8000");
}

// What the strict load accepts at the end (a short remnant) the tolerant one keeps as an entry too.
TEST(TolerantLoad, EveryByteIsInAnEntryOrATerminator) {
    TempDir D;
    const std::string Body = XdtLine(8000, "8220") + XdtLine(3101, "A");
    for (const std::string& Tail : {std::string("\r\n"), std::string("\x1A"), std::string("ab\r\n"),
                                    std::string("\n\r\n\r"), std::string("0128000")}) {
        TFileXDTPtrList L;
        const std::string Bytes = Body + Tail;
        LoadXDTFile(L, D.Write("t.ldt", Bytes), kTolerant);
        EXPECT_EQ(Entries(L), PlainTolerantSplit(Bytes).Entries) << Tail.size();
    }
}

TEST(TolerantLoad, AgreesWithPlainSplittingOnRandomFiles) {
    std::mt19937 Rng(11);
    const std::string_view Terms[] = {"\r\n", "\n", "\r", "\n\r", ""};
    TempDir D;
    for (int Round = 0; Round < 300; ++Round) {
        std::string B;
        const int N = int(Rng() % 14);
        for (int I = 0; I < N; ++I) {
            switch (Rng() % 6) {
            case 0:
                B += std::string(Rng() % 8, char('a' + Rng() % 26));
                break; // short or empty
            case 1:
                B += "01" + std::string(1, char(' ' + Rng() % 60)) + "3000xyz";
                break;
            default: {
                std::string Content(Rng() % 3 == 0 ? 57 + Rng() % 10 : Rng() % 130, 'x');
                for (char& C : Content) C = char('!' + Rng() % 90);
                B += XdtLine(int(Rng() % 10000), Content, "");
            }
            }
            B += Terms[Rng() % 5];
        }
        TFileXDTPtrList L;
        const TLoadOutcome O = LoadXDTFile(L, D.Write("r.ldt", B), kTolerant);
        const TSplit Want = PlainTolerantSplit(B);
        ASSERT_EQ(Entries(L), Want.Entries) << "round " << Round;
        ASSERT_EQ(O.InvalidLines, Want.Invalid) << "round " << Round;
        ASSERT_EQ(O.BlankLines, Want.Blank) << "round " << Round;
        if (Want.Invalid) {
            ASSERT_EQ(O.PhysicalLine, Want.FirstInvalid) << "round " << Round;
        }
        ASSERT_EQ(O.End, leComplete);
    }
}

// Every bundled sample is read to its last line; where the strict load reads the whole file, the
// tolerant one gives the very same entries.
TEST(TolerantLoad, EveryBundledSampleIsReadWhole) {
    int Files = 0;
    for (const auto& F : std::filesystem::directory_iterator(std::string(OSTREL_TEST_DATA) + "/samples")) {
        if (F.path().filename() == "CREDITS.md") continue;
        ++Files;
        const std::string Bytes = ReadFile(F.path());
        TFileXDTPtrList T, S;
        const TLoadOutcome O = LoadXDTFile(T, F.path().string(), kTolerant);
        const TSplit Want = PlainTolerantSplit(Bytes);
        EXPECT_EQ(Entries(T), Want.Entries) << F.path();
        EXPECT_EQ(O.InvalidLines, Want.Invalid) << F.path();
        const TLoadOutcome Strict = LoadXDTFile(S, F.path().string(), {.InvalidLine = ilStop});
        if (Strict.End == leComplete) {
            EXPECT_EQ(Entries(T), Entries(S)) << F.path();
        } else {
            const std::vector<TEntry> Before = Entries(S), All = Entries(T);
            ASSERT_LE(Before.size(), All.size());
            EXPECT_TRUE(std::equal(Before.begin(), Before.end(), All.begin())) << F.path();
            EXPECT_GT(All.size(), Before.size()) << F.path();
        }
    }
    EXPECT_EQ(Files, 22);
}
