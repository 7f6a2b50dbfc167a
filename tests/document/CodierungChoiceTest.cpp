// Which character set a document is shown in after loading, per family, with and without 9106.
#include "TestUtil.h"
#include "document/RowModel.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"

#include <gtest/gtest.h>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

TCodierungChoice Choice(const std::string& Bytes, bool Classic = false) {
    TempDir D;
    TFileXDTPtrList L;
    LoadXDTFile(L, D.Write("f.xdt", Bytes));
    return ChooseCodierung(L, Classic);
}

const std::string Ldt3 = XdtLine(8000, "8230") + XdtLine(8132, "Kopfdaten") + XdtLine(8002, "Obj_0032") +
                         XdtLine(1, "LDT3.2.4") + XdtLine(3101, "M\xFCller");
const std::string Gdt = XdtLine(8000, "6310") + XdtLine(8100, "00100") + XdtLine(9218, "02.10");
const std::string Ldt2 = XdtLine(8000, "8220") + XdtLine(9212, "LDT1014.01") + XdtLine(3101, "M\xFCller");

} // namespace

TEST(CodierungChoice, EachFamilyWithAndWithoutDeclaration) {
    struct Case {
        const char* What;
        std::string Bytes;
        int Codierung;
        const char* Why;
    } Cases[] = {
        {"LDT 3 prescribes ISO 8859-15", Ldt3, cdISO15, "LDT 3"},
        {"LDT 2 falls back to 7-bit code", Ldt2, cd7Bit, ""},
        {"GDT 9206 = 1", Gdt + XdtLine(9206, "1"), cd7Bit, "9206"},
        {"GDT 9206 = 2", Gdt + XdtLine(9206, "2"), cdIBM, "9206"},
        {"GDT 9206 = 3 is ANSI", Gdt + XdtLine(9206, "3"), cdAnsi, "9206"},
        {"GDT without 9206", Gdt, cd7Bit, ""},
        {"undeclared UTF-8",
         Ldt2.substr(0, Ldt2.size() - XdtLine(3101, "M\xFCller").size()) + XdtLine(3102, "J\xC3\xBCrgen"),
         cdUTF8, "erkannt"},
        {"UTF-8 bytes in LDT 3",
         Ldt3.substr(0, Ldt3.size() - XdtLine(3101, "M\xFCller").size()) + XdtLine(3101, "M\xC3\xBCller"),
         cdUTF8, "erkannt"},
        // The declared set always wins, also over the family and the bytes.
        {"9106 in LDT 3", Ldt3 + XdtLine(9106, "3"), cdISO1, ""},
        {"9106 over 9206", Gdt + XdtLine(9206, "3") + XdtLine(9106, "2"), cdIBM, ""},
        {"9106 over UTF-8", Ldt2 + XdtLine(9106, "4") + XdtLine(3102, "J\xC3\xBCrgen"), cdISO15, ""},
    };
    for (const Case& C : Cases) {
        const TCodierungChoice R = Choice(C.Bytes);
        EXPECT_EQ(R.Codierung, C.Codierung) << C.What;
        EXPECT_EQ(R.Why, C.Why) << C.What;
    }
    // The classic program knows only the declaration and the 7-bit fallback.
    EXPECT_EQ(Choice(Ldt3, true).Codierung, cd7Bit);
    EXPECT_EQ(Choice(Gdt + XdtLine(9206, "3"), true).Codierung, cd7Bit);
    EXPECT_EQ(Choice(Ldt3 + XdtLine(9106, "3"), true).Codierung, cdISO1);
}

TEST(CodierungChoice, StatusTextNamesTheSetAndWhy) {
    EXPECT_EQ(CodierungInUseText(cdISO15, "LDT 3"),
              "Aktuell verwendeter Zeichensatz: 4 - \"ISO 8859-15 Code\" (LDT 3)");
    EXPECT_EQ(CodierungInUseText(cdUTF8, "erkannt"),
              "Aktuell verwendeter Zeichensatz: 6 - \"UTF-8\" (erkannt)");
    EXPECT_EQ(CodierungInUseText(cd7Bit), "Aktuell verwendeter Zeichensatz: 1 - \"7-bit-Code\"");
    EXPECT_EQ(CodierungInUseText(0, "LDT 3"), "");
}

// Names and comments of a row follow the family in the extended mode and the classic tables in the
// classic one; the column widths follow what is shown.
TEST(RowTexts, ModernAndClassicNamesCommentsAndWidths) {
    TempDir D;
    TFileXDTPtrList L;
    LoadXDTFile(L, D.Write("f.ldt", Ldt3 + XdtLine(8003, "Obj_0032") + XdtLine(8001, "8230")));
    ASSERT_EQ(L.Format().Family, TXdtFamily::Ldt3);
    TRowTexts R;
    MakeRowTexts(L, 2, {cdISO15, true, true, false}, R);
    EXPECT_EQ(R.Comment, "Kopfdaten"); // the object's name
    MakeRowTexts(L, 2, {cdISO15, true, true, true}, R);
    EXPECT_EQ(R.Comment, "");
    MakeRowTexts(L, 3, {cdISO15, true, true, false}, R);
    EXPECT_EQ(R.Name, "Version XDT");
    MakeRowTexts(L, 3, {cdISO15, true, true, true}, R);
    EXPECT_EQ(R.Name, "Fehler: Unbekanntes Feld");
    MakeRowTexts(L, 4, {cdISO15, true, true, false}, R);
    EXPECT_EQ(R.Inhalt, "M\xFCller");
    EXPECT_FALSE(R.Invalid);

    EXPECT_EQ(L.MaxFeldArtNameLen(true, L.Format().Family), L.MaxFeldArtNameLen());
    EXPECT_GE(L.MaxFeldArtNameLen(false, L.Format().Family), int(std::string_view("Version XDT").size()));
    EXPECT_GE(L.MaxCommentLen(ckModernLdt3), int(std::string_view("Kopfdaten").size()));
    EXPECT_GE(L.MaxInhaltCommentLen(ckModernLdt3), int(std::string_view("Obj_0032 Kopfdaten").size()));
    EXPECT_EQ(L.MaxCommentLen(ckClassic), L.MaxCommentLen());
}

TEST(RowTexts, AWindowOfTheContentIsThatPartOfTheWholeContentInEverySet) {
    // UTF-8 with two-byte characters, a stray byte and a control; bytes that 7-bit code does not allow.
    std::string Raw;
    for (int I = 0; I < 50; ++I)
        Raw += I % 7 == 3 ? "\xC3\xBC" : I % 11 == 5 ? "\xFF" : I == 20 ? "\x01" : "a]";
    TXDTPtrList L;
    L.Add(3101, Raw.data(), int32_t(Raw.size()));
    L.Add(3102, "abc", 3);
    for (bool Classic : {false, true})
        for (int Set = 0; Set <= cdModernLast; ++Set) {
            const TRowOptions O{Set, false, false, Classic};
            for (int Entry : {0, 1}) {
                TRowTexts Whole, Part;
                MakeRowTexts(L, Entry, O, Whole);
                const TXDTPtrItem Item = L.Items(Entry);
                const TInhaltFacts F = MeasureInhalt(Item.Inhalt(), O);
                EXPECT_EQ(F.Size, int64_t(Whole.Inhalt.size())) << Set << Classic;
                EXPECT_EQ(F.Invalid, Whole.Invalid) << Set << Classic;
                EXPECT_TRUE(Whole.WholeInhalt());
                for (int64_t From : {0, 1, 7, 40, 69, 70, 200})
                    for (int64_t Count : {0, 1, 5, 100}) {
                        MakeRowTextsWindow(L, Entry, O, From, Count, F, Part);
                        const int64_t At = std::min<int64_t>(From, F.Size);
                        EXPECT_EQ(Part.Inhalt, Whole.Inhalt.substr(size_t(At), size_t(Count)))
                            << Set << Classic << " " << From << "+" << Count;
                        EXPECT_EQ(Part.InhaltFrom, At);
                        EXPECT_EQ(Part.InhaltLength(), F.Size);
                        EXPECT_EQ(Part.Invalid, Whole.Invalid);
                        EXPECT_EQ(Part.Kennung, Whole.Kennung);
                    }
                // The whole texts again after a window: nothing of the window is left.
                MakeRowTexts(L, Entry, O, Part);
                EXPECT_TRUE(Part.WholeInhalt());
                EXPECT_EQ(Part.InhaltFrom, 0);
            }
        }
}
