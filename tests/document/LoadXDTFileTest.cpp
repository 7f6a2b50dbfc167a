#include "TestUtil.h"
#include "document/XDTPtrList.h"
#include "support/Event.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <thread>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

struct Loaded {
    std::vector<std::pair<int, std::string>> Lines;
    bool Invalid = false;
    long long InvalidLine = 0;
};

Loaded Load(TFileXDTPtrList& L, const std::string& Path, TEvent* Cancel = nullptr) {
    Loaded R;
    try {
        LoadXDTFile(L, Path, {.Cancel = Cancel});
    } catch (const EXDTInvalidLine& E) {
        EXPECT_STREQ(E.what(), "Ung\xFCltige Zeile in XDT-Datei");
        R.Invalid = true;
        R.InvalidLine = E.PhysicalLine();
    }
    EXPECT_EQ(L.UpdateCount(), 0);
    for (int I = 0; I < L.Count(); ++I) R.Lines.emplace_back(L.FeldArt(I), L.Inhalt(I));
    return R;
}

Loaded LoadBytes(std::string_view Bytes) {
    TempDir D;
    TFileXDTPtrList L;
    return Load(L, D.Write("f.ldt", Bytes));
}

const std::vector<std::pair<int, std::string>> kThree = {{8000, "8220"}, {3101, "M\xFCller"}, {3102, ""}};

std::string Three(std::string_view Term) {
    return XdtLine(8000, "8220", Term) + XdtLine(3101, "M\xFCller", Term) + XdtLine(3102, "", Term);
}

} // namespace

TEST(LoadXDTFile, EveryTerminator) {
    for (std::string_view Term : {"\r\n", "\n", "\r", "\n\r"}) {
        const Loaded R = LoadBytes(Three(Term));
        EXPECT_FALSE(R.Invalid);
        EXPECT_EQ(R.Lines, kThree) << "terminator of " << Term.size() << " bytes";
    }
    // Mixed terminators in one file.
    const Loaded R =
        LoadBytes(XdtLine(8000, "8220", "\n") + XdtLine(3101, "M\xFCller", "\r") + XdtLine(3102, "", "\r\n"));
    EXPECT_EQ(R.Lines, kThree);
}

TEST(LoadXDTFile, EndOfFileRules) {
    const std::string Body = Three("\r\n");
    // Up to two more terminator bytes are ignored, in any combination.
    for (std::string_view Tail : {"\r\n", "\n", "\r", "\n\r", "\r\r", "\n\n"}) {
        const Loaded R = LoadBytes(Body + std::string(Tail));
        EXPECT_FALSE(R.Invalid) << Tail.size();
        EXPECT_EQ(R.Lines, kThree);
    }
    // Two extra CR LF: an empty line that is not at the end.
    Loaded R = LoadBytes(Body + "\r\n\r\n");
    EXPECT_TRUE(R.Invalid);
    EXPECT_EQ(R.Lines, kThree);
    EXPECT_EQ(R.InvalidLine, 4);
    // The last line without terminator is a field line.
    R = LoadBytes(Body + "0128000abc");
    EXPECT_FALSE(R.Invalid);
    ASSERT_EQ(R.Lines.size(), 4u);
    EXPECT_EQ(R.Lines[3], (std::pair<int, std::string>{8000, "abc"}));
    // A short remnant whose terminator starts within the last two bytes is ignored.
    for (std::string_view Tail : {"abc\r\n", "abcdef\n", "x\r", "\x1A\r\n"}) {
        R = LoadBytes(Body + std::string(Tail));
        EXPECT_FALSE(R.Invalid) << Tail;
        EXPECT_EQ(R.Lines, kThree);
    }
    // A short last line without terminator: the end-of-file byte 26 after the final CR LF.
    R = LoadBytes(Body + "\x1A");
    EXPECT_TRUE(R.Invalid);
    EXPECT_EQ(R.Lines, kThree);
    // A short line with more than two bytes behind its terminator.
    R = LoadBytes(Body + "abc\r\n\r\n");
    EXPECT_TRUE(R.Invalid);
}

TEST(LoadXDTFile, InvalidLinesKeepTheLinesBefore) {
    const std::string Good = XdtLine(8000, "8220") + XdtLine(3000, "42");
    for (std::string_view Bad :
         {"01380a0x\r\n", "0a38000x\r\n", "\r\n", "0123\r\n", "013800 0x\r\n", "013+-800x\r\n"}) {
        const Loaded R = LoadBytes(Good + std::string(Bad) + XdtLine(3101, "Name"));
        EXPECT_TRUE(R.Invalid) << Bad;
        EXPECT_EQ(R.Lines.size(), 2u);
        EXPECT_EQ(R.InvalidLine, 3);
    }
    // Leading blanks and a sign are what the standard conversion accepts.
    const Loaded R = LoadBytes(" 13 800abc\r\n");
    EXPECT_FALSE(R.Invalid);
    EXPECT_EQ(R.Lines, (std::vector<std::pair<int, std::string>>{{800, "abc"}}));
}

TEST(LoadXDTFile, SevenByteLineAndBinaryContent) {
    const std::string Content("a\0b\x1A\xFF", 5);
    const Loaded R = LoadBytes("0098000\r\n" + XdtLine(3000, Content));
    ASSERT_EQ(R.Lines.size(), 2u);
    EXPECT_EQ(R.Lines[0], (std::pair<int, std::string>{8000, ""}));
    EXPECT_EQ(R.Lines[1].second, Content);
}

TEST(LoadXDTFile, IndexPointsIntoTheMappingAndKeepsItsStatistics) {
    TempDir D;
    TFileXDTPtrList L;
    const std::string Bytes = XdtLine(8000, "8220") + XdtLine(9106, "2") + XdtLine(8410, "HB");
    const std::string Path = D.Write("f.ldt", Bytes);
    LoadXDTFile(L, Path);
    ASSERT_EQ(L.Count(), 3);
    EXPECT_EQ(L.Items(0).InhaltPtr, L.ViewBase() + 7);
    EXPECT_EQ(L.FileSize(), Bytes.size());
    EXPECT_EQ(L.FileName(), Path);
    EXPECT_EQ(L.FileCodierung(), 2);
    EXPECT_TRUE(L.IsTestIdent(2));
    EXPECT_EQ(L.SatzArtList().Count(), 1);
    L.Clear();
    EXPECT_EQ(L.ViewBase(), nullptr);
    EXPECT_FALSE(L.FileOpen());
    EXPECT_EQ(L.FileName(), "");
    EXPECT_EQ(L.FileSize(), Bytes.size()); // kept until the next load
}

TEST(LoadXDTFile, FilesThatCannotBeReadGiveAnEmptyIndex) {
    TempDir D;
    TFileXDTPtrList L;
    // A previous document is released by the next load, whatever its outcome.
    LoadXDTFile(L, D.Write("a.ldt", XdtLine(8000, "8220")));
    ASSERT_EQ(L.Count(), 1);

    EXPECT_NO_THROW(LoadXDTFile(L, D.File("missing.ldt")));
    EXPECT_EQ(L.Count(), 0);
    EXPECT_FALSE(L.FileOpen());
    EXPECT_EQ(L.FileSize(), 0u);

    // Empty file: opened, but nothing to map.
    EXPECT_NO_THROW(LoadXDTFile(L, D.Write("empty.ldt", "")));
    EXPECT_EQ(L.Count(), 0);
    EXPECT_TRUE(L.FileOpen());
    EXPECT_FALSE(L.MappingOpen());

    // A folder, a FIFO without writer and a device: no hang, no error.
    EXPECT_NO_THROW(LoadXDTFile(L, D.Path()));
    EXPECT_EQ(L.Count(), 0);
    const std::string Fifo = D.File("fifo");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    EXPECT_NO_THROW(LoadXDTFile(L, Fifo));
    EXPECT_EQ(L.Count(), 0);
    EXPECT_NO_THROW(LoadXDTFile(L, "/dev/zero"));
    EXPECT_EQ(L.Count(), 0);
    EXPECT_FALSE(L.FileOpen());
}

TEST(LoadXDTFile, UnreadableFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempDir D;
    const std::string P = D.Write("locked.ldt", XdtLine(8000, "8220"));
    ::chmod(P.c_str(), 0);
    TFileXDTPtrList L;
    EXPECT_NO_THROW(LoadXDTFile(L, P));
    EXPECT_EQ(L.Count(), 0);
}

TEST(LoadXDTFile, Cancel) {
    TempDir D;
    std::string Bytes;
    for (int I = 0; I < 1000; ++I) Bytes += XdtLine(3000, std::to_string(I));
    const std::string Path = D.Write("f.ldt", Bytes);

    TFileXDTPtrList L;
    TEvent Cancel;
    Cancel.Set();
    LoadXDTFile(L, Path, {.Cancel = &Cancel});
    EXPECT_EQ(L.Count(), 0);
    EXPECT_TRUE(L.FileOpen()); // the caller clears the index after a cancel

    // Midway: an index whose Grow signals the event after the first lines.
    struct CancellingList : TFileXDTPtrList {
        TEvent* Event = nullptr;
        void Grow() override {
            if (Capacity() >= 12) Event->Set();
            TFileXDTPtrList::Grow();
        }
    } C;
    TEvent Midway;
    C.Event = &Midway;
    LoadXDTFile(C, Path, {.Cancel = &Midway});
    EXPECT_EQ(C.Count(), 13); // the line that triggered the signal is still added
    EXPECT_EQ(C.Inhalt(12), "12");
    EXPECT_EQ(C.UpdateCount(), 0);

    // Without an event the whole file loads.
    LoadXDTFile(C, Path);
    EXPECT_EQ(C.Count(), 1000);
}

TEST(LoadXDTFile, BundledSamples) {
    struct Sample {
        const char* Name;
        int Lines;
        bool Invalid;
        int Codierung;
    };
    const Sample Samples[] = {
        {"py_kvdt__Z05123456699_27.10.2023_12.00.con", 1364, false, 4},
        {"healthmetrix-libldt3__3.2.4-with-bak.ldt", 518, false, 0},
        {"druc-xdt-parser__empty_line_sample.ldt", 13, true, 0},
        {"druc-xdt-parser__spaced_line_sample.ldt", 13, true, 0},
        {"crescnet-perl-xdt-parser__example2.gdt", 19, true, 0},
        {"levinalex-xdt__example4.bdt.txt", 41, false, 2},
    };
    for (const Sample& S : Samples) {
        TFileXDTPtrList L;
        const Loaded R = Load(L, std::string(OSTREL_TEST_DATA) + "/samples/" + S.Name);
        EXPECT_EQ(int(R.Lines.size()), S.Lines) << S.Name;
        EXPECT_EQ(R.Invalid, S.Invalid) << S.Name;
        EXPECT_EQ(L.FileCodierung(), S.Codierung) << S.Name;
    }
}

namespace {

// The splitting rules written the plain way, byte by byte, to check the fast scanner against.
Loaded ReferenceSplit(std::string_view B) {
    Loaded R;
    size_t P = 0, Line = 0;
    const size_t E = B.size();
    auto Skip = [&](size_t Q) {
        if (Q < E && (B[Q] == 13 || B[Q] == 10)) {
            const char F = B[Q++];
            if (Q < E && B[Q] == (F == 10 ? 13 : 10)) ++Q;
        }
        return Q;
    };
    while (P < E) {
        ++Line;
        size_t Q = P;
        while (Q < E && B[Q] != 13 && B[Q] != 10) ++Q;
        if (Q - P < 7) {
            if (E - Q > 2 || Q == E) {
                R.Invalid = true;
                R.InvalidLine = (long long)Line;
                return R;
            }
            Q = Skip(Q);
        } else {
            bool Digits = true;
            for (size_t I = P; I < P + 7; ++I) Digits = Digits && B[I] >= '0' && B[I] <= '9';
            if (!Digits) {
                R.Invalid = true;
                R.InvalidLine = (long long)Line;
                return R;
            }
            R.Lines.emplace_back(std::stoi(std::string(B.substr(P + 3, 4))),
                                 std::string(B.substr(P + 7, Q - P - 7)));
        }
        P = Skip(Q);
    }
    return R;
}

} // namespace

TEST(LoadXDTFile, AgreesWithPlainSplittingOnRandomFiles) {
    // Line lengths around the scanner's 64-byte blocks, every terminator, short remnants at the end.
    std::mt19937 Rng(7);
    const std::string_view Terms[] = {"\r\n", "\n", "\r", "\n\r"};
    TempDir D;
    for (int Round = 0; Round < 300; ++Round) {
        std::string B;
        const int N = int(Rng() % 12);
        for (int I = 0; I < N; ++I) {
            std::string Content(Rng() % 3 == 0 ? 57 + Rng() % 10 : Rng() % 130, 'x');
            for (char& C : Content) C = char('!' + Rng() % 90);
            B += XdtLine(int(Rng() % 10000), Content, Rng() % 8 ? Terms[Rng() % 4] : std::string_view());
        }
        if (Rng() % 3 == 0) B += std::string(Rng() % 4, '\n');
        if (Rng() % 4 == 0) B += "abc";
        if (Rng() % 5 == 0) B += "\r\n";
        TFileXDTPtrList L;
        const Loaded Got = Load(L, D.Write("r.ldt", B));
        const Loaded Want = ReferenceSplit(B);
        ASSERT_EQ(Got.Invalid, Want.Invalid) << "round " << Round;
        ASSERT_EQ(Got.InvalidLine, Want.InvalidLine) << "round " << Round;
        ASSERT_EQ(Got.Lines, Want.Lines) << "round " << Round;
    }
}

// The outcome says how a load ended, so that no caller has to look at the file again.
TEST(LoadXDTFile, OutcomeTellsHowTheLoadEnded) {
    TempDir D;
    TFileXDTPtrList L;
    EXPECT_EQ(LoadXDTFile(L, D.Write("ok.ldt", Three("\r\n"))).End, leComplete);
    EXPECT_EQ(LoadXDTFile(L, D.Write("empty.ldt", "")).End, leComplete);
    EXPECT_EQ(LoadXDTFile(L, D.File("missing.ldt")).End, leNotReadable);
    EXPECT_EQ(LoadXDTFile(L, D.Path()).End, leNotReadable);

    // Stopping at an invalid line instead of raising: its physical line and offset, the lines before.
    const std::string Good = XdtLine(8000, "8220") + XdtLine(3101, "A", "\n");
    const std::string Bytes = Good + "01x3101B\r\n" + XdtLine(3102, "C");
    const TLoadOutcome O = LoadXDTFile(L, D.Write("bad.ldt", Bytes), {.InvalidLine = ilStop});
    EXPECT_EQ(O.End, leInvalidLine);
    EXPECT_EQ(O.PhysicalLine, 3);
    EXPECT_EQ(O.Offset, Good.size());
    EXPECT_EQ(L.Count(), 2);
    EXPECT_EQ(L.UpdateCount(), 0);
    // The same file raises by default, with the same place.
    try {
        LoadXDTFile(L, D.File("bad.ldt"));
        ADD_FAILURE() << "no exception";
    } catch (const EXDTInvalidLine& E) {
        EXPECT_EQ(E.PhysicalLine(), O.PhysicalLine);
        EXPECT_EQ(E.Offset(), O.Offset);
    }

    TEvent Cancel;
    Cancel.Set();
    EXPECT_EQ(LoadXDTFile(L, D.File("ok.ldt"), {.Cancel = &Cancel}).End, leCancelled);
}
