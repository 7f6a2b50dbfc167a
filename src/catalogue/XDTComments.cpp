#include "XDTComments.h"

#include "XDTCodeTbl.h"
#include "support/StrTools.h"

#include <array>
#include <cstddef>
#include <span>

// The comments form a constant decision table keyed by field identifier. Several identifiers share
// one value table. Texts are Windows-1252 bytes; values are compared byte for byte, case matters.

namespace {

struct TValueRow {
    std::string_view Value;
    std::string_view Text;
};

// The value tables below are kept in the order of the published code lists.

// 0101, length 7: the first character names the kind of file.
constexpr TValueRow Values0101Kurz[] = {
    {"L", "Import LG-Befunddatei"},
    {"M", "Import Laborfacharzt-Befunddatei/Sonstige Einsendepraxis-Befunddatei"},
    {"N", "Export LG-Auftragsdatei"},
    {"O", "Export Elektronische \xDC"
          "berweisung"},
    {"T", "Export Sonstige Einsendepraxis-Befunddatei"},
    {"V", "Import Elektronische \xDC"
          "berweisung"},
    {"W", "Import LG-Auftragsdatei"},
    {"X", "Export LG-Befunddatei"},
    {"Y", "Export Laborfacharzt-Befunddatei"},
};

// 0101, length 16: the fourth character.
constexpr TValueRow Values0101Lang[] = {
    {"1", "Import LG Befund"},
    {"2", "Import LFA Befund"},
    {"3", "Export LG Auftrag"},
    {"4", "Export e\xDC"
          "berweisung"},
    {"5", "Export Sonstige Einsendepraxis Befund"},
    {"6", "Import e\xDC"
          "berweisung"},
    {"7", "Import LG Auftrag"},
    {"8", "Export LG Befund"},
    {"9", "Export LFA Befund"},
};

// 0925: the first two of four characters.
constexpr TValueRow Values0925[] = {
    {"01", "Massagetherapie"},
    {"02", "Bewegungstherapie"},
    {"03", "Krankengymnastik"},
    {"04", "Elektrotherapie"},
    {"06", "Thermotherapie (W\xE4rme- und K\xE4ltetherapie)"},
    {"08", "Kohlens\xE4ureb\xE4"
           "der"},
    {"09", "Inhalationstherapie"},
    {"10", "Traktionsbehandlung"},
    {"20", "Stimmtherapie"},
    {"25", "Sprechtherapie"},
    {"30", "Sprachtherapie"},
    {"35", "Sprech- und/oder Sprachtherapie bei Kindern und Jugendlichen"},
    {"40", "Besch\xE4"
           "figungs- und Arbeitstherapie (Ergotherapie)"},
    {"90", "Sonstiges"},
};

// 9406: the fourth character after "010".
constexpr TValueRow Values9406[] = {
    {"1", "Ambulante Behandlung"},
    {"2", "\xDC"
          "berweisung"},
    {"3", "Beleg\xE4rztliche Behandlung"},
    {"4", "Notfalldienst/Vertretung/Notfall"},
};

// Plain tables: the whole content is the value.

constexpr TValueRow Values0301[] = {
    {"0", "nein"},
    {"1", "ja - ausschlie\xDFlich"},
    {"2", "ja - teilweise"},
};

constexpr TValueRow Values0305[] = {
    {"0", "nein"},
    {"1", "ja"},
    {"2", "pnSD/uu-Analyse"},
};

// Also 0918, 0953.
constexpr TValueRow Values0917[] = {
    {"N1", "Kleine Packung"},
    {"N2", "Mittlere Packung"},
    {"N3", "Gro\xDF"
           "e Packung"},
    {"kA", "keine Angabe"},
};

// Also 5020, 8510, 9463, 9467, 9469, 9473, 9474, 9480.
constexpr TValueRow Values0960[] = {
    {"0", "nein"},
    {"1", "ja"},
};

// Also 0962, 4202, 4203, 4204, 4231, 4234, 4236, 8415, 8423, 8424, 8425, 8503.
constexpr TValueRow Values0961[] = {
    {"1", "ja"},
};

constexpr TValueRow Values2018[] = {
    {"01", "Allgemeine Ortskrankenkasse (AOK)"},
    {"02", "Landwirtschaftliche Krankenkasse (LKK)"},
    {"03", "Innungskrankenkasse (IKK)"},
    {"04", "Betriebskrankenkasse (BKK)"},
    {"05", "Knappschaft Bahn See"},
    {"06", "Seekrankenkasse (SEE)"},
    {"11", "Verband der Ersatzkassen (VdEK)"},
    {"12", "Arbeiter-Ersatzkassen (AEV)"},
    {"30", "Besondere Vertragsformen (BVF)"},
    {"35", "Ausl\xE4ndische Kostentr\xE4ger (AUS)"},
    {"59", "Sozialhilfetr\xE4ger (SHT)/Asylstelle (AS)"},
    {"71", "Bundesgrenzschutz (BGS)"},
    {"72", "Zivildienst (ZIV)"},
    {"73", "Polizei (POL)/Feuerwehr (FW)/Justizvollzugsanstalt (JVA)"},
    {"75", "Bundeswehr (BW)"},
    {"76", "Gesundheits\xE4mter (GSA)"},
    {"77", "Medizinischer Dienst der Krankenkassen"},
    {"81", "Postbeamtenkrankenkasse, Mitglieder A (PBA)"},
    {"82", "Postbeamtenkrankenkasse, Dienstunfall (PBD)"},
    {"84", "Bundesbahnbeamte, Mitgliedergruppe I-III (DBM)"},
    {"85", "Bundesbahnbeamte, Dienstunfall (DBD)"},
    {"86", "Jugendarbeitsschutzuntersuchung (JAS)"},
    {"87", "Entsch\xE4"
           "digungsamt Berlin (EA)"},
    {"88", "Tr\xE4ger der gesetzlichen Unfallversicherer (UV)"},
};

constexpr TValueRow Values3004[] = {
    {"0", "eGK - Kartengeneration unbekannt (da bspw. Ersatzverfahren oder mobiles Leseger\xE4t)"},
    {"1", "eGK - Generation 1"},
    {"2", "eGK - Generation 1+"},
    {"3", "eGK - Generation 2"},
};

// Also 9407.
constexpr TValueRow Values3108[] = {
    {"1", "Mitglied"},
    {"3", "Familienversicherter"},
    {"5", "Rentner"},
};

constexpr TValueRow Values3110[] = {
    {"0", "unbekannt"},   {"1", "m\xE4nnlich"}, {"2", "weiblich"},
    {"M", "m\xE4nnlich"}, {"U", "unbekannt"},   {"W", "weiblich"},
};

constexpr TValueRow Values3116[] = {
    {"00", "Dummy bei eGK"},
    {"01", "Schleswig-Holstein"},
    {"02", "Hamburg"},
    {"03", "Bremen"},
    {"17", "Niedersachsen"},
    {"20", "Westfalen-Lippe"},
    {"38", "Nordrhein"},
    {"46", "Hessen"},
    {"51", "Rheinland-Pfalz"},
    {"52", "Baden-W\xFCrttemberg"},
    {"71", "Bayern"},
    {"72", "Berlin"},
    {"73", "Saarland"},
    {"74", "KBV"},
    {"78", "Mecklenburg-Vorpommern"},
    {"83", "Brandenburg"},
    {"88", "Sachsen-Anhalt"},
    {"93", "Th\xFCringen"},
    {"98", "Sachsen"},
};

constexpr TValueRow Values3117[] = {
    {"01", "Schleswig-Holstein"},
    {"02", "Hamburg"},
    {"03", "Bremen"},
    {"06", "Aurich"},
    {"07", "Braunschweig"},
    {"08", "G\xF6ttingen"},
    {"09", "Hannover"},
    {"10", "Hildesheim"},
    {"11", "L\xFCneburg"},
    {"12", "Oldenburg"},
    {"13", "Osnabr\xFC"
           "ck"},
    {"14", "Stade"},
    {"15", "Verden"},
    {"16", "Wilhelmshaven"},
    {"18", "Dortmund"},
    {"19", "M\xFCnster"},
    {"21", "Aachen"},
    {"24", "D\xFCsseldorf"},
    {"25", "Duisburg"},
    {"27", "K\xF6ln"},
    {"28", "Linker Niederrhein"},
    {"31", "Ruhr"},
    {"37", "Bergisch-Land"},
    {"39", "Darmstadt"},
    {"40", "Frankfurt/Main"},
    {"41", "Gie\xDF"
           "en"},
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
    {"63", "M\xFCnchen Stadt u. Land"},
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
};

// Also 6003, 6288, 6293.
constexpr TValueRow Values3674[] = {
    {"A", "Ausschluss"},
    {"G", "gesicherte Diagnose"},
    {"V", "Verdacht auf"},
    {"Z", "Zustand nach"},
};

// Also 6004, 6289, 9264.
constexpr TValueRow Values3675[] = {
    {"B", "beiderseits"},
    {"L", "links"},
    {"R", "rechts"},
};

constexpr TValueRow Values4106[] = {
    {"00", "Prim\xE4rabrechnung"},
    {"01", "Sozialversicherungsabkommen (SVA)"},
    {"02", "Bundesversorgungsgesetz (BVG)"},
    {"03", "Bundesentsch\xE4"
           "digungsgesetz (BEG)"},
    {"04", "Grenzg\xE4nger (GG)"},
    {"05", "Rheinschiffer (RHS)"},
    {"06", "Sozialhilfetr\xE4ger, ohne Asylstellen (SHT)"},
    {"07", "Bundesvertriebenengesetz (BVFG)"},
    {"08", "Asylstellen (AS)"},
    {"09", "Schwangerschaftsabbr\xFC"
           "che"},
};

constexpr TValueRow Values4107[] = {
    {"1", "PKA (Prim\xE4rkassen)"},
    {"2", "EKK (Ersatzkassen)"},
    {"3", "SKT (Sonstige Kostentr\xE4ger)"},
};

constexpr TValueRow Values4113[] = {
    {"1", "West"},
    {"4", "Sozialhilfeempf\xE4nger"},
    {"6", "BVG"},
    {"7", "SVA"},
    {"8", "SVA"},
    {"9", "Ost"},
    {"A", "eingeschr. Versicherte in DMP f\xFCr Brustkrebs \x96 RK West"},
    {"C", "eingeschr. Versicherte in DMP f\xFCr Brustkrebs \x96 RK Ost"},
    {"D", "eingeschr. Versicherte in DMP Asthma bronchiale - RK West"},
    {"E", "eingeschr. Versicherte in DMP f\xFCr Diabetes mellitus Typ 1 \x96 RK West"},
    {"F", "eingeschr. Versicherte in DMP Asthma bronchiale - RK Ost"},
    {"K", "eingeschr. Versicherte in DMP f\xFCr Koronare Herzkrankheit \x96 RK West"},
    {"L", "eingeschr. Versicherte in DMP f\xFCr Koronare Herzkrankheit \x96 RK Ost"},
    {"M", "eingeschr. Versicherte in DMP f\xFCr Diabetes mellitus Typ 2 \x96 RK West"},
    {"N", "eingeschr. Versicherte in DMP f\xFCr Diabetes mellitus Typ 1 \x96 RK Ost"},
    {"P", "eingeschr. Versicherte in DMP COPD - RK Ost"},
    {"S", "eingeschr. Versicherte in DMP COPD - RK West"},
    {"X", "eingeschr. Versicherte in DMP f\xFCr Diabetes mellitus Typ 2 \x96 RK Ost"},
};

constexpr TValueRow Values4121[] = {
    {"1", "BM\xC4"},
    {"2", "E-GO"},
    {"3", "GO\xC4"},
};

constexpr TValueRow Values4122[] = {
    {"00", "Kein besonderes Abrechnungsgebiet (Defaultwert)"},
    {"01", "Dialyse-Arztkosten"},
    {"02", "Dialyse-Sachkosten"},
    {"03", "Methadon-Substitutionsbehandlung"},
    {"04", "pers\xF6nlich erbrachte Notfallleistungen durch erm\xE4"
           "chtigte Krankenhaus\xE4rzte"},
    {"05", "Sonstige Notfallleistungen durch erm\xE4"
           "chtigte Krankenhaus\xE4rzte"},
    {"06", "Fremde Zytologie"},
    {"07", "Diabetes"},
    {"08", "Umweltmedizin"},
    {"09", "Rheuma"},
    {"10", "Hirnleistungsst\xF6rungen"},
    {"14", "Ambulantes Operieren"},
    {"15", "AOP nach \xA7"
           "115b"},
    {"80", "Wahltarif BKK Arzt privat"},
};

// Also 9402.
constexpr TValueRow Values4123[] = {
    {"01", "Besch\xE4"
           "digter"},
    {"02", "Schwerbesch\xE4"
           "digter"},
    {"03", "Angeh\xF6riger"},
    {"04", "Hinterbliebener"},
    {"05", "Pflegeperson"},
    {"06", "Tauglichkeitsuntersuchung"},
    {"07", "\xE4rztl. Versorgung"},
    {"08", "Bewerber"},
    {"09", "Erstuntersuchung"},
    {"10", "Nachuntersuchung"},
    {"11", "Erg\xE4nzungsuntersuchung"},
    {"12", "Verfolgte"},
};

constexpr TValueRow Values4131[] = {
    {"4", "BSHG (Bundessozialhilfegesetz) \xA7 264 SGB V"},
    {"6", "BVG (Gesetz uber die Versorgung der Opfer des Krieges)"},
    {"7", "SVA-Kennzeichnung fur zwischenstaatliches Krankenversicherungsrecht: Personen mit Wohnsitz im "
          "Inland, Abrechnung nach Aufwand"},
    {"8", "SVA-Kennzeichnung, pauschal"},
};

constexpr TValueRow Values4132[] = {
    {"1", "Diabetes mellitus Typ 2"}, {"2", "Brustkrebs"},
    {"3", "Koronare Herzkrankheit"},  {"4", "Diabetes mellitus Typ 1"},
    {"5", "Asthma bronchiale"},       {"6", "COPD (chronic obstructive pulmonary disease)"},
};

constexpr TValueRow Values4221[] = {
    {"1", "Kurativ"},
    {"2", "Pr\xE4ventiv"},
    {"3", "Empf\xE4ngnisregelung, Sterilisation, Schwangerschaftsabbruch (kurz ESS)"},
    {"4", "beleg\xE4rztliche Behandlung"},
};

constexpr TValueRow Values4239[] = {
    {"00", "Ambulante Behandlung"},
    {"20", "Selbstausstellung"},
    {"21", "Auftragsleistungen"},
    {"23", "Konsiliaruntersuchung"},
    {"24", "Mit-/Weiterbehandlung"},
    {"26", "Station\xE4re Mitbehandlung, Verg\xFCtung nach ambulanten Grunds\xE4tzen"},
    {"27", "\xDC"
           "berweisungsschein f\xFCr Laboratoriumsuntersuchungen als Auftragsleistung (Muster 10)"},
    {"28", "Anforderungsschein f\xFCr Laboratoriumsuntersuchungen bei Laborgemeinschaften (Muster 10a)"},
    {"30", "Beleg\xE4rztliche Behandlung"},
    {"31", "Beleg\xE4rztliche Mitbehandlung"},
    {"32", "Urlaubs- bzw. Krankheitsvertretung bei beleg\xE4rztlicher Behandlung"},
    {"41", "\xC4rztlicher Notfalldienst"},
    {"42", "Urlaubs- bzw. Krankheitsvertretung"},
    {"43", "Notfall"},
    {"44", "Notfalldienst im Taxi"},
    {"45", "Notarzt-/Rettungswagen (Rettungsdienst)"},
    {"46", "Zentraler Notfalldienst"},
};

constexpr TValueRow Values4261[] = {
    {"1", "Ambulante Vorsorgeleistung zur Krankheitsverh\xFCtung"},
    {"2", "Ambulante Vorsorgeleistung bei bestehenden Krankheiten"},
    {"3", "Ambulante Vorsorgeleistung f\xFCr Kinder"},
};

constexpr TValueRow Values5024[] = {
    {"N", "poststation\xE4re Leistung"},
};

constexpr TValueRow Values5043[] = {
    {"1", "ml"},
    {"2", "mg"},
    {"3", "\xB5g"},
};

constexpr TValueRow Values8313[] = {
    {"1", "Nachforderung"},
};

constexpr TValueRow Values8401[] = {
    {"A", "Archiv-Befund"},         {"E", "Endbefund"}, {"N", "Nachforderung"}, {"T", "Teilbefund"},
    {"V", "Vorl\xE4ufiger Befund"},
};

constexpr TValueRow Values8403[] = {
    {"1", "BM\xC4"}, {"2", "EGO"}, {"3", "GO\xC4 96"}, {"4", "BG-Tarif"}, {"5", "GO\xC4 88"},
};

constexpr TValueRow Values8407[] = {
    {"0", "unbekannt"},         {"1", "m\xE4nnlich"},    {"2", "weiblich"}, {"3", "Kind"},
    {"4", "Kind, m\xE4nnlich"}, {"5", "Kind, weiblich"}, {"6", "Tier"},
};

constexpr TValueRow Values8418[] = {
    {"B", "bereits berichtet"},
    {"F", "fehlt/folgt"},
    {"K", "korrigierter Wert"},
};

constexpr TValueRow Values8501[] = {
    {"1", "Notfall"},
    {"2", "eilig"},
};

constexpr TValueRow Values8527[] = {
    {"1", "bevorzugtes Material"},
    {"2", "Alternativmaterial"},
    {"3", "Ausnahmematerial"},
};

// Also 8532.
constexpr TValueRow Values8530[] = {
    {"1", "sehr wichtig"},
    {"2", "wichtig"},
    {"3", "m\xF6glich"},
    {"9", "Ausschluss"},
};

constexpr TValueRow Values8609[] = {
    {"E", "Einsender (pers\xF6nlich)"},
    {"K", "Kassenpatient"},
    {"P", "Privatpatient"},
    {"X", "andere Rechnungsempf\xE4nger, z.B. BG"},
};

constexpr TValueRow Values8610[] = {
    {"1", "Privat"},
    {"2", "Post B"},
    {"3", "KVB"},
};

constexpr TValueRow Values8611[] = {
    {"0", "Papier"},  {"1", "Telefon"},         {"2", "Telefax"}, {"3", "Telex"},
    {"4", "Mailbox"}, {"5", "Praxis-Computer"}, {"6", "BTX"},     {"7", "Diskette"},
};

constexpr TValueRow Values8614[] = {
    {"1", "Labor"},
    {"2", "Einweiser"},
};

constexpr TValueRow Values9102[] = {
    {"01", "Schleswig-Holstein"},
    {"02", "Hamburg"},
    {"03", "Bremen"},
    {"06", "Aurich"},
    {"07", "Braunschweig"},
    {"08", "G\xF6ttingen"},
    {"09", "Hannover"},
    {"10", "Hildesheim"},
    {"11", "L\xFCneburg"},
    {"12", "Oldenburg"},
    {"13", "Osnabr\xFC"
           "ck"},
    {"14", "Stade"},
    {"15", "Verden"},
    {"16", "Wilhelmshaven"},
    {"18", "Dortmund"},
    {"19", "M\xFCnster"},
    {"20", "Dortmund"},
    {"21", "Aachen"},
    {"24", "D\xFCsseldorf"},
    {"25", "Duisburg"},
    {"27", "K\xF6ln"},
    {"28", "Linker Niederrhein"},
    {"31", "Ruhr"},
    {"37", "Bergisch-Land"},
    {"39", "Darmstadt"},
    {"40", "Frankfurt/Main"},
    {"41", "Gie\xDF"
           "en"},
    {"42", "Kassel"},
    {"43", "Limburg"},
    {"44", "Marburg"},
    {"45", "Wiesbaden"},
    {"47", "Koblenz"},
    {"48", "Rheinhessen"},
    {"49", "Pfalz"},
    {"50", "Trier"},
    {"55", "Karlsruhe"},
    {"60", "Freiburg"},
    {"61", "Stuttgart"},
    {"62", "Reutlingen"},
    {"63", "M\xFCnchen Stadt u. Land"},
    {"64", "Oberbayern"},
    {"65", "Oberfranken"},
    {"66", "Mittelfranken"},
    {"67", "Unterfranken"},
    {"68", "Oberpfalz"},
    {"69", "Niederbayern"},
    {"70", "Schwaben"},
    {"72", "Berlin"},
    {"73", "Saarland"},
    {"78", "Mecklenburg-Vorpommern"},
    {"79", "Potsdam"},
    {"80", "Cottbus"},
    {"81", "Frankfurt/Oder"},
    {"83", "Brandenburg"},
    {"85", "Magdeburg"},
    {"86", "Halle"},
    {"87", "Dessau"},
    {"93", "Th\xFCringen"},
    {"94", "Chemnitz"},
    {"95", "Dresden"},
    {"96", "Leipzig"},
    {"99", "Bundesknappschaft"},
};

constexpr TValueRow Values9106[] = {
    {"1", "7-bit-Code"},
    {"2", "IBM-Code"},
    {"3", "ISO 8859-1 Code"},
    {"4", "ISO 8859-15 Code"},
};

constexpr TValueRow Values9113[] = {
    {"01", "Schleswig-Holstein"},
    {"02", "Hamburg"},
    {"03", "Bremen"},
    {"17", "Niedersachsen"},
    {"20", "Westfalen-Lippe"},
    {"38", "Nordrhein"},
    {"46", "Hessen"},
    {"51", "Rheinland-Pfalz"},
    {"52", "Baden-W\xFCrttemberg"},
    {"71", "Bayern"},
    {"72", "Berlin"},
    {"73", "Saarland"},
    {"78", "Mecklenburg-Vorpommern"},
    {"83", "Brandenburg"},
    {"88", "Sachsen-Anhalt"},
    {"93", "Th\xFCringen"},
    {"98", "Sachsen"},
    {"99", "Bundesknappschaft"},
};

constexpr TValueRow Values9132[] = {
    {"1", "ADT-Datenpaket"}, {"2", "(nicht belegt)"},  {"3", "Kur\xE4rztliches Abrechnungs-Datenpaket"},
    {"4", "(nicht belegt)"}, {"5", "STDT-Datenpaket"}, {"6", "SADT-Datenpaket"},
};

// Also 9138.
constexpr TValueRow Values9135[] = {
    {"1", "ADT-Datenpaket"},
    {"2", "AODT (nicht belegt)"},
    {"3", "Kur\xE4rztliches Abrechnungs-Datenpaket"},
    {"4", "AODT-Hessen (nicht belegt)"},
    {"5", "STDT-Datenpaket"},
    {"6", "SADT-Datenpaket"},
};

constexpr TValueRow Values9139[] = {
    {"20", "Westfalen-Lippe"},
};

constexpr TValueRow Values9400[] = {
    {"1", "Ein Eintrag einer Uhrzeit (FK 5006) zur ersten GNR des ersten Arzt-Patientenkontaktes an "
          "demselben Behandlungstag muss vorgenommen werden"},
    {"2", "Ein Eintrag einer Uhrzeit (FK 5006) zur ersten GNR des ersten Arzt-Patientenkontaktes an "
          "demselben Behandlungstag muss nicht vorgenommen werden"},
};

// Also 9409.
constexpr TValueRow Values9401[] = {
    {"1", "Wegepauschale"},
    {"2", "Wegepauschale bis 2 Kilometer, DKM ab 2 Kilometer"},
    {"3", "DKM"},
    {"4", "Angabe \"Zone bei Besuchen\" nur einmal je SA \"010x\""},
    {"5", "Keine Angabe, sondern Vorlage einer \"handschriftlichen\" Wegegeldliste bei der KV"},
    {"6", "DKM, Ausnahme: bei \"Notfallpatienten\" (SA 8000=0104), dann auch Wegepauschale zul\xE4ssig"},
    {"7", "Wegepauschale, Ausnahme: \xE4rztlicher Notfalldienst, dann tats\xE4"
          "chlich gefahrene DKM"},
    {"8", "DKM (lt. Wegegeldliste der KV), Ausnahme: \xE4rztlicher Notfalldienst, dann tats\xE4"
          "chlich gefahrene DKM"},
    {"9", "Wegepauschale, Ausnahme: im organisierten Notfalldienst ab einer Entfernung von 0,5 Kilometern "
          "Angabe von DKM"},
    {"10", "KV-interne GNR unter FK 5001; Angabe der Doppelkilometer (DKM) als Multiplikator unter FK 5005"},
};

constexpr TValueRow Values9403[] = {
    {"1", "Grundlistennummer Versorgungsamt"},
    {"2", "Registriernummer"},
    {"3", "Aktenzeichen der Entsch\xE4"
          "digungsbeh\xF6rde"},
    {"4", "Aktenzeichen der Kostenstelle"},
    {"5", "Name des Auslands"},
    {"6", "Personalnummer"},
    {"7", "Personenkennnummer"},
    {"8", "Dienststelle"},
    {"9", "Schule/Universit\xE4t/Kindergarten"},
    {"10", "Personalnummer der Dienststelle"},
};

constexpr TValueRow Values9404[] = {
    {"1", "G\xFCltigkeitszeitraum unter FK 4125 erforderlich"},
    {"2", "Zivildienstdauer unter FK 4125 erforderlich"},
    {"4", "Bemerkung der Entsch\xE4"
          "digungsbeh\xF6rde unter FK 4126 erforderlich"},
};

constexpr TValueRow Values9405[] = {
    {"1", "Enth\xE4lt der Behandlungstag (FK 5000) eine GNR (FK 5001), muss dem Feld \"Sachkosten/ "
          "Materialkosten in Cent\" (FK 5012) eine Pseudo-GNR f\xFCr Kosten vorangehen"},
    {"2", "Enth\xE4lt der Behandlungstag (FK 5000) eine GNR (FK 5001), muss dem Feld \"Sachkosten/ "
          "Materialkosten in Cent\" (FK 5012) keine Pseudo-GNR f\xFCr Kosten vorangehen"},
};

constexpr TValueRow Values9452[] = {
    {"1", "KTAB"}, {"2", "AbrA"},    {"3", "GebO"},
    {"4", "AbrG"}, {"5", "VKNR"},    {"6", "Status"},
    {"7", "Name"}, {"8", "Quartal"}, {"9", "Scheinuntergruppe"},
};

constexpr TValueRow Values9457[] = {
    {"0", "Geh\xF6rt zur f\xFChrenden Scheingruppe"},
    {"1", "Geh\xF6rt zur nachgestellten Scheingruppe"},
};

constexpr TValueRow Values9458[] = {
    {"1", "LQ_VQAZ (LQ=Laufendes Quartal, VQ=Vorquartal, AZ=Aufsteigend)"},
    {"2", "VQAZ_LQ (LQ=Laufendes Quartal, VQ=Vorquartal, AZ=Aufsteigend)"},
    {"3", "LQ_VQZA=VQZA_LQ (LQ=Laufendes Quartal, VQ=Vorquartal, ZA=Abfallend)"},
};

constexpr TValueRow Values9462[] = {
    {"1", "Abgabe"},
    {"2", "Abgabe, wenn keine KVK eingelesen wurde"},
};

constexpr TValueRow Values9465[] = {
    {"0",
     "\"Schwerpunktschein\" ist f\xFChrend. Alle anderen Werte bezeichnen die Reihenfolge in der Klammerung"},
};

constexpr TValueRow Values9468[] = {
    {"0", "Status des f\xFChrenden Scheins"},
    {"1", "Status des ersten Scheins im Quartal"},
    {"2", "Status des letzten Scheins im Quartal"},
};

constexpr std::string_view StatusMitglied = "Mitglied";
constexpr std::string_view StatusFamilie = "Familienversicherter";
constexpr std::string_view StatusRentner = "Rentner";
constexpr std::string_view StichprobeNein = "Versicherter nimmt nicht an der Stichprobe teil";
constexpr std::string_view StichprobeJa = "Versicherter nimmt an der Stichprobe teil (";
// Second digit 1..8 of field 4112.
constexpr std::string_view StichprobeGruppe[8] = {
    "weiblich, ohne EU-/BU-Rentenbezug",
    "m\xE4nnlich, ohne EU-/BU-Rentenbezug",
    "weiblich, mit EU-/BU-Rentenbezug",
    "m\xE4nnlich, mit EU-/BU-Rentenbezug",
    "weiblich, ohne EU-/BU-Rentenbezug, vor 1900 geboren",
    "m\xE4nnlich, ohne EU-/BU-Rentenbezug, vor 1900 geboren",
    "weiblich, mit EU-/BU-Rentenbezug, nach 1999 geboren",
    "m\xE4nnlich, mit EU-/BU-Rentenbezug, nach 1999 geboren",
};

enum class TShape : uint8_t {
    Values,             // the whole content is looked up in the table
    KBVPruefnummer,     // 0101: test number of the software, two layouts
    Heilmittel,         // 0925: the first two of four characters
    Versichertenstatus, // 4112: composed from the four digits
    SatzArt,            // 8000: the record-type name
    Grenzwert,          // 8422: limit indicator of a laboratory result
    Scheinart,          // 9406: "010" and a digit
};

struct TRule {
    int16_t FeldArt;
    TShape Shape;
    uint8_t Len1, Len2; // accepted content lengths (equal when only one)
    std::span<const TValueRow> Rows;
};

constexpr TRule Rules[] = {
    {101, TShape::KBVPruefnummer, 7, 16, Values0101Kurz},
    {301, TShape::Values, 1, 1, Values0301},
    {305, TShape::Values, 1, 1, Values0305},
    {917, TShape::Values, 2, 2, Values0917},
    {918, TShape::Values, 2, 2, Values0917},
    {925, TShape::Heilmittel, 4, 4, Values0925},
    {953, TShape::Values, 2, 2, Values0917},
    {960, TShape::Values, 1, 1, Values0960},
    {961, TShape::Values, 1, 1, Values0961},
    {962, TShape::Values, 1, 1, Values0961},
    {2018, TShape::Values, 2, 2, Values2018},
    {3004, TShape::Values, 1, 1, Values3004},
    {3108, TShape::Values, 1, 1, Values3108},
    {3110, TShape::Values, 1, 1, Values3110},
    {3116, TShape::Values, 2, 2, Values3116},
    {3117, TShape::Values, 2, 2, Values3117},
    {3674, TShape::Values, 1, 1, Values3674},
    {3675, TShape::Values, 1, 1, Values3675},
    {4106, TShape::Values, 2, 2, Values4106},
    {4107, TShape::Values, 1, 1, Values4107},
    {4112, TShape::Versichertenstatus, 4, 4, {}},
    {4113, TShape::Values, 1, 1, Values4113},
    {4121, TShape::Values, 1, 1, Values4121},
    {4122, TShape::Values, 2, 2, Values4122},
    {4123, TShape::Values, 2, 2, Values4123},
    {4131, TShape::Values, 1, 1, Values4131},
    {4132, TShape::Values, 1, 1, Values4132},
    {4202, TShape::Values, 1, 1, Values0961},
    {4203, TShape::Values, 1, 1, Values0961},
    {4204, TShape::Values, 1, 1, Values0961},
    {4221, TShape::Values, 1, 1, Values4221},
    {4231, TShape::Values, 1, 1, Values0961},
    {4234, TShape::Values, 1, 1, Values0961},
    {4236, TShape::Values, 1, 1, Values0961},
    {4239, TShape::Values, 2, 2, Values4239},
    {4261, TShape::Values, 1, 1, Values4261},
    {5020, TShape::Values, 1, 1, Values0960},
    {5024, TShape::Values, 1, 1, Values5024},
    {5043, TShape::Values, 1, 1, Values5043},
    {6003, TShape::Values, 1, 1, Values3674},
    {6004, TShape::Values, 1, 1, Values3675},
    {6288, TShape::Values, 1, 1, Values3674},
    {6289, TShape::Values, 1, 1, Values3675},
    {6293, TShape::Values, 1, 1, Values3674},
    {8000, TShape::SatzArt, 4, 4, {}},
    {8313, TShape::Values, 1, 1, Values8313},
    {8401, TShape::Values, 1, 1, Values8401},
    {8403, TShape::Values, 1, 1, Values8403},
    {8407, TShape::Values, 1, 1, Values8407},
    {8415, TShape::Values, 1, 1, Values0961},
    {8418, TShape::Values, 1, 1, Values8418},
    {8422, TShape::Grenzwert, 1, 2, {}},
    {8423, TShape::Values, 1, 1, Values0961},
    {8424, TShape::Values, 1, 1, Values0961},
    {8425, TShape::Values, 1, 1, Values0961},
    {8501, TShape::Values, 1, 1, Values8501},
    {8503, TShape::Values, 1, 1, Values0961},
    {8510, TShape::Values, 1, 1, Values0960},
    {8527, TShape::Values, 1, 1, Values8527},
    {8530, TShape::Values, 1, 1, Values8530},
    {8532, TShape::Values, 1, 1, Values8530},
    {8609, TShape::Values, 1, 1, Values8609},
    {8610, TShape::Values, 1, 1, Values8610},
    {8611, TShape::Values, 1, 1, Values8611},
    {8614, TShape::Values, 1, 1, Values8614},
    {9102, TShape::Values, 2, 2, Values9102},
    {9106, TShape::Values, 1, 1, Values9106},
    {9113, TShape::Values, 2, 2, Values9113},
    {9132, TShape::Values, 1, 1, Values9132},
    {9135, TShape::Values, 1, 1, Values9135},
    {9138, TShape::Values, 1, 1, Values9135},
    {9139, TShape::Values, 2, 2, Values9139},
    {9264, TShape::Values, 1, 1, Values3675},
    {9400, TShape::Values, 1, 1, Values9400},
    {9401, TShape::Values, 1, 2, Values9401},
    {9402, TShape::Values, 2, 2, Values4123},
    {9403, TShape::Values, 1, 2, Values9403},
    {9404, TShape::Values, 1, 1, Values9404},
    {9405, TShape::Values, 1, 1, Values9405},
    {9406, TShape::Scheinart, 4, 4, Values9406},
    {9407, TShape::Values, 1, 1, Values3108},
    {9409, TShape::Values, 1, 2, Values9401},
    {9452, TShape::Values, 1, 1, Values9452},
    {9457, TShape::Values, 1, 1, Values9457},
    {9458, TShape::Values, 1, 1, Values9458},
    {9462, TShape::Values, 1, 1, Values9462},
    {9463, TShape::Values, 1, 1, Values0960},
    {9465, TShape::Values, 1, 1, Values9465},
    {9467, TShape::Values, 1, 1, Values0960},
    {9468, TShape::Values, 1, 1, Values9468},
    {9469, TShape::Values, 1, 1, Values0960},
    {9473, TShape::Values, 1, 1, Values0960},
    {9474, TShape::Values, 1, 1, Values0960},
    {9480, TShape::Values, 1, 1, Values0960},
};
static_assert(std::size(Rules) == 94);

// Identifier to position in Rules plus one (0: no rule). 10 KB, so the per-line test of the loader is
// one load; most lines of a file have no rule.
constexpr int MaxFeldArt = 9999;
constexpr auto RuleSlot = [] {
    std::array<uint8_t, MaxFeldArt + 1> A{};
    for (size_t I = 0; I < std::size(Rules); ++I) A[size_t(Rules[I].FeldArt)] = uint8_t(I + 1);
    return A;
}();

void Lookup(std::span<const TValueRow> Rows, std::string_view Value, std::string& Out) {
    for (const TValueRow& R : Rows)
        if (R.Value == Value) {
            Out.assign(R.Text);
            return;
        }
}

void KBVPruefnummer(std::string_view S, std::string& Out) {
    if (S.size() == 7) {
        Lookup(Values0101Kurz, S.substr(0, 1), Out);
        return;
    }
    // Length 16: "V/3n", "X/3n", "Y/3n" or "Z/3n"; the digit alone selects the text.
    const char C = S[0];
    if ((C == 'V' || C == 'X' || C == 'Y' || C == 'Z') && S[1] == '/' && S[2] == '3')
        Lookup(Values0101Lang, S.substr(3, 1), Out);
}

void Grenzwert(std::string_view S, std::string& Out) {
    if (S[0] == '!')
        Out.assign("auff\xE4llig");
    else if (S == "+")
        Out.assign("leicht erh\xF6ht");
    else if (S == "++")
        Out.assign("stark erh\xF6ht");
    else if (S == "-")
        Out.assign("m\xE4\xDFig erniedrigt");
    else if (S == "--")
        Out.assign("stark erniedrigt");
}

void VersichertenstatusTo(std::string_view S, std::string& Out) {
    static const TCharSet Digits = CharSetOf("0123456789");
    // At most four bytes survive the trim, which the short-string buffer holds without allocating.
    if (S.size() != 4 || !TrimChars(S, Digits).empty()) return;

    std::string_view Status = "-";
    switch (S[0]) {
    case '1':
        Status = StatusMitglied;
        break;
    case '3':
        Status = StatusFamilie;
        break;
    case '5':
        Status = StatusRentner;
        break;
    }
    Out.assign(Status);
    Out.append(" / ");
    if (S[1] == '0') {
        Out.append(StichprobeNein);
        Out.push_back(' ');
        return;
    }
    if (S[1] == '9')
        Out.push_back('-');
    else {
        Out.append(StichprobeJa);
        Out.append(StichprobeGruppe[S[1] - '1']);
        Out.push_back(')');
    }
    Out.append(" / Geburtsjahr ");
    Out.append(S.substr(2, 2));
}

} // namespace

std::string VersichertenstatusText(std::string_view Inhalt) {
    std::string R;
    VersichertenstatusTo(Inhalt, R);
    return R;
}

void InhaltCommentTo(int32_t FeldArt, std::string_view Inhalt, std::string& Out) {
    Out.clear();
    if (Inhalt.empty() || FeldArt < 0 || FeldArt > MaxFeldArt) return;
    const uint8_t Slot = RuleSlot[size_t(FeldArt)];
    if (Slot == 0) return;
    const TRule& R = Rules[Slot - 1];
    if (Inhalt.size() != R.Len1 && Inhalt.size() != R.Len2) return;

    switch (R.Shape) {
    case TShape::Values:
        Lookup(R.Rows, Inhalt, Out);
        break;
    case TShape::KBVPruefnummer:
        KBVPruefnummer(Inhalt, Out);
        break;
    case TShape::Heilmittel:
        Lookup(R.Rows, Inhalt.substr(0, 2), Out);
        break;
    case TShape::Versichertenstatus:
        VersichertenstatusTo(Inhalt, Out);
        break;
    case TShape::SatzArt:
        Out.assign(SatzArtNameView(Inhalt));
        break;
    case TShape::Grenzwert:
        Grenzwert(Inhalt, Out);
        break;
    case TShape::Scheinart:
        if (StartsWith(Inhalt, "010")) Lookup(R.Rows, Inhalt.substr(3, 1), Out);
        break;
    }
}

std::string InhaltComment(int32_t FeldArt, std::string_view Inhalt) {
    std::string R;
    InhaltCommentTo(FeldArt, Inhalt, R);
    return R;
}
