// Format detection: the signs of each family, the first decisive sign winning over later ones, the
// character set a family implies, and the result for every sample file.
#include "catalogue/XDTFormat.h"
#include "catalogue/XDTSupplement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using F = TXdtFamily;

TXdtFormat Detect(std::initializer_list<TXdtField> Lines) {
    return DetectXdtFormat(std::span<const TXdtField>(Lines.begin(), Lines.size()));
}

// A sample's field lines: three length digits, four identifier digits, the content; a line ends at
// CR or LF. Lines too short or with a non-digit in the first seven characters are left out.
struct TSample {
    explicit TSample(const std::string& Name) {
        std::ifstream In(std::string(OSTREL_TEST_DATA) + "/samples/" + Name, std::ios::binary);
        std::stringstream Buf;
        Buf << In.rdbuf();
        Bytes = Buf.str();
        const std::string_view B = Bytes;
        size_t P = 0;
        while (P < B.size()) {
            size_t E = B.find_first_of("\r\n", P);
            if (E == std::string_view::npos) E = B.size();
            const std::string_view Line = B.substr(P, E - P);
            P = E + 1;
            if (Line.size() < 7 ||
                Line.substr(0, 7).find_first_not_of("0123456789") != std::string_view::npos)
                continue;
            Lines.push_back({std::stoi(std::string(Line.substr(3, 4))), Line.substr(7)});
        }
    }
    // The lines point into Bytes.
    TSample(const TSample&) = delete;
    TSample& operator=(const TSample&) = delete;

    std::string Bytes;
    std::vector<TXdtField> Lines;
};

} // namespace

// ---------------------------------------------------------------- the signs of each family

TEST(XdtFormatDetector, TellsLdt2FromLdt3) {
    // LDT 3 has no record length 8100.
    EXPECT_EQ(Detect({{8000, "8220"}, {8100, "00123"}}).Family, F::Ldt2);
    // A header whose lines say nothing about the version: LDT 3 would have named it in 0001.
    EXPECT_EQ(Detect({{8000, "8230"}, {3101, "Muster"}}).Family, F::Ldt2);
}

TEST(XdtFormatDetector, ReadsTheGdtVersion) {
    const TXdtFormat Gdt30 = Detect({{8000, "6301"}, {9206, "2"}, {9218, "03.00"}});
    EXPECT_EQ(Gdt30.Family, F::Gdt3);
    EXPECT_EQ(Gdt30.Label, "GDT 3.00");
    EXPECT_EQ(Gdt30.ImpliedCharset, TXdtCharset::Ibm437);
    // GDT 3.5 names its version in 0001 and needs ISO 8859-15 whatever 9206 says.
    const TXdtFormat Gdt35 =
        Detect({{8000, "6310"}, {9206, "3"}, {8133, "Kopfdaten_GDT"}, {8002, "Obj_0033"}, {1, "3.5"}});
    EXPECT_EQ(Gdt35.Family, F::Gdt3);
    EXPECT_EQ(Gdt35.Label, "GDT 3.5");
    EXPECT_EQ(Gdt35.ImpliedCharset, TXdtCharset::Iso8859_15);
    EXPECT_EQ(Gdt35.Declared9206, 3);
    // Without 9218 a GDT record says only that it is GDT.
    EXPECT_EQ(Detect({{8000, "6302"}, {3000, "1"}}).Family, F::Gdt);
    EXPECT_EQ(Detect({{8000, "6302"}, {3000, "1"}}).Label, "GDT");
}

TEST(XdtFormatDetector, MapsGdtCharacterSetField) {
    EXPECT_EQ(Detect({{8000, "6311"}, {9206, "1"}}).ImpliedCharset, TXdtCharset::SevenBit);
    EXPECT_EQ(Detect({{8000, "6311"}, {9206, "2"}}).ImpliedCharset, TXdtCharset::Ibm437);
    EXPECT_EQ(Detect({{8000, "6311"}, {9206, "3"}}).ImpliedCharset, TXdtCharset::Ansi);
    EXPECT_EQ(Detect({{8000, "6311"}, {9206, "9"}}).ImpliedCharset, TXdtCharset::None);
    // The first 9206 counts; content that is no small number counts as none.
    EXPECT_EQ(Detect({{9206, "2"}, {8000, "6311"}, {9206, "3"}}).Declared9206, 2);
    EXPECT_EQ(Detect({{9206, "ANSI"}}).Declared9206, 0);
    EXPECT_EQ(Detect({{8000, "6311"}}).Declared9206, 0);
}

TEST(XdtFormatDetector, ReadsTheBdt3Version) {
    const TXdtFormat Bdt3 = Detect({{8000, "0001"}, {1, "3.0"}});
    EXPECT_EQ(Bdt3.Family, F::Bdt3);
    EXPECT_EQ(Bdt3.Label, "BDT 3.0");
    EXPECT_EQ(Bdt3.ImpliedCharset, TXdtCharset::Iso8859_15);
}

TEST(XdtFormatDetector, RecognisesKvdtContainers) {
    EXPECT_EQ(Detect({{8000, "con0"}, {8000, "adt0"}, {9212, "ADT0124.01"}}).Version, "ADT0124.01");
    // Codes are compared without regard to case and surrounding blanks.
    EXPECT_EQ(Detect({{8000, "CON0 "}}).Family, F::Kvdt);
    EXPECT_EQ(Detect({{8000, "hdrg0"}}).Family, F::Kvdt);
}

// ---------------------------------------------------------------- mixed and weak signs

TEST(XdtFormatDetector, KeepsTheFamilyOfTheHeaderWhenSignsMix) {
    const TXdtFormat R = Detect({{8000, "6301"}, {9218, "02.10"}, {8000, "8220"}, {1, "LDT3.2.4"}});
    EXPECT_EQ(R.Family, F::Gdt2);
    EXPECT_EQ(R.Label, "GDT 2.10");
    // Within the family, the first version sign wins and a contradicting version is not taken.
    const TXdtFormat Gdt3 = Detect({{8000, "6301"}, {8200, "Obj_Kopfdaten"}, {9218, "02.10"}});
    EXPECT_EQ(Gdt3.Family, F::Gdt3);
    EXPECT_EQ(Gdt3.Label, "GDT 3");
    EXPECT_EQ(Detect({{8000, "8220"}, {1, "LDT3.2.4"}, {9212, "LDT1014.01"}}).Label, "LDT 3.2.4");
}

TEST(XdtFormatDetector, LetsADecisiveSignOverruleAWeakOne) {
    // 0020 frames BDT disks but also old ADT ones.
    EXPECT_EQ(Detect({{8000, "0020"}}).Family, F::Bdt);
    EXPECT_EQ(Detect({{8000, "0020"}, {8000, "adt0"}}).Family, F::Kvdt);
    // GDT's character-set field before a BDT patient record: BDT, with the declared set.
    const TXdtFormat R = Detect({{9206, "3"}, {8000, "6100"}, {3101, "Lee"}});
    EXPECT_EQ(R.Family, F::Bdt);
    EXPECT_EQ(R.ImpliedCharset, TXdtCharset::Ansi);
    EXPECT_EQ(Detect({{9206, "3"}}).Family, F::Gdt);
}

TEST(XdtFormatDetector, NeedsAFamilyBeforeARefiningSign) {
    const TXdtFormat R = Detect({{1, "3.5"}, {8002, "Obj_0032"}, {8100, "00100"}});
    EXPECT_EQ(R.Family, F::Unknown);
    EXPECT_EQ(R.Label, "xDT");
    EXPECT_EQ(R.Version, "");
    EXPECT_EQ(R.ImpliedCharset, TXdtCharset::None);
    EXPECT_EQ(Detect({}).Label, "xDT");
}

TEST(XdtFormatDetector, StopsLookingAfterTheHeader) {
    TXdtFormatDetector D;
    for (int I = 0; I < TXdtFormatDetector::HeaderLines; ++I) D.Feed(3000, "x");
    D.Feed(8000, "8220");
    EXPECT_EQ(D.Result().Family, F::Unknown);
    // A version after the limit is not taken either.
    TXdtFormatDetector G;
    G.Feed(8000, "6310");
    for (int I = 1; I < TXdtFormatDetector::HeaderLines; ++I) G.Feed(3000, "x");
    G.Feed(9218, "02.10");
    EXPECT_EQ(G.Result().Label, "GDT");
}

TEST(XdtFormatDetector, KeepsNoMoreVersionThanItsBuffer) {
    const TXdtFormat R = Detect({{8000, "8220"}, {1, "LDT3.2.4-" + std::string(40, '9')}});
    EXPECT_EQ(R.Family, F::Ldt3);
    EXPECT_LT(R.Version.size(), 40u);
    EXPECT_EQ(R.Version.substr(0, 9), "LDT3.2.4-");
}

// ---------------------------------------------------------------- the sample files

struct TSampleCase {
    const char* File;
    TXdtFamily Family;
    const char* Label;
    TXdtCharset Charset;
};

class SampleFormat : public testing::TestWithParam<TSampleCase> {};

TEST_P(SampleFormat, IsDetected) {
    const TSampleCase& C = GetParam();
    const TSample S(C.File);
    ASSERT_FALSE(S.Lines.empty()) << C.File;
    const TXdtFormat R = DetectXdtFormat(S.Lines);
    EXPECT_EQ(R.Family, C.Family) << XdtFamilyName(R.Family);
    EXPECT_EQ(R.Label, C.Label);
    EXPECT_EQ(R.ImpliedCharset, C.Charset);
}

using C = TXdtCharset;
INSTANTIATE_TEST_SUITE_P(
    EverySample, SampleFormat,
    testing::Values(
        TSampleCase{"crescnet-perl-xdt-parser__example1.gdt", F::Gdt2, "GDT 2.10", C::Ansi},
        TSampleCase{"crescnet-perl-xdt-parser__example2.gdt", F::Gdt2, "GDT 2.10", C::Ansi},
        TSampleCase{"druc-xdt-parser__corrupt_sample.ldt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"druc-xdt-parser__empty_line_sample.ldt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"druc-xdt-parser__sample.ldt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"druc-xdt-parser__spaced_line_sample.ldt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"egore-libldt3__person-19900204.ldt", F::Ldt3, "LDT 3", C::Iso8859_15},
        TSampleCase{"healthmetrix-libldt3__3.2.4-with-bak.ldt", F::Ldt3, "LDT 3.2.4", C::Iso8859_15},
        TSampleCase{"labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt", F::Ldt3, "LDT 3.2.4",
                    C::Iso8859_15},
        TSampleCase{"labres-ldtparser__Z01_UseCase14_Befund_Obj_0073_mit_PDF.crlf-restored.ldt", F::Ldt3,
                    "LDT 3.2.4", C::Iso8859_15},
        TSampleCase{"levinalex-xdt__e1.ldt", F::Ldt2, "LDT 2", C::None},
        TSampleCase{"levinalex-xdt__e3.ldt", F::Ldt2, "LDT 2 (LDT1001.02)", C::None},
        TSampleCase{"levinalex-xdt__example2.latin1.gdt.txt", F::Gdt2, "GDT 2.10", C::Ansi},
        TSampleCase{"levinalex-xdt__example4.bdt.txt", F::Bdt2, "BDT 02/94", C::None},
        TSampleCase{"levinalex-xdt__example5.gdt.txt", F::Bdt, "BDT", C::Ansi},
        TSampleCase{"levinalex-xdt__gdt2_0-1.txt", F::Gdt2, "GDT 2.00", C::None},
        TSampleCase{"levinalex-xdt__gdt2_1-1.txt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"levinalex-xdt__ldt_lg_report_example.ldt", F::Ldt2, "LDT 2 (07/99)", C::None},
        TSampleCase{"py_kvdt__Z05123456699_27.10.2023_12.00.con", F::Kvdt, "KVDT", C::None},
        TSampleCase{"pygdt__test.gdt", F::Gdt2, "GDT 2.10", C::Ansi},
        TSampleCase{"pygdt__test3.gdt", F::Gdt2, "GDT 2.10", C::None},
        TSampleCase{"vscode-gdt-extension__Message.gdt", F::Gdt3, "GDT 3.01", C::None}));

// With the detected family every identifier of the samples has a name, except four that no
// source names: 3632 in the GDT blood-pressure example, 3638 and 3752 in the BDT patient export,
// 9211 (an old LDT version field).
TEST(SampleNames, CoverEveryIdentifierOfTheSamplesButFour) {
    const char* const Files[] = {
        "crescnet-perl-xdt-parser__example1.gdt",
        "druc-xdt-parser__sample.ldt",
        "egore-libldt3__person-19900204.ldt",
        "healthmetrix-libldt3__3.2.4-with-bak.ldt",
        "labres-ldtparser__Z01_UseCase12_Storno_Auftrag.ldt",
        "labres-ldtparser__Z01_UseCase14_Befund_Obj_0073_mit_PDF.crlf-restored.ldt",
        "levinalex-xdt__e1.ldt",
        "levinalex-xdt__e3.ldt",
        "levinalex-xdt__example2.latin1.gdt.txt",
        "levinalex-xdt__example4.bdt.txt",
        "levinalex-xdt__example5.gdt.txt",
        "levinalex-xdt__gdt2_0-1.txt",
        "levinalex-xdt__gdt2_1-1.txt",
        "levinalex-xdt__ldt_lg_report_example.ldt",
        "py_kvdt__Z05123456699_27.10.2023_12.00.con",
        "vscode-gdt-extension__Message.gdt",
    };
    std::set<int32_t> Unnamed;
    for (const char* File : Files) {
        const TSample S(File);
        const TXdtFamily Family = DetectXdtFormat(S.Lines).Family;
        for (const TXdtField& L : S.Lines) {
            if (ModernFeldArtName(L.FeldArt, Family) == "Fehler: Unbekanntes Feld") Unnamed.insert(L.FeldArt);
            if (L.FeldArt == 8000) {
                EXPECT_NE(ModernSatzArtName(L.Content, Family), "Fehler: Unbekannter XDT-Satz") << File;
            }
            if (L.FeldArt == 8002 || L.FeldArt == 8003 || (L.FeldArt == 8200 && Family == TXdtFamily::Gdt3)) {
                EXPECT_NE(Ldt3ObjectName(L.Content), "") << File << " " << L.Content;
            }
        }
    }
    EXPECT_EQ(Unnamed, (std::set<int32_t>{3632, 3638, 3752, 9211}));
}
