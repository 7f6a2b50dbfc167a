// The sorted record-type list: built in one sort, it must hold exactly what one Add per record line
// gives, in the same order, with the same text kept of those that compare equal.
#include "TestUtil.h"
#include "document/SortedStrings.h"
#include "document/XDTPtrList.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

std::vector<std::pair<std::string, intptr_t>> Entries(const TSortedStrings& S) {
    std::vector<std::pair<std::string, intptr_t>> R;
    for (const TSortedStrings::TItem& I : S.Items()) R.emplace_back(I.Text, I.Object);
    return R;
}

// Short texts that often compare equal without being the same bytes: case, umlauts, blanks.
std::string RandomText(std::mt19937& Rng) {
    static const char Chars[] = {'a', 'A', 'b', 'B', '0', '9', ' ', '-', '\xE4', '\xC4', '\xDF', 's'};
    std::string S(1 + Rng() % 3, ' ');
    for (char& C : S) C = Chars[Rng() % sizeof Chars];
    return S;
}

TSortedStrings ByRepeatedAdd(const std::vector<std::string>& Texts) {
    TSortedStrings L;
    for (const std::string& T : Texts) L.Add(T, 8000);
    return L;
}

} // namespace

TEST(SortedStrings, AddAllGivesWhatOneAddEachGives) {
    std::mt19937 Rng(7);
    for (int Round = 0; Round < 20; ++Round) {
        std::vector<std::string> Before, After;
        for (int I = 0; I < 10; ++I) Before.push_back(RandomText(Rng));
        for (int I = 0; I < 300; ++I) After.push_back(RandomText(Rng));

        TSortedStrings Repeated;
        for (const std::string& T : Before) Repeated.Add(T, 1);
        std::vector<TSortedStrings::TItem> Items;
        for (size_t I = 0; I < After.size(); ++I) {
            Repeated.Add(After[I], intptr_t(I));
            Items.push_back({After[I], intptr_t(I)});
        }
        TSortedStrings Sorted;
        for (const std::string& T : Before) Sorted.Add(T, 1);
        Sorted.AddAll(Items);
        ASSERT_EQ(Entries(Sorted), Entries(Repeated)) << "round " << Round;
    }
    TSortedStrings Empty;
    Empty.AddAll({});
    EXPECT_EQ(Empty.Count(), 0);
}

TEST(LoadRecordTypes, ListEqualsOneAddPerRecordLineForFewAndVeryManyTypes) {
    // 20 types are sorted in at the end of the load; 6000 are more than the loader tells apart on
    // the way and are sorted in on first use. Repeats and case variants come before and after that.
    for (const int Distinct : {20, 6000}) {
        std::mt19937 Rng{uint32_t(Distinct)};
        std::vector<std::string> Types;
        std::string File;
        auto Record = [&](const std::string& Type) {
            Types.push_back(Type);
            File += XdtLine(8000, Type) + XdtLine(3101, "x");
        };
        Record("con0");
        for (int I = 0; I < Distinct; ++I) {
            Record("T" + std::to_string(I));
            if (I % 7 == 0) Record("con0");
            if (I % 11 == 0) Record("t" + std::to_string(Rng() % (I + 1))); // same type, other case
            if (I % 13 == 0) Record(RandomText(Rng));
        }
        Record("CON0");
        Record("");

        TempDir D;
        TFileXDTPtrList L;
        LoadXDTFile(L, D.Write("types.ldt", File));
        ASSERT_EQ(L.Count(), int(Types.size()) * 2);
        EXPECT_EQ(Entries(L.SatzArtList()), Entries(ByRepeatedAdd(Types))) << Distinct;
        EXPECT_EQ(L.SatzArtList().IndexOf("Con0"), L.SatzArtList().IndexOf("con0"));

        // A line added by hand afterwards joins the list as Add always did.
        LoadXDTFile(L, D.File("types.ldt"));
        const std::string Extra = "0101";
        L.Add(8000, Extra.data(), int32_t(Extra.size()));
        Types.push_back(Extra);
        EXPECT_EQ(Entries(L.SatzArtList()), Entries(ByRepeatedAdd(Types))) << Distinct;

        // Reloading starts over.
        LoadXDTFile(L, D.Write("one.ldt", XdtLine(8000, "8220")));
        EXPECT_EQ(Entries(L.SatzArtList()), (std::vector<std::pair<std::string, intptr_t>>{{"8220", 8000}}));
    }
}

TEST(LoadRecordTypes, InvalidLineAfterManyTypesKeepsTheTypesBeforeIt) {
    std::vector<std::string> Types;
    std::string File;
    for (int I = 0; I < 5000; ++I) {
        Types.push_back("R" + std::to_string(I % 4500));
        File += XdtLine(8000, Types.back());
    }
    TempDir D;
    TFileXDTPtrList L;
    EXPECT_THROW(LoadXDTFile(L, D.Write("broken.ldt", File + "kaputt\r\n" + XdtLine(8000, "ZZZZ"))),
                 EXDTInvalidLine);
    EXPECT_EQ(L.Count(), 5000);
    EXPECT_EQ(Entries(L.SatzArtList()), Entries(ByRepeatedAdd(Types)));
    EXPECT_EQ(L.SatzArtList().Count(), 4500);
}
