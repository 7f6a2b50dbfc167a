// The supplement's tables and the name order of modern mode: which source names a field, how a
// detected family settles an identifier that families use differently, and the sizes of the tables.
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTSupplement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using F = TXdtFamily;
const char* const UnknownField = "Fehler: Unbekanntes Feld";
const char* const UnknownSatz = "Fehler: Unbekannter XDT-Satz";

} // namespace

// ---------------------------------------------------------------- the name order

TEST(ModernFeldArtName, TakesTheDetectedFamilysOwnNameFirst) {
    // 0225 means one thing in BDT 02/94 and another in KVDT; each family gets its own.
    EXPECT_EQ(ModernFeldArtName(225, F::Kvdt), "TI-Fachanwendung");
    EXPECT_EQ(ModernFeldArtName(225, F::Bdt2), "Anzahl der \xC4rzte");
    EXPECT_EQ(ModernFeldArtName(8200, F::Gdt3), "ObjektIdent");
    EXPECT_EQ(ModernFeldArtName(8200, F::Ldt3), "Akutdiagnose");
    // Different wording only: the family's wording beats the agreed one.
    EXPECT_EQ(ModernFeldArtName(8990, F::Ldt3), "Namensk\xFCrzel / Namenszeichen");
    EXPECT_EQ(ModernFeldArtName(8990, F::Unknown), "Signatur");
}

TEST(ModernFeldArtName, GivesTheClassicNameWhereTheSupplementHasNoneForTheFamily) {
    EXPECT_EQ(ModernFeldArtName(8000, F::Ldt3), "Satzart");
    EXPECT_EQ(ModernFeldArtName(3101, F::Gdt2), "Name");
    EXPECT_EQ(ModernFeldArtName(3101, F::Unknown), FeldArtNameView(3101));
}

TEST(ModernFeldArtName, GivesTheAgreedNameWhenTheFamilyHasNoLine) {
    // 9218 is GDT's alone: an LDT 3 file or a file of no known family still gets its name.
    EXPECT_EQ(ModernFeldArtName(9218, F::Ldt3), "Version GDT");
    EXPECT_EQ(ModernFeldArtName(9218, F::Unknown), "Version GDT");
    EXPECT_EQ(ModernFeldArtName(79, F::Unknown), "Ausf\xFChrbare Datei");
}

TEST(ModernFeldArtName, JoinsConflictingMeaningsWhenNoFamilySettlesThem) {
    EXPECT_EQ(ModernFeldArtName(204, F::Unknown), "Arztgruppe verbal / Status der Betriebsst\xE4tte");
    // KVDT has no line for 0204, and BDT of no known version fits both BDT lines.
    EXPECT_EQ(ModernFeldArtName(204, F::Kvdt), "Arztgruppe verbal / Status der Betriebsst\xE4tte");
    EXPECT_EQ(ModernFeldArtName(204, F::Bdt), "Arztgruppe verbal / Status der Betriebsst\xE4tte");
    EXPECT_EQ(ModernFeldArtName(213, F::Unknown),
              "Leistungskennzeichen / Krankenhaus-IK (im Rahmen der ASV-Abrechnung) / "
              "Institutionskennzeichen (IK) der Betriebsst\xE4tte");
    EXPECT_EQ(ModernFeldArtName(213, F::Ldt3), "Institutionskennzeichen (IK) der Betriebsst\xE4tte");
}

TEST(ModernFeldArtName, EndsWithTheClassicErrorText) {
    EXPECT_EQ(ModernFeldArtName(3315, F::Ldt3), UnknownField);
    EXPECT_EQ(ModernFeldArtName(9211, F::Unknown), UnknownField);
    EXPECT_EQ(ModernFeldArtName(-1, F::Unknown), UnknownField);
    EXPECT_EQ(ModernFeldArtName(10000, F::Kvdt), UnknownField);
}

// ---------------------------------------------------------------- families

TEST(SupplementFeldName, LetsLdt3FallBackToLdt30OnlyWithoutAnLdt3Line) {
    EXPECT_EQ(SupplementFeldName(7295, F::Ldt3), "Tag der Untersuchung");
    EXPECT_EQ(SupplementFeldName(7384, F::Ldt3), "Klinischer Befund");
    EXPECT_EQ(SupplementFeldName(7384, F::Ldt2), "");
}

TEST(SupplementFeldName, MatchesBdtLinesForBothBdtVersions) {
    // A line for BDT serves 02/94 and 3.0; BDT2/BDT3 lines serve their version only.
    EXPECT_EQ(SupplementFeldName(3424, F::Bdt2), "Therapiedauer");
    EXPECT_EQ(SupplementFeldName(3424, F::Bdt3), "Therapiedauer");
    EXPECT_EQ(SupplementFeldName(3424, F::Bdt), "Therapiedauer");
    EXPECT_EQ(SupplementFeldName(204, F::Bdt2), "Arztgruppe verbal");
    EXPECT_EQ(SupplementFeldName(204, F::Bdt3), "Status der Betriebsst\xE4tte");
    EXPECT_EQ(SupplementFeldName(224, F::Bdt2), "");
    // BDT of no known version: a line of one version is taken when the other has none.
    EXPECT_EQ(SupplementFeldName(225, F::Bdt), "Anzahl der \xC4rzte");
    EXPECT_EQ(SupplementFeldName(204, F::Bdt), "");
}

TEST(SupplementFeldName, LetsTheGdtVersionsStandInForEachOther) {
    EXPECT_EQ(SupplementFeldName(8201, F::Gdt2), "Objektende");
    EXPECT_EQ(SupplementFeldName(9218, F::Gdt), "Version GDT");
    EXPECT_EQ(SupplementFeldName(9218, F::Bdt), "");
}

TEST(SupplementFeldName, IsEmptyWithoutAFamilyOrOutsideTheSupplement) {
    EXPECT_EQ(SupplementFeldName(225, F::Unknown), "");
    EXPECT_EQ(SupplementFeldName(8000, F::Ldt3), "");
}

TEST(SupplementFeldConflict, SeparatesWordingFromMeaning) {
    EXPECT_EQ(SupplementFeldConflict(8315), TSupplementConflict::Name);
    EXPECT_EQ(SupplementFeldNameAgreed(8315), "GDT-ID des Empf\xE4ngers");
    EXPECT_EQ(SupplementFeldNameJoined(8315), "");
    EXPECT_EQ(SupplementFeldConflict(4210), TSupplementConflict::Meaning);
    EXPECT_EQ(SupplementFeldNameAgreed(4210), "");
    EXPECT_EQ(SupplementFeldNameJoined(4210), "Ankreuzfeld Muvo LSR / SER");
    EXPECT_EQ(SupplementFeldConflict(1), TSupplementConflict::None);
    EXPECT_EQ(SupplementFeldNameJoined(1), "");
}

// ---------------------------------------------------------------- record types

TEST(ModernSatzArtName, TakesTheClassicTableFirst) {
    // The supplement knows LDT 3's wording of 8220; the classic name stays.
    EXPECT_EQ(ModernSatzArtName("8220", F::Ldt3), "L-Datenpaket-Header");
    EXPECT_EQ(ModernSatzArtName("CON0", F::Kvdt), "Container-Header");
}

TEST(ModernSatzArtName, FallsBackToTheSupplementWithTheFamilysLine) {
    EXPECT_EQ(ModernSatzArtName("8205", F::Ldt3), "Befund");
    EXPECT_EQ(ModernSatzArtName("6310", F::Unknown), "Daten einer Untersuchung \xFC"
                                                     "bermitteln");
    EXPECT_EQ(ModernSatzArtName("TEXT", F::Bdt3), "Textbausteine");
    EXPECT_EQ(ModernSatzArtName("0010", F::Bdt3), "Praxisstammdaten");
    EXPECT_EQ(ModernSatzArtName("0010", F::Bdt2), "Praxisdaten");
    EXPECT_EQ(ModernSatzArtName("0010", F::Bdt), "Praxisdaten");
    EXPECT_EQ(ModernSatzArtName("6100", F::Bdt3), "Administrative und medizinische Patientenstammblattdaten");
    EXPECT_EQ(ModernSatzArtName("6100", F::Unknown), "Patientenstamm");
}

TEST(ModernSatzArtName, EndsWithTheClassicErrorText) {
    EXPECT_EQ(ModernSatzArtName("6320", F::Gdt3), UnknownSatz);
    EXPECT_EQ(ModernSatzArtName("", F::Unknown), UnknownSatz);
    EXPECT_EQ(SupplementSatzArtName("8220", F::Ldt3), "");
}

// ---------------------------------------------------------------- objects and values

TEST(Ldt3ObjectName, ShowsTheNameWithoutObj) {
    EXPECT_EQ(Ldt3ObjectName("Obj_0032"), "Kopfdaten");
    EXPECT_EQ(Ldt3ObjectName("Obj_0026"), "Fehlermeldung/Aufmerksamkeit");
    EXPECT_EQ(Ldt3ObjectName("Obj_0033"), "Kopfdaten_GDT");
    // The LDT 3.2 name of an object that LDT 3.0 named otherwise.
    EXPECT_EQ(Ldt3ObjectName("Obj_0055"), "Blutgruppenzugehoerigkeit");
    // GDT 3.0 names its objects in 8200 by name, not number.
    EXPECT_EQ(Ldt3ObjectName("Obj_Basisdiagnostik"), "Basisdiagnostik");
    EXPECT_EQ(Ldt3ObjectName("Obj_\xDC"
                             "berweisung"),
              "\xDC"
              "berweisung");
}

TEST(Ldt3ObjectName, IsEmptyForAnythingElse) {
    EXPECT_EQ(Ldt3ObjectName("obj_0032"), "");
    EXPECT_EQ(Ldt3ObjectName("Obj_0032 "), "");
    EXPECT_EQ(Ldt3ObjectName("Obj_9999"), "");
    EXPECT_EQ(Ldt3ObjectName("Obj_"), "");
    EXPECT_EQ(Ldt3ObjectName(""), "");
}

TEST(Ldt3ValueComment, ExplainsTheValuesOfCodedFields) {
    EXPECT_EQ(Ldt3ValueComment(7420, "07"), "Laborarzt/Befundersteller");
    EXPECT_EQ(Ldt3ValueComment(7273, "UTC-5"), "5 h hinter UTC");
    EXPECT_EQ(Ldt3ValueComment(8422, "--"), "stark erniedrigt");
    EXPECT_EQ(Ldt3ValueComment(8418, "A"), "Analytik abgeschlossen (nur LDT 3.0.x)");
    EXPECT_EQ(Ldt3ValueComment(8424, "25"), "weitere patientenspezifische Einflussgr\xF6\xDF"
                                            "en (z.B. Medikation; Spezifikation in FK 8167)");
    EXPECT_EQ(Ldt3ValueComment(8424, "20"), "Patientenspezifische Einflussgr\xF6\xDF"
                                            "e \"Alter\" betreffend");
}

TEST(Ldt3ValueComment, IsEmptyForOtherValuesAndUncodedFields) {
    EXPECT_TRUE(HasLdt3ValueComments(7420));
    EXPECT_EQ(Ldt3ValueComment(7420, "13"), "");
    EXPECT_EQ(Ldt3ValueComment(7420, "07 "), "");
    EXPECT_EQ(Ldt3ValueComment(7420, "7"), "");
    EXPECT_FALSE(HasLdt3ValueComments(3101));
    EXPECT_EQ(Ldt3ValueComment(3101, "07"), "");
    EXPECT_FALSE(HasLdt3ValueComments(-1));
    EXPECT_FALSE(HasLdt3ValueComments(10000 + 7420));
}

// ---------------------------------------------------------------- the tables as a whole

TEST(SupplementTables, HaveTheSizesOfTheirFiles) {
    EXPECT_EQ(SupplementFeldCount(), 899u);
    EXPECT_EQ(SupplementFeldLineCount(), 926u);
    EXPECT_EQ(SupplementSatzArtCount(), 33u);
    EXPECT_EQ(SupplementSatzArtLineCount(), 35u);
    EXPECT_EQ(Ldt3ObjectCount(), 99u);
    EXPECT_EQ(Ldt3ValueFieldCount(), 19u);
    EXPECT_EQ(Ldt3ValueCount(), 223u);
}

TEST(SupplementTables, AddIdentifiersBesideTheClassicOnesOnly) {
    size_t Identifiers = 0, Lines = 0, ValueFields = 0, Meanings = 0, Names = 0;
    for (int32_t Id = 0; Id <= 9999; ++Id) {
        const auto L = SupplementFeldLines(Id);
        if (!L.empty()) {
            ++Identifiers;
            Lines += L.size();
            EXPECT_EQ(FeldArtIndex(Id), 0) << Id;
            // Every identifier has a name in modern mode, whatever the family.
            EXPECT_NE(ModernFeldArtName(Id, F::Unknown), UnknownField) << Id;
        }
        ValueFields += HasLdt3ValueComments(Id);
        Meanings += SupplementFeldConflict(Id) == TSupplementConflict::Meaning;
        Names += SupplementFeldConflict(Id) == TSupplementConflict::Name;
    }
    EXPECT_EQ(Identifiers, SupplementFeldCount());
    EXPECT_EQ(Lines, SupplementFeldLineCount());
    EXPECT_EQ(ValueFields, Ldt3ValueFieldCount());
    EXPECT_EQ(Meanings, 23u);
    EXPECT_EQ(Names, 3u); // 8315, 8316, 8990
}
