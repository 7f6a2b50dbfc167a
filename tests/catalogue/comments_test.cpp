// The value comments of every field: each table completely, the special rules with all their
// shapes, and the cases where a sloppy comparison would still produce a text.
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "support/Ansi.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// The expected texts are written in UTF-8 here and turned into the program's Windows-1252 bytes, so
// that a wrong escape in the tables shows up as a mismatch.
std::string W(std::string_view Utf8) {
    return QStringToAnsi(QString::fromUtf8(Utf8.data(), qsizetype(Utf8.size())));
}

using TRows = std::vector<std::pair<std::string, std::string>>;
struct TTable {
    std::vector<int32_t> Ids;
    TRows Rows;
};

TRows Without(TRows Rows, const std::set<std::string>& Drop) {
    std::erase_if(Rows, [&](const auto& R) { return Drop.count(R.first) > 0; });
    return Rows;
}
TRows With(TRows Rows, const TRows& Add) {
    Rows.insert(Rows.end(), Add.begin(), Add.end());
    return Rows;
}
TRows Replaced(TRows Rows, const std::map<std::string, std::string>& New) {
    for (auto& R : Rows)
        if (New.count(R.first)) R.second = New.at(R.first);
    return Rows;
}
const TRows& RowsOf(const std::vector<TTable>& Tables, int32_t Id) {
    for (const TTable& T : Tables)
        for (int32_t I : T.Ids)
            if (I == Id) return T.Rows;
    throw std::logic_error("no table");
}

// Every plain value table; identifiers listed together share one table.
const std::vector<TTable>& PlainTables() {
    static const std::vector<TTable> Tables = [] {
        std::vector<TTable> T = {
            {{301},
             {
                 {"0", "nein"},
                 {"1", "ja - ausschließlich"},
                 {"2", "ja - teilweise"},
             }},
            {{305},
             {
                 {"0", "nein"},
                 {"1", "ja"},
                 {"2", "pnSD/uu-Analyse"},
             }},
            {{917, 918, 953},
             {
                 {"N1", "Kleine Packung"},
                 {"N2", "Mittlere Packung"},
                 {"N3", "Große Packung"},
                 {"kA", "keine Angabe"},
             }},
            {{960, 5020, 8510, 9463, 9467, 9469, 9473, 9474, 9480},
             {
                 {"0", "nein"},
                 {"1", "ja"},
             }},
            {{961, 962, 4202, 4203, 4204, 4231, 4234, 4236, 8415, 8423, 8424, 8425, 8503},
             {
                 {"1", "ja"},
             }},
            {{2018},
             {
                 {"01", "Allgemeine Ortskrankenkasse (AOK)"},
                 {"02", "Landwirtschaftliche Krankenkasse (LKK)"},
                 {"03", "Innungskrankenkasse (IKK)"},
                 {"04", "Betriebskrankenkasse (BKK)"},
                 {"05", "Knappschaft Bahn See"},
                 {"06", "Seekrankenkasse (SEE)"},
                 {"11", "Verband der Ersatzkassen (VdEK)"},
                 {"12", "Arbeiter-Ersatzkassen (AEV)"},
                 {"30", "Besondere Vertragsformen (BVF)"},
                 {"35", "Ausländische Kostenträger (AUS)"},
                 {"59", "Sozialhilfeträger (SHT)/Asylstelle (AS)"},
                 {"71", "Bundesgrenzschutz (BGS)"},
                 {"72", "Zivildienst (ZIV)"},
                 {"73", "Polizei (POL)/Feuerwehr (FW)/Justizvollzugsanstalt (JVA)"},
                 {"75", "Bundeswehr (BW)"},
                 {"76", "Gesundheitsämter (GSA)"},
                 {"77", "Medizinischer Dienst der Krankenkassen"},
                 {"81", "Postbeamtenkrankenkasse, Mitglieder A (PBA)"},
                 {"82", "Postbeamtenkrankenkasse, Dienstunfall (PBD)"},
                 {"84", "Bundesbahnbeamte, Mitgliedergruppe I-III (DBM)"},
                 {"85", "Bundesbahnbeamte, Dienstunfall (DBD)"},
                 {"86", "Jugendarbeitsschutzuntersuchung (JAS)"},
                 {"87", "Entschädigungsamt Berlin (EA)"},
                 {"88", "Träger der gesetzlichen Unfallversicherer (UV)"},
             }},
            {{3004},
             {
                 {"0", "eGK - Kartengeneration unbekannt (da bspw. Ersatzverfahren oder mobiles Lesegerät)"},
                 {"1", "eGK - Generation 1"},
                 {"2", "eGK - Generation 1+"},
                 {"3", "eGK - Generation 2"},
             }},
            {{3108, 9407},
             {
                 {"1", "Mitglied"},
                 {"3", "Familienversicherter"},
                 {"5", "Rentner"},
             }},
            {{3110},
             {
                 {"0", "unbekannt"},
                 {"1", "männlich"},
                 {"2", "weiblich"},
                 {"M", "männlich"},
                 {"U", "unbekannt"},
                 {"W", "weiblich"},
             }},
            {{3116},
             {
                 {"00", "Dummy bei eGK"},
                 {"01", "Schleswig-Holstein"},
                 {"02", "Hamburg"},
                 {"03", "Bremen"},
                 {"17", "Niedersachsen"},
                 {"20", "Westfalen-Lippe"},
                 {"38", "Nordrhein"},
                 {"46", "Hessen"},
                 {"51", "Rheinland-Pfalz"},
                 {"52", "Baden-Württemberg"},
                 {"71", "Bayern"},
                 {"72", "Berlin"},
                 {"73", "Saarland"},
                 {"74", "KBV"},
                 {"78", "Mecklenburg-Vorpommern"},
                 {"83", "Brandenburg"},
                 {"88", "Sachsen-Anhalt"},
                 {"93", "Thüringen"},
                 {"98", "Sachsen"},
             }},
            {{3117},
             {
                 {"01", "Schleswig-Holstein"},
                 {"02", "Hamburg"},
                 {"03", "Bremen"},
                 {"06", "Aurich"},
                 {"07", "Braunschweig"},
                 {"08", "Göttingen"},
                 {"09", "Hannover"},
                 {"10", "Hildesheim"},
                 {"11", "Lüneburg"},
                 {"12", "Oldenburg"},
                 {"13", "Osnabrück"},
                 {"14", "Stade"},
                 {"15", "Verden"},
                 {"16", "Wilhelmshaven"},
                 {"18", "Dortmund"},
                 {"19", "Münster"},
                 {"21", "Aachen"},
                 {"24", "Düsseldorf"},
                 {"25", "Duisburg"},
                 {"27", "Köln"},
                 {"28", "Linker Niederrhein"},
                 {"31", "Ruhr"},
                 {"37", "Bergisch-Land"},
                 {"39", "Darmstadt"},
                 {"40", "Frankfurt/Main"},
                 {"41", "Gießen"},
                 {"42", "Kassel"},
                 {"43", "Limburg"},
                 {"44", "Marburg"},
                 {"45", "Wiesbaden"},
                 {"47", "Koblenz"},
                 {"48", "Rheinhessen"},
                 {"49", "Pfalz"},
                 {"50", "Trier"},
                 {"55", "Karlsruhe"},
                 {"57", "Freiburg"},
                 {"58", "Konstanz"},
                 {"59", "Offenburg"},
                 {"60", "Freiburg"},
                 {"61", "Stuttgart"},
                 {"62", "Reutlingen"},
                 {"63", "München Stadt u. Land"},
                 {"64", "Oberbayern"},
                 {"65", "Oberfranken"},
                 {"66", "Mittelfranken"},
                 {"67", "Unterfranken"},
                 {"68", "Oberpfalz"},
                 {"69", "Niederbayern"},
                 {"70", "Schwaben"},
                 {"72", "Berlin"},
                 {"73", "Saarland"},
                 {"74", "KBV"},
                 {"78", "Mecklenburg-Vorpommern"},
                 {"79", "Potsdam"},
                 {"80", "Cottbus"},
                 {"81", "Frankfurt/Oder"},
                 {"85", "Magdeburg"},
                 {"86", "Halle"},
                 {"87", "Dessau"},
                 {"89", "Erfurt"},
                 {"90", "Gera"},
                 {"91", "Suhl"},
                 {"94", "Chemnitz"},
                 {"95", "Dresden"},
                 {"96", "Leipzig"},
             }},
            {{3674, 6003, 6288, 6293},
             {
                 {"A", "Ausschluss"},
                 {"G", "gesicherte Diagnose"},
                 {"V", "Verdacht auf"},
                 {"Z", "Zustand nach"},
             }},
            {{3675, 6004, 6289, 9264},
             {
                 {"B", "beiderseits"},
                 {"L", "links"},
                 {"R", "rechts"},
             }},
            {{4106},
             {
                 {"00", "Primärabrechnung"},
                 {"01", "Sozialversicherungsabkommen (SVA)"},
                 {"02", "Bundesversorgungsgesetz (BVG)"},
                 {"03", "Bundesentschädigungsgesetz (BEG)"},
                 {"04", "Grenzgänger (GG)"},
                 {"05", "Rheinschiffer (RHS)"},
                 {"06", "Sozialhilfeträger, ohne Asylstellen (SHT)"},
                 {"07", "Bundesvertriebenengesetz (BVFG)"},
                 {"08", "Asylstellen (AS)"},
                 {"09", "Schwangerschaftsabbrüche"},
             }},
            {{4107},
             {
                 {"1", "PKA (Primärkassen)"},
                 {"2", "EKK (Ersatzkassen)"},
                 {"3", "SKT (Sonstige Kostenträger)"},
             }},
            {{4113},
             {
                 {"1", "West"},
                 {"4", "Sozialhilfeempfänger"},
                 {"6", "BVG"},
                 {"7", "SVA"},
                 {"8", "SVA"},
                 {"9", "Ost"},
                 {"A", "eingeschr. Versicherte in DMP für Brustkrebs – RK West"},
                 {"C", "eingeschr. Versicherte in DMP für Brustkrebs – RK Ost"},
                 {"D", "eingeschr. Versicherte in DMP Asthma bronchiale - RK West"},
                 {"E", "eingeschr. Versicherte in DMP für Diabetes mellitus Typ 1 – RK West"},
                 {"F", "eingeschr. Versicherte in DMP Asthma bronchiale - RK Ost"},
                 {"K", "eingeschr. Versicherte in DMP für Koronare Herzkrankheit – RK West"},
                 {"L", "eingeschr. Versicherte in DMP für Koronare Herzkrankheit – RK Ost"},
                 {"M", "eingeschr. Versicherte in DMP für Diabetes mellitus Typ 2 – RK West"},
                 {"N", "eingeschr. Versicherte in DMP für Diabetes mellitus Typ 1 – RK Ost"},
                 {"P", "eingeschr. Versicherte in DMP COPD - RK Ost"},
                 {"S", "eingeschr. Versicherte in DMP COPD - RK West"},
                 {"X", "eingeschr. Versicherte in DMP für Diabetes mellitus Typ 2 – RK Ost"},
             }},
            {{4121},
             {
                 {"1", "BMÄ"},
                 {"2", "E-GO"},
                 {"3", "GOÄ"},
             }},
            {{4122},
             {
                 {"00", "Kein besonderes Abrechnungsgebiet (Defaultwert)"},
                 {"01", "Dialyse-Arztkosten"},
                 {"02", "Dialyse-Sachkosten"},
                 {"03", "Methadon-Substitutionsbehandlung"},
                 {"04", "persönlich erbrachte Notfallleistungen durch ermächtigte Krankenhausärzte"},
                 {"05", "Sonstige Notfallleistungen durch ermächtigte Krankenhausärzte"},
                 {"06", "Fremde Zytologie"},
                 {"07", "Diabetes"},
                 {"08", "Umweltmedizin"},
                 {"09", "Rheuma"},
                 {"10", "Hirnleistungsstörungen"},
                 {"14", "Ambulantes Operieren"},
                 {"15", "AOP nach §115b"},
                 {"80", "Wahltarif BKK Arzt privat"},
             }},
            {{4123, 9402},
             {
                 {"01", "Beschädigter"},
                 {"02", "Schwerbeschädigter"},
                 {"03", "Angehöriger"},
                 {"04", "Hinterbliebener"},
                 {"05", "Pflegeperson"},
                 {"06", "Tauglichkeitsuntersuchung"},
                 {"07", "ärztl. Versorgung"},
                 {"08", "Bewerber"},
                 {"09", "Erstuntersuchung"},
                 {"10", "Nachuntersuchung"},
                 {"11", "Ergänzungsuntersuchung"},
                 {"12", "Verfolgte"},
             }},
            {{4131},
             {
                 {"4", "BSHG (Bundessozialhilfegesetz) § 264 SGB V"},
                 {"6", "BVG (Gesetz uber die Versorgung der Opfer des Krieges)"},
                 {"7", "SVA-Kennzeichnung fur zwischenstaatliches Krankenversicherungsrecht: Personen mit "
                       "Wohnsitz im Inland, Abrechnung nach Aufwand"},
                 {"8", "SVA-Kennzeichnung, pauschal"},
             }},
            {{4132},
             {
                 {"1", "Diabetes mellitus Typ 2"},
                 {"2", "Brustkrebs"},
                 {"3", "Koronare Herzkrankheit"},
                 {"4", "Diabetes mellitus Typ 1"},
                 {"5", "Asthma bronchiale"},
                 {"6", "COPD (chronic obstructive pulmonary disease)"},
             }},
            {{4221},
             {
                 {"1", "Kurativ"},
                 {"2", "Präventiv"},
                 {"3", "Empfängnisregelung, Sterilisation, Schwangerschaftsabbruch (kurz ESS)"},
                 {"4", "belegärztliche Behandlung"},
             }},
            {{4239},
             {
                 {"00", "Ambulante Behandlung"},
                 {"20", "Selbstausstellung"},
                 {"21", "Auftragsleistungen"},
                 {"23", "Konsiliaruntersuchung"},
                 {"24", "Mit-/Weiterbehandlung"},
                 {"26", "Stationäre Mitbehandlung, Vergütung nach ambulanten Grundsätzen"},
                 {"27",
                  "Überweisungsschein für Laboratoriumsuntersuchungen als Auftragsleistung (Muster 10)"},
                 {"28",
                  "Anforderungsschein für Laboratoriumsuntersuchungen bei Laborgemeinschaften (Muster 10a)"},
                 {"30", "Belegärztliche Behandlung"},
                 {"31", "Belegärztliche Mitbehandlung"},
                 {"32", "Urlaubs- bzw. Krankheitsvertretung bei belegärztlicher Behandlung"},
                 {"41", "Ärztlicher Notfalldienst"},
                 {"42", "Urlaubs- bzw. Krankheitsvertretung"},
                 {"43", "Notfall"},
                 {"44", "Notfalldienst im Taxi"},
                 {"45", "Notarzt-/Rettungswagen (Rettungsdienst)"},
                 {"46", "Zentraler Notfalldienst"},
             }},
            {{4261},
             {
                 {"1", "Ambulante Vorsorgeleistung zur Krankheitsverhütung"},
                 {"2", "Ambulante Vorsorgeleistung bei bestehenden Krankheiten"},
                 {"3", "Ambulante Vorsorgeleistung für Kinder"},
             }},
            {{5024},
             {
                 {"N", "poststationäre Leistung"},
             }},
            {{5043},
             {
                 {"1", "ml"},
                 {"2", "mg"},
                 {"3", "µg"},
             }},
            {{8313},
             {
                 {"1", "Nachforderung"},
             }},
            {{8401},
             {
                 {"A", "Archiv-Befund"},
                 {"E", "Endbefund"},
                 {"N", "Nachforderung"},
                 {"T", "Teilbefund"},
                 {"V", "Vorläufiger Befund"},
             }},
            {{8403},
             {
                 {"1", "BMÄ"},
                 {"2", "EGO"},
                 {"3", "GOÄ 96"},
                 {"4", "BG-Tarif"},
                 {"5", "GOÄ 88"},
             }},
            {{8407},
             {
                 {"0", "unbekannt"},
                 {"1", "männlich"},
                 {"2", "weiblich"},
                 {"3", "Kind"},
                 {"4", "Kind, männlich"},
                 {"5", "Kind, weiblich"},
                 {"6", "Tier"},
             }},
            {{8418},
             {
                 {"B", "bereits berichtet"},
                 {"F", "fehlt/folgt"},
                 {"K", "korrigierter Wert"},
             }},
            {{8501},
             {
                 {"1", "Notfall"},
                 {"2", "eilig"},
             }},
            {{8527},
             {
                 {"1", "bevorzugtes Material"},
                 {"2", "Alternativmaterial"},
                 {"3", "Ausnahmematerial"},
             }},
            {{8530, 8532},
             {
                 {"1", "sehr wichtig"},
                 {"2", "wichtig"},
                 {"3", "möglich"},
                 {"9", "Ausschluss"},
             }},
            {{8609},
             {
                 {"E", "Einsender (persönlich)"},
                 {"K", "Kassenpatient"},
                 {"P", "Privatpatient"},
                 {"X", "andere Rechnungsempfänger, z.B. BG"},
             }},
            {{8610},
             {
                 {"1", "Privat"},
                 {"2", "Post B"},
                 {"3", "KVB"},
             }},
            {{8611},
             {
                 {"0", "Papier"},
                 {"1", "Telefon"},
                 {"2", "Telefax"},
                 {"3", "Telex"},
                 {"4", "Mailbox"},
                 {"5", "Praxis-Computer"},
                 {"6", "BTX"},
                 {"7", "Diskette"},
             }},
            {{8614},
             {
                 {"1", "Labor"},
                 {"2", "Einweiser"},
             }},
            {{9106},
             {
                 {"1", "7-bit-Code"},
                 {"2", "IBM-Code"},
                 {"3", "ISO 8859-1 Code"},
                 {"4", "ISO 8859-15 Code"},
             }},
            {{9132},
             {
                 {"1", "ADT-Datenpaket"},
                 {"2", "(nicht belegt)"},
                 {"3", "Kurärztliches Abrechnungs-Datenpaket"},
                 {"4", "(nicht belegt)"},
                 {"5", "STDT-Datenpaket"},
                 {"6", "SADT-Datenpaket"},
             }},
            {{9139},
             {
                 {"20", "Westfalen-Lippe"},
             }},
            {{9400},
             {
                 {"1", "Ein Eintrag einer Uhrzeit (FK 5006) zur ersten GNR des ersten "
                       "Arzt-Patientenkontaktes an demselben Behandlungstag muss vorgenommen werden"},
                 {"2", "Ein Eintrag einer Uhrzeit (FK 5006) zur ersten GNR des ersten "
                       "Arzt-Patientenkontaktes an demselben Behandlungstag muss nicht vorgenommen werden"},
             }},
            {{9401, 9409},
             {
                 {"1", "Wegepauschale"},
                 {"2", "Wegepauschale bis 2 Kilometer, DKM ab 2 Kilometer"},
                 {"3", "DKM"},
                 {"4", "Angabe \"Zone bei Besuchen\" nur einmal je SA \"010x\""},
                 {"5", "Keine Angabe, sondern Vorlage einer \"handschriftlichen\" Wegegeldliste bei der KV"},
                 {"6",
                  "DKM, Ausnahme: bei \"Notfallpatienten\" (SA 8000=0104), dann auch Wegepauschale zulässig"},
                 {"7", "Wegepauschale, Ausnahme: ärztlicher Notfalldienst, dann tatsächlich gefahrene DKM"},
                 {"8", "DKM (lt. Wegegeldliste der KV), Ausnahme: ärztlicher Notfalldienst, dann tatsächlich "
                       "gefahrene DKM"},
                 {"9", "Wegepauschale, Ausnahme: im organisierten Notfalldienst ab einer Entfernung von 0,5 "
                       "Kilometern Angabe von DKM"},
                 {"10", "KV-interne GNR unter FK 5001; Angabe der Doppelkilometer (DKM) als Multiplikator "
                        "unter FK 5005"},
             }},
            {{9403},
             {
                 {"1", "Grundlistennummer Versorgungsamt"},
                 {"2", "Registriernummer"},
                 {"3", "Aktenzeichen der Entschädigungsbehörde"},
                 {"4", "Aktenzeichen der Kostenstelle"},
                 {"5", "Name des Auslands"},
                 {"6", "Personalnummer"},
                 {"7", "Personenkennnummer"},
                 {"8", "Dienststelle"},
                 {"9", "Schule/Universität/Kindergarten"},
                 {"10", "Personalnummer der Dienststelle"},
             }},
            {{9404},
             {
                 {"1", "Gültigkeitszeitraum unter FK 4125 erforderlich"},
                 {"2", "Zivildienstdauer unter FK 4125 erforderlich"},
                 {"4", "Bemerkung der Entschädigungsbehörde unter FK 4126 erforderlich"},
             }},
            {{9405},
             {
                 {"1", "Enthält der Behandlungstag (FK 5000) eine GNR (FK 5001), muss dem Feld \"Sachkosten/ "
                       "Materialkosten in Cent\" (FK 5012) eine Pseudo-GNR für Kosten vorangehen"},
                 {"2", "Enthält der Behandlungstag (FK 5000) eine GNR (FK 5001), muss dem Feld \"Sachkosten/ "
                       "Materialkosten in Cent\" (FK 5012) keine Pseudo-GNR für Kosten vorangehen"},
             }},
            {{9452},
             {
                 {"1", "KTAB"},
                 {"2", "AbrA"},
                 {"3", "GebO"},
                 {"4", "AbrG"},
                 {"5", "VKNR"},
                 {"6", "Status"},
                 {"7", "Name"},
                 {"8", "Quartal"},
                 {"9", "Scheinuntergruppe"},
             }},
            {{9457},
             {
                 {"0", "Gehört zur führenden Scheingruppe"},
                 {"1", "Gehört zur nachgestellten Scheingruppe"},
             }},
            {{9458},
             {
                 {"1", "LQ_VQAZ (LQ=Laufendes Quartal, VQ=Vorquartal, AZ=Aufsteigend)"},
                 {"2", "VQAZ_LQ (LQ=Laufendes Quartal, VQ=Vorquartal, AZ=Aufsteigend)"},
                 {"3", "LQ_VQZA=VQZA_LQ (LQ=Laufendes Quartal, VQ=Vorquartal, ZA=Abfallend)"},
             }},
            {{9462},
             {
                 {"1", "Abgabe"},
                 {"2", "Abgabe, wenn keine KVK eingelesen wurde"},
             }},
            {{9465},
             {
                 {"0", "\"Schwerpunktschein\" ist führend. Alle anderen Werte bezeichnen die Reihenfolge in "
                       "der Klammerung"},
             }},
            {{9468},
             {
                 {"0", "Status des führenden Scheins"},
                 {"1", "Status des ersten Scheins im Quartal"},
                 {"2", "Status des letzten Scheins im Quartal"},
             }},
        };
        // Three tables are variants of others.
        T.push_back({{9102},
                     With(Without(RowsOf(T, 3117), {"57", "58", "59", "74", "89", "90", "91"}),
                          {{"20", "Dortmund"},
                           {"83", "Brandenburg"},
                           {"93", "Thüringen"},
                           {"99", "Bundesknappschaft"}})});
        T.push_back({{9113}, With(Without(RowsOf(T, 3116), {"00", "74"}), {{"99", "Bundesknappschaft"}})});
        T.push_back(
            {{9135, 9138},
             Replaced(RowsOf(T, 9132), {{"2", "AODT (nicht belegt)"}, {"4", "AODT-Hessen (nicht belegt)"}})});
        return T;
    }();
    return Tables;
}

// Printable ASCII: every value of one or two characters built from it is tried.
std::vector<std::string> AllValues(size_t Len) {
    std::vector<std::string> R;
    if (Len == 1)
        for (char C = ' '; C <= '~'; ++C) R.push_back(std::string(1, C));
    else
        for (char A = ' '; A <= '~'; ++A)
            for (char B = ' '; B <= '~'; ++B) R.push_back(std::string{A, B});
    return R;
}

} // namespace

TEST(InhaltComment, PlainTablesGiveEveryTextForEveryIdentifier) {
    for (const TTable& T : PlainTables())
        for (int32_t Id : T.Ids)
            for (const auto& [Value, Text] : T.Rows)
                EXPECT_EQ(InhaltComment(Id, Value), W(Text)) << Id << " " << Value;
}

TEST(InhaltComment, PlainTablesKnowNoOtherValueAndNoOtherLength) {
    for (const TTable& T : PlainTables()) {
        std::map<std::string, std::string> Known(T.Rows.begin(), T.Rows.end());
        std::set<size_t> Lens;
        for (const auto& R : T.Rows) Lens.insert(R.first.size());
        for (int32_t Id : T.Ids) {
            for (size_t Len : Lens)
                for (const std::string& V : AllValues(Len)) {
                    if (Known.count(V)) continue;
                    EXPECT_EQ(InhaltComment(Id, V), "") << Id << " '" << V << "'";
                }
            // A known value cut short or lengthened has no comment (unless that is a value too).
            for (const auto& [Value, Text] : T.Rows) {
                for (const std::string& V : {Value + Value, Value + " ", " " + Value, Value.substr(1)}) {
                    if (Known.count(V)) continue;
                    EXPECT_EQ(InhaltComment(Id, V), "") << Id << " '" << V << "'";
                }
            }
        }
    }
}

TEST(InhaltComment, ExactlyTheListedIdentifiersHaveComments) {
    std::set<int32_t> Expected = {101, 925, 4112, 8000, 8422, 9406};
    for (const TTable& T : PlainTables()) Expected.insert(T.Ids.begin(), T.Ids.end());
    ASSERT_EQ(Expected.size(), 94u);

    // Contents that some rule of every listed identifier accepts.
    std::vector<std::string> Probes = {"0102", "8201", "1000", "0312", "X000000", "Z/31000000000000"};
    for (size_t Len : {1, 2})
        for (const std::string& V : AllValues(Len)) Probes.push_back(V);
    std::set<int32_t> Found;
    for (int32_t Id = 0; Id <= 9999; ++Id)
        for (const std::string& P : Probes)
            if (!InhaltComment(Id, P).empty()) {
                Found.insert(Id);
                break;
            }
    EXPECT_EQ(Found, Expected);
}

TEST(InhaltComment, NoCommentForEmptyContentOrIdentifiersOutOfRange) {
    for (int32_t Id = 0; Id <= 9999; ++Id) EXPECT_EQ(InhaltComment(Id, ""), "") << Id;
    for (int32_t Id : {-1, -8000, 10000, 18000, 65536 + 8000, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(InhaltComment(Id, "1"), "") << Id;
        EXPECT_EQ(InhaltComment(Id, "8201"), "") << Id;
    }
    EXPECT_EQ(InhaltComment(3101, "1"), "");
    EXPECT_EQ(InhaltComment(3101, "M\xFCller"), "");
}

TEST(InhaltComment, CaseAndByteExactComparison) {
    EXPECT_EQ(InhaltComment(3110, "M"), W("männlich"));
    EXPECT_EQ(InhaltComment(3110, "1"), W("männlich"));
    EXPECT_EQ(InhaltComment(3110, "m"), "");
    EXPECT_EQ(InhaltComment(3110, "w"), "");
    EXPECT_EQ(InhaltComment(917, "kA"), "keine Angabe");
    EXPECT_EQ(InhaltComment(917, "KA"), "");
    EXPECT_EQ(InhaltComment(917, "N4"), "");
    EXPECT_EQ(InhaltComment(917, "n1"), "");
}

TEST(InhaltComment, TextsHoldTheirOwnBytes) {
    // 4113 mixes the en dash (byte 150) and the plain hyphen.
    EXPECT_EQ(InhaltComment(4113, "A"), "eingeschr. Versicherte in DMP f\xFCr Brustkrebs \x96 RK West");
    EXPECT_EQ(InhaltComment(4113, "D"), "eingeschr. Versicherte in DMP Asthma bronchiale - RK West");
    EXPECT_EQ(InhaltComment(5043, "3"), "\xB5g");
    EXPECT_EQ(InhaltComment(4122, "15"), "AOP nach \xA7"
                                         "115b");
    EXPECT_EQ(InhaltComment(925, "4000"), "Besch\xE4"
                                          "figungs- und Arbeitstherapie (Ergotherapie)");
    EXPECT_EQ(InhaltComment(4131, "6"), "BVG (Gesetz uber die Versorgung der Opfer des Krieges)");
    EXPECT_EQ(InhaltComment(9465, "0"), "\"Schwerpunktschein\" ist f\xFChrend. Alle anderen Werte bezeichnen "
                                        "die Reihenfolge in der Klammerung");
    EXPECT_EQ(InhaltComment(9401, "4"), "Angabe \"Zone bei Besuchen\" nur einmal je SA \"010x\"");
}

TEST(InhaltComment, KBVPruefnummer) {
    const TRows Kurz = {
        {"L", "Import LG-Befunddatei"},
        {"M", "Import Laborfacharzt-Befunddatei/Sonstige Einsendepraxis-Befunddatei"},
        {"N", "Export LG-Auftragsdatei"},
        {"O", "Export Elektronische Überweisung"},
        {"T", "Export Sonstige Einsendepraxis-Befunddatei"},
        {"V", "Import Elektronische Überweisung"},
        {"W", "Import LG-Auftragsdatei"},
        {"X", "Export LG-Befunddatei"},
        {"Y", "Export Laborfacharzt-Befunddatei"},
    };
    const TRows Lang = {
        {"1", "Import LG Befund"},
        {"2", "Import LFA Befund"},
        {"3", "Export LG Auftrag"},
        {"4", "Export eÜberweisung"},
        {"5", "Export Sonstige Einsendepraxis Befund"},
        {"6", "Import eÜberweisung"},
        {"7", "Import LG Auftrag"},
        {"8", "Export LG Befund"},
        {"9", "Export LFA Befund"},
    };
    for (const auto& [C, Text] : Kurz) {
        EXPECT_EQ(InhaltComment(101, C + "123456"), W(Text)) << C;
        EXPECT_EQ(InhaltComment(101, C + "12345"), "") << C;   // length 6
        EXPECT_EQ(InhaltComment(101, C + "1234567"), "") << C; // length 8
    }
    for (const char* C : {"A", "Z", "l", "x", "1", " "})
        EXPECT_EQ(InhaltComment(101, std::string(C) + "ABCDEF"), "") << C;

    for (const auto& [D, Text] : Lang)
        for (const char* First : {"V", "X", "Y", "Z"})
            EXPECT_EQ(InhaltComment(101, std::string(First) + "/3" + D + "ABCDEFGHIJKL"), W(Text))
                << First << D;
    EXPECT_EQ(InhaltComment(101, "W/31ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "Z/31ABCDEFGHIJKL"), "Import LG Befund");
    EXPECT_EQ(InhaltComment(101, "Z/30ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "Z/3AABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "Z-31ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "Z/41ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "z/31ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "L/31ABCDEFGHIJKL"), "");
    EXPECT_EQ(InhaltComment(101, "Z/31ABCDEFGHIJK"), "");   // 15
    EXPECT_EQ(InhaltComment(101, "Z/31ABCDEFGHIJKLM"), ""); // 17
    EXPECT_EQ(InhaltComment(101, "X"), "");
    EXPECT_EQ(InhaltComment(101, "Z/31"), "");
}

TEST(InhaltComment, Heilmittel0925LooksAtTheFirstTwoOfFourCharacters) {
    const TRows Rows = {
        {"01", "Massagetherapie"},
        {"02", "Bewegungstherapie"},
        {"03", "Krankengymnastik"},
        {"04", "Elektrotherapie"},
        {"06", "Thermotherapie (Wärme- und Kältetherapie)"},
        {"08", "Kohlensäurebäder"},
        {"09", "Inhalationstherapie"},
        {"10", "Traktionsbehandlung"},
        {"20", "Stimmtherapie"},
        {"25", "Sprechtherapie"},
        {"30", "Sprachtherapie"},
        {"35", "Sprech- und/oder Sprachtherapie bei Kindern und Jugendlichen"},
        {"40", "Beschäfigungs- und Arbeitstherapie (Ergotherapie)"},
        {"90", "Sonstiges"},
    };
    std::set<std::string> Known;
    for (const auto& [V, Text] : Rows) {
        Known.insert(V);
        EXPECT_EQ(InhaltComment(925, V + "12"), W(Text)) << V;
        EXPECT_EQ(InhaltComment(925, V + "xy"), W(Text)) << V;
        EXPECT_EQ(InhaltComment(925, V), "") << V;
        EXPECT_EQ(InhaltComment(925, V + "1"), "") << V;
        EXPECT_EQ(InhaltComment(925, V + "123"), "") << V;
    }
    EXPECT_EQ(InhaltComment(925, "0312"), "Krankengymnastik");
    EXPECT_EQ(InhaltComment(925, "031"), "");
    for (const std::string& V : AllValues(2))
        if (!Known.count(V)) {
            EXPECT_EQ(InhaltComment(925, V + "00"), "") << V;
        }
}

TEST(InhaltComment, Versichertenstatus4112) {
    const std::string Ohne = "Versicherter nimmt nicht an der Stichprobe teil";
    EXPECT_EQ(InhaltComment(4112, "1000"), "Mitglied / " + Ohne + " ");
    EXPECT_EQ(
        InhaltComment(4112, "3145"),
        "Familienversicherter / Versicherter nimmt an der Stichprobe teil (weiblich, ohne EU-/BU-Rentenbezug)"
        " / Geburtsjahr 45");
    EXPECT_EQ(InhaltComment(4112, "2991"), "- / - / Geburtsjahr 91");

    // Every first and every second digit.
    const std::map<char, std::string> Status = {
        {'1', "Mitglied"}, {'3', "Familienversicherter"}, {'5', "Rentner"}};
    for (char D = '0'; D <= '9'; ++D) {
        const std::string S = Status.count(D) ? Status.at(D) : "-";
        EXPECT_EQ(InhaltComment(4112, std::string{D, '9', '7', '0'}), S + " / - / Geburtsjahr 70") << D;
        EXPECT_EQ(InhaltComment(4112, std::string{D, '0', '0', '0'}), S + " / " + Ohne + " ") << D;
    }
    const std::vector<std::string> Gruppe = {
        "weiblich, ohne EU-/BU-Rentenbezug",
        "männlich, ohne EU-/BU-Rentenbezug",
        "weiblich, mit EU-/BU-Rentenbezug",
        "männlich, mit EU-/BU-Rentenbezug",
        "weiblich, ohne EU-/BU-Rentenbezug, vor 1900 geboren",
        "männlich, ohne EU-/BU-Rentenbezug, vor 1900 geboren",
        "weiblich, mit EU-/BU-Rentenbezug, nach 1999 geboren",
        "männlich, mit EU-/BU-Rentenbezug, nach 1999 geboren",
    };
    for (int I = 0; I < 8; ++I)
        EXPECT_EQ(InhaltComment(4112, std::string{'5', char('1' + I), '0', '3'}),
                  W("Rentner / Versicherter nimmt an der Stichprobe teil (" + Gruppe[size_t(I)] +
                    ") / Geburtsjahr 03"))
            << I;

    // Only four digits.
    for (const char* V : {"1A45", "100", "10000", " 100", "100 ", "+100", "-100", "1 00", "1.00",
                          "\xB9"
                          "000"})
        EXPECT_EQ(InhaltComment(4112, V), "") << V;
    EXPECT_EQ(VersichertenstatusText("1A45"), "");
    EXPECT_EQ(VersichertenstatusText("10000"), "");
    EXPECT_EQ(VersichertenstatusText(""), "");
    EXPECT_EQ(VersichertenstatusText("3145"), InhaltComment(4112, "3145"));
}

TEST(InhaltComment, SatzArt8000) {
    EXPECT_EQ(InhaltComment(8000, "8201"), "Labor-Facharzt-Bericht");
    EXPECT_EQ(InhaltComment(8000, "adt0"), "ADT-Datenpaket-Header");
    EXPECT_EQ(InhaltComment(8000, "ADT0"), "ADT-Datenpaket-Header");
    EXPECT_EQ(InhaltComment(8000, "0102"), W("Überweisung"));
    EXPECT_EQ(InhaltComment(8000, "9999"), "Fehler: Unbekannter XDT-Satz");
    EXPECT_EQ(InhaltComment(8000, "82 1"), "Fehler: Unbekannter XDT-Satz");
    EXPECT_EQ(InhaltComment(8000, "820"), "");
    EXPECT_EQ(InhaltComment(8000, "82010"), "");
    EXPECT_EQ(InhaltComment(8000, "8201 "), "");
    for (int Row = 1; Row < SatzArtRowCount; ++Row)
        EXPECT_EQ(InhaltComment(8000, SatzArtTable[Row].Code), SatzArtTable[Row].Name) << Row;
}

TEST(InhaltComment, Grenzwert8422) {
    for (const char* V : {"!", "!x", "!!", "!+", "! "})
        EXPECT_EQ(InhaltComment(8422, V), W("auffällig")) << V;
    EXPECT_EQ(InhaltComment(8422, "+"), W("leicht erhöht"));
    EXPECT_EQ(InhaltComment(8422, "++"), W("stark erhöht"));
    EXPECT_EQ(InhaltComment(8422, "-"), W("mäßig erniedrigt"));
    EXPECT_EQ(InhaltComment(8422, "--"), "stark erniedrigt");
    for (const char* V : {"+-", "-+", "+++", "---", "!!!", "+ ", " +", "x", "H", "L", "N", "x!"})
        EXPECT_EQ(InhaltComment(8422, V), "") << V;
}

TEST(InhaltComment, Scheinart9406) {
    const TRows Rows = {
        {"1", "Ambulante Behandlung"},
        {"2", "Überweisung"},
        {"3", "Belegärztliche Behandlung"},
        {"4", "Notfalldienst/Vertretung/Notfall"},
    };
    for (const auto& [D, Text] : Rows) EXPECT_EQ(InhaltComment(9406, "010" + D), W(Text)) << D;
    for (const char* V : {"0105", "0100", "0109", "1102", "0012", "01020", "010", "0102 ", " 0102", "O102"})
        EXPECT_EQ(InhaltComment(9406, V), "") << V;
}

TEST(InhaltComment, TenIsTheOnlyTwoCharacterValueOf9401And9403) {
    for (int32_t Id : {9401, 9403, 9409}) {
        EXPECT_FALSE(InhaltComment(Id, "10").empty()) << Id;
        EXPECT_NE(InhaltComment(Id, "10"), InhaltComment(Id, "1")) << Id;
        for (const char* V : {"11", "01", "0", "00", "100", "1 ", " 1", "10 "})
            EXPECT_EQ(InhaltComment(Id, V), "") << Id << V;
    }
    EXPECT_EQ(
        InhaltComment(9401, "10"),
        "KV-interne GNR unter FK 5001; Angabe der Doppelkilometer (DKM) als Multiplikator unter FK 5005");
    EXPECT_EQ(InhaltComment(9403, "10"), "Personalnummer der Dienststelle");
}

TEST(InhaltComment, FieldWithoutCatalogueName) {
    EXPECT_EQ(InhaltComment(9264, "L"), "links");
    EXPECT_EQ(FeldArtName(9264), "Fehler: Unbekanntes Feld");
}

TEST(InhaltComment, WritesIntoTheCallersStringAndClearsIt) {
    std::string Out = "stale text from an earlier line";
    InhaltCommentTo(3101, "1", Out);
    EXPECT_EQ(Out, "");
    Out = "stale";
    InhaltCommentTo(3110, "m", Out);
    EXPECT_EQ(Out, "");
    InhaltCommentTo(4112, "1000", Out);
    EXPECT_EQ(Out, InhaltComment(4112, "1000"));
    InhaltCommentTo(3110, "W", Out);
    EXPECT_EQ(Out, "weiblich");
    InhaltCommentTo(8000, "8220", Out);
    EXPECT_EQ(Out, "L-Datenpaket-Header");
    InhaltCommentTo(8000, "", Out);
    EXPECT_EQ(Out, "");
}
