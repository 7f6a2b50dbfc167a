#include "document/XDTPtrList.h"
#include "catalogue/XDTComments.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Adds a line whose content is the given text; the text must outlive the list.
int AddText(TXDTPtrList& L, int FeldArt, const std::string& S) {
    return L.Add(FeldArt, S.data(), int32_t(S.size()));
}

std::vector<std::string> Texts(const TSortedStrings& S) {
    std::vector<std::string> R;
    for (int I = 0; I < S.Count(); ++I) R.push_back(S.Strings(I));
    return R;
}

} // namespace

TEST(LineIndex, NewIndexIsEmptyAndRaisesOnAccess) {
    TXDTPtrList L;
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.Capacity(), 0);
    EXPECT_EQ(L.FileCodierung(), 0);
    EXPECT_EQ(L.MaxInhaltLen() + L.MaxCommentLen() + L.MaxInhaltCommentLen() + L.MaxFeldArtNameLen(), 0);
    EXPECT_EQ(L.FeldArtList().Count(), 0);
    EXPECT_EQ(L.SatzArtList().Count(), 0);
    try {
        L.FeldArt(0);
        FAIL() << "no error";
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (0)");
    }
}

TEST(LineIndex, EveryAccessorChecksItsIndex) {
    TXDTPtrList L;
    const std::string S = "x";
    AddText(L, 3000, S);
    for (int Bad : {-1, 1, 1000}) {
        const std::string Msg = "List index out of bounds (" + std::to_string(Bad) + ")";
        EXPECT_THROW(L.Kennung(Bad), EListError);
        EXPECT_THROW(L.Inhalt(Bad), EListError);
        EXPECT_THROW(L.IsSatzArt(Bad), EListError);
        EXPECT_THROW(L.IsTestIdent(Bad), EListError);
        EXPECT_THROW(L.IsAnforderung(Bad), EListError);
        try {
            L.Items(Bad);
        } catch (const EListError& E) {
            EXPECT_EQ(E.Message(), Msg);
        }
    }
    EXPECT_EQ(L.Inhalt(0), "x");
}

TEST(LineIndex, EntriesPointIntoTheCallersBytesWithoutCopy) {
    TXDTPtrList L;
    const std::string Buf = "Mueller\xE4Schmidt";
    L.Add(3101, Buf.data(), 7);
    L.Add(3102, Buf.data() + 8, 7);
    EXPECT_EQ(L.Items(0).InhaltPtr, Buf.data());
    EXPECT_EQ(L.Items(1).InhaltPtr, Buf.data() + 8);
    EXPECT_EQ(L.Inhalt(1), "Schmidt");
    EXPECT_EQ(L.FeldArt(1), 3102);
    EXPECT_EQ(L.Kennung(0), "3101");
}

TEST(LineIndex, EntriesThatDoNotPackAreKeptWhole) {
    // Identifiers outside 16 bits and null pointers take the side table; they must read back unchanged.
    TXDTPtrList L;
    const std::string A = "abc";
    L.Add(42, A.data(), 3);
    L.Add(70000, A.data() + 1, 2);
    L.Add(-32768, A.data(), 1);
    L.Add(5, nullptr, 0);
    L.Add(-5, A.data() + 2, 1);
    EXPECT_EQ(L.Kennung(0), "0042");
    EXPECT_EQ(L.FeldArt(1), 70000);
    EXPECT_EQ(L.Inhalt(1), "bc");
    EXPECT_EQ(L.FeldArt(2), -32768);
    EXPECT_EQ(L.Inhalt(3), "");
    EXPECT_EQ(L.Items(3).InhaltPtr, nullptr);
    EXPECT_EQ(L.FeldArt(4), -5);
    EXPECT_EQ(L.Inhalt(4), "c");
    EXPECT_EQ(L.Kennung(4), "-0005");
}

TEST(LineIndex, GrowthSteps) {
    TXDTPtrList L;
    const std::string S = "x";
    std::vector<int> Caps;
    for (int I = 0; I < 100; ++I) {
        AddText(L, 3000, S);
        if (Caps.empty() || Caps.back() != L.Capacity()) Caps.push_back(L.Capacity());
        if (I == 8) {
            EXPECT_EQ(L.Capacity(), 12);
        }
        if (I == 64) {
            EXPECT_EQ(L.Capacity(), 76);
        }
    }
    EXPECT_EQ(Caps, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
}

TEST(LineIndex, SetCapacityBounds) {
    TXDTPtrList L;
    const std::string S = "abc";
    for (int I = 0; I < 5; ++I) AddText(L, 3000 + I, S);
    try {
        L.SetCapacity(4);
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List capacity out of bounds (4)");
    }
    EXPECT_THROW(L.SetCapacity(MaxListSize + 1), EListError);
    EXPECT_THROW(L.SetCapacity(-1), EListError);
    EXPECT_EQ(L.Capacity(), 8);
    L.SetCapacity(5);
    EXPECT_EQ(L.Capacity(), 5);
    L.SetCapacity(1000);
    for (int I = 0; I < 5; ++I) EXPECT_EQ(L.FeldArt(I), 3000 + I);
    EXPECT_EQ(L.Inhalt(4), "abc");
}

TEST(LineIndex, SortedListsIgnoreDuplicates) {
    TXDTPtrList L;
    const std::string A = "0101", B = "0101 ", C = "adt0", D = "ADT0";
    AddText(L, 8000, A);
    AddText(L, 3000, A);
    AddText(L, 8000, A);
    AddText(L, 3000, A);
    EXPECT_EQ(Texts(L.FeldArtList()), (std::vector<std::string>{"3000", "8000"}));
    EXPECT_EQ(L.FeldArtList().Objects(0), 3000);
    EXPECT_EQ(L.FeldArtList().Objects(1), 8000);
    EXPECT_EQ(Texts(L.SatzArtList()), (std::vector<std::string>{"0101"}));
    EXPECT_EQ(L.SatzArtList().Objects(0), 8000);
    // Raw content: a trailing blank makes another record type; case does not.
    AddText(L, 8000, B);
    AddText(L, 8000, C);
    AddText(L, 8000, D);
    EXPECT_EQ(Texts(L.SatzArtList()), (std::vector<std::string>{"0101", "0101 ", "adt0"}));
    AddText(L, 42, A);
    EXPECT_EQ(Texts(L.FeldArtList()), (std::vector<std::string>{"0042", "3000", "8000"}));
}

TEST(LineIndex, DeclaredCharacterSet) {
    struct Case {
        std::string Inhalt;
        int Expected;
    };
    for (const Case& C : {Case{"2", 2}, Case{"2 ", 0}, Case{"x", 0}, Case{"7", 7}, Case{"", 0}, Case{" 3", 3},
                          Case{"-1", -1}, Case{"99999999999", 0}}) {
        TXDTPtrList L;
        AddText(L, 9106, C.Inhalt);
        EXPECT_EQ(L.FileCodierung(), C.Expected) << '"' << C.Inhalt << '"';
    }
    TXDTPtrList L;
    const std::string Two = "2", Four = "4";
    AddText(L, 9106, Two);
    AddText(L, 9106, Four);
    EXPECT_EQ(L.FileCodierung(), 4); // the last one wins
}

TEST(LineIndex, Statistics) {
    TXDTPtrList L;
    const std::string Empty;
    AddText(L, 8000, Empty);
    EXPECT_EQ(L.Inhalt(0), "");
    const int C0 = int(InhaltComment(8000, "").size());
    EXPECT_EQ(L.MaxInhaltCommentLen(), C0 + 1);
    EXPECT_EQ(L.MaxFeldArtNameLen(), int(std::strlen("Satzart")));

    const std::string Long(300, 'x');
    AddText(L, 3101, Long);
    EXPECT_EQ(L.MaxInhaltLen(), 300);
    EXPECT_GE(L.MaxInhaltCommentLen(), 301);
    // An unknown identifier counts with the length of the error name.
    AddText(L, 9999, Empty);
    EXPECT_EQ(L.MaxFeldArtNameLen(), int(std::strlen("Fehler: Unbekanntes Feld")));
}

TEST(LineIndex, PredicatesFollowTheCatalogueRows) {
    TXDTPtrList L;
    const std::string S = "x";
    for (int Id : {8000, 8410, 8434, 3000, 8001}) AddText(L, Id, S);
    const std::vector<bool> Satz = {true, false, false, false, false};
    const std::vector<bool> Test = {false, true, false, false, false};
    const std::vector<bool> Anf = {false, false, true, false, false};
    for (int I = 0; I < L.Count(); ++I) {
        EXPECT_EQ(L.IsSatzArt(I), Satz[size_t(I)]);
        EXPECT_EQ(L.IsTestIdent(I), Test[size_t(I)]);
        EXPECT_EQ(L.IsAnforderung(I), Anf[size_t(I)]);
    }
}

TEST(LineIndex, ClearResetsEverythingAndKeepsTheBracket) {
    TXDTPtrList L;
    const std::string Two = "2", Type = "8220";
    AddText(L, 9106, Two);
    AddText(L, 8000, Type);
    L.BeginUpdate();
    L.Clear();
    EXPECT_EQ(L.UpdateCount(), 1);
    L.EndUpdate();
    EXPECT_EQ(L.UpdateCount(), 0);
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.Capacity(), 0);
    EXPECT_EQ(L.FileCodierung(), 0);
    EXPECT_EQ(L.MaxInhaltLen() + L.MaxCommentLen() + L.MaxInhaltCommentLen() + L.MaxFeldArtNameLen(), 0);
    EXPECT_EQ(L.FeldArtList().Count(), 0);
    EXPECT_EQ(L.SatzArtList().Count(), 0);
    // The fast paths forget what they saw: the same lines are listed again.
    AddText(L, 8000, Type);
    EXPECT_EQ(L.SatzArtList().Count(), 1);
    EXPECT_EQ(L.FeldArtList().Count(), 1);
    EXPECT_GT(L.MaxFeldArtNameLen(), 0);
}

TEST(LineIndex, UpdateBracketSurvivesAnException) {
    TXDTPtrList L;
    try {
        TUpdateBracket B(L);
        L.FeldArt(3);
    } catch (const EListError&) {
    }
    EXPECT_EQ(L.UpdateCount(), 0);
}
