// The record-type and field-name catalogue: table shape, the lookups and their error entries.
#include "catalogue/XDTCodeTbl.h"
#include "support/Ansi.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string W(std::string_view Utf8) {
    return QStringToAnsi(QString::fromUtf8(Utf8.data(), qsizetype(Utf8.size())));
}

const char* const UnknownField = "Fehler: Unbekanntes Feld";
const char* const UnknownSatz = "Fehler: Unbekannter XDT-Satz";

} // namespace

TEST(FeldArtTable, HoldsTheIdentifiersInAscendingOrder) {
    const std::vector<int32_t> Ids = {
        101,  102,  103,  105,  111,  121,  122,  123,  124,  125,  126,  127,  128,  129,  130,  131,  132,
        150,  200,  201,  203,  205,  208,  209,  211,  212,  215,  216,  218,  219,  220,  221,  222,  300,
        301,  302,  303,  304,  305,  915,  917,  918,  919,  920,  922,  923,  925,  950,  951,  952,  953,
        960,  961,  962,  970,  971,  972,  975,  976,  977,  978,  2002, 2018, 3000, 3003, 3004, 3005, 3006,
        3100, 3101, 3102, 3103, 3104, 3105, 3107, 3108, 3109, 3110, 3111, 3112, 3113, 3114, 3115, 3116, 3117,
        3119, 3120, 3121, 3122, 3123, 3124, 3200, 3201, 3202, 3203, 3205, 3206, 3207, 3209, 3300, 3622, 3623,
        3649, 3651, 3652, 3673, 3674, 3675, 3676, 3677, 4101, 4102, 4104, 4106, 4107, 4108, 4109, 4110, 4111,
        4112, 4113, 4121, 4122, 4123, 4124, 4125, 4126, 4131, 4132, 4133, 4134, 4202, 4203, 4204, 4205, 4206,
        4207, 4208, 4209, 4217, 4218, 4219, 4220, 4221, 4222, 4223, 4229, 4231, 4233, 4234, 4235, 4236, 4239,
        4241, 4242, 4243, 4244, 4245, 4246, 4247, 4261, 4262, 4263, 4264, 4265, 4266, 4267, 4268, 4269, 4270,
        4271, 5000, 5001, 5002, 5005, 5006, 5008, 5009, 5011, 5012, 5013, 5015, 5016, 5017, 5018, 5019, 5020,
        5021, 5023, 5024, 5025, 5026, 5034, 5035, 5036, 5037, 5038, 5040, 5041, 5042, 5043, 5044, 5070, 5071,
        5072, 5073, 5098, 5099, 5100, 5402, 6001, 6003, 6004, 6006, 6008, 6210, 6211, 6215, 6285, 6287, 6288,
        6289, 6290, 6292, 6293, 6294, 8000, 8100, 8300, 8301, 8302, 8303, 8310, 8311, 8312, 8313, 8320, 8321,
        8322, 8323, 8324, 8325, 8401, 8403, 8404, 8405, 8406, 8407, 8410, 8411, 8413, 8414, 8415, 8418, 8420,
        8421, 8422, 8423, 8424, 8425, 8428, 8429, 8430, 8431, 8432, 8433, 8434, 8460, 8461, 8462, 8470, 8471,
        8472, 8480, 8490, 8501, 8503, 8504, 8510, 8511, 8512, 8520, 8521, 8522, 8523, 8527, 8528, 8529, 8530,
        8531, 8532, 8601, 8602, 8606, 8607, 8608, 8609, 8610, 8611, 8612, 8613, 8614, 8615, 9102, 9103, 9104,
        9105, 9106, 9111, 9113, 9115, 9116, 9117, 9118, 9122, 9132, 9135, 9136, 9137, 9138, 9139, 9202, 9204,
        9208, 9212, 9213, 9219, 9222, 9230, 9231, 9232, 9234, 9235, 9236, 9237, 9238, 9250, 9260, 9261, 9300,
        9301, 9400, 9401, 9402, 9403, 9404, 9405, 9406, 9407, 9408, 9409, 9410, 9411, 9451, 9452, 9453, 9454,
        9455, 9456, 9457, 9458, 9459, 9460, 9461, 9462, 9463, 9464, 9465, 9467, 9468, 9469, 9470, 9471, 9472,
        9473, 9474, 9480, 9601, 9901};
    ASSERT_EQ(Ids.size() + 1, size_t(FeldArtRowCount));
    EXPECT_EQ(FeldArtTable[0].FeldArt, -1);
    for (size_t Row = 1; Row < size_t(FeldArtRowCount); ++Row)
        EXPECT_EQ(FeldArtTable[Row].FeldArt, Ids[Row - 1]) << Row;
    // The binary search relies on this order.
    for (int Row = 1; Row < FeldArtRowCount; ++Row)
        EXPECT_LT(FeldArtTable[Row - 1].FeldArt, FeldArtTable[Row].FeldArt) << Row;
    for (int Row = 0; Row < FeldArtRowCount; ++Row) {
        ASSERT_NE(FeldArtTable[Row].Name, nullptr) << Row;
        EXPECT_GT(std::string_view(FeldArtTable[Row].Name).size(), 0u) << Row;
    }
}

TEST(FeldArtTable, NamesOfTellingRows) {
    const std::vector<std::pair<uint16_t, std::string>> Rows = {
        {0, "Fehler: Unbekanntes Feld"},
        {1, "KBV-Prüfnummer"},
        {4, "KBV-Prüfnummer"},
        {18, "PLZ"},
        {26, "Lebenslange Arztnummmer (LANR)"},
        {63, "Kostenträgergruppe"},
        {64, "Patientennummer"},
        {70, "Name"},
        {71, "Vorname"},
        {72, "Geburtsdatum"},
        {76, "Versichertenart"},
        {78, "Geschlecht"},
        {120, "Versichertenstatus KVK (Hinweis: nicht mehr zulässig!)"},
        {122, "Gebührenordnung"},
        {173, "Gebührennummer (GNR)"},
        {211, "ICD-Code"},
        {227, "Satzart"},
        {228, "Satzlänge"},
        {249, "Test-Ident"},
        {250, "Testbezeichung"},
        {255, "Ergebniswert"},
        {256, "Einheit"},
        {257, "Grenzwert-Indikator"},
        {267, "Anforderungen"},
        {304, "Empfänger"},
        {305, "Erstellungsdatum"},
        {308, "verwendeter Zeichensatz"},
        {325, "Version der Satzbeschreibung"},
        {326, "Version  verwendeter Stammdatei"},
        {343, "Handhabung \"Übertragung Doppelkilometer (DKM, FK 5008) bzw. Wegepauschale nach E-GO\" bei "
              "Ersatzkassen"},
        {377, "Trenne Abrechnungsgebiet"},
        {378, "Zeitraum der Speicherung"},
        {379, "Jokerfeld/Systeminternes Feld"},
    };
    for (const auto& [Row, Name] : Rows) {
        EXPECT_EQ(FeldArtNameByIndex(Row), W(Name)) << Row;
        EXPECT_EQ(FeldArtName(FeldArtByIndex(Row)), W(Name)) << Row;
    }
    EXPECT_EQ(FeldArtName(101), W("KBV-Prüfnummer"));
    EXPECT_EQ(FeldArtName(105), FeldArtName(101));
    EXPECT_EQ(FeldArtName(150), FeldArtName(3112));
    EXPECT_EQ(FeldArtName(4121), FeldArtName(8403));
}

TEST(FeldArtIndex, FindsEveryRowAndNothingElse) {
    for (int Row = 0; Row < FeldArtRowCount; ++Row) {
        EXPECT_EQ(FeldArtIndex(FeldArtTable[Row].FeldArt), Row);
        EXPECT_EQ(FeldArtByIndex(uint16_t(Row)), FeldArtTable[Row].FeldArt);
    }
    EXPECT_EQ(FeldArtIndex(8000), 227);
    EXPECT_EQ(FeldArtIndex(101), 1);
    EXPECT_EQ(FeldArtIndex(9901), 379);
    EXPECT_EQ(FeldArtIndex(-1), 0);
    for (int32_t Id : {0, 104, 9264, 9902, 9999, 10000, -2, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(FeldArtIndex(Id), 0) << Id;
        EXPECT_EQ(FeldArtName(Id), UnknownField) << Id;
    }
    EXPECT_EQ(FeldArtName(-1), UnknownField);
    EXPECT_EQ(FeldArtName(8000), "Satzart");
    EXPECT_EQ(FeldArtNameView(8000), "Satzart");
    // Every identifier of the usual range agrees with a plain scan of the table.
    std::set<int32_t> Present;
    for (int Row = 0; Row < FeldArtRowCount; ++Row) Present.insert(FeldArtTable[Row].FeldArt);
    for (int32_t Id = -5; Id <= 10005; ++Id)
        if (!Present.count(Id)) {
            EXPECT_EQ(FeldArtIndex(Id), 0) << Id;
        }
}

TEST(FeldArtIndex, FixedRowsAndRowsOutOfRange) {
    EXPECT_EQ(FeldArtByIndex(FeldArtRowSatzArt), 8000);
    EXPECT_EQ(FeldArtByIndex(FeldArtRowTestIdent), 8410);
    EXPECT_EQ(FeldArtByIndex(FeldArtRowAnforderung), 8434);
    EXPECT_EQ(FeldArtByIndex(227), 8000);
    EXPECT_EQ(FeldArtByIndex(249), 8410);
    EXPECT_EQ(FeldArtByIndex(267), 8434);
    EXPECT_EQ(FeldArtByIndex(0), -1);
    EXPECT_EQ(FeldArtNameByIndex(0), UnknownField);
    EXPECT_EQ(FeldArtNameByIndex(227), "Satzart");
    EXPECT_EQ(FeldArtNameByIndex(249), "Test-Ident");
    EXPECT_EQ(FeldArtNameByIndex(267), "Anforderungen");
    // A row number past the table reads the error entry, never beyond the table.
    for (uint16_t Row : {uint16_t(380), uint16_t(1000), uint16_t(65535)}) {
        EXPECT_EQ(FeldArtByIndex(Row), -1) << Row;
        EXPECT_EQ(FeldArtNameByIndex(Row), UnknownField) << Row;
    }
}

TEST(SatzArtTable, RowsInOrder) {
    const std::vector<std::pair<std::string, std::string>> Rows = {
        {"", "Fehler: Unbekannter XDT-Satz"},
        {"0020", "Datenträger-Header"},
        {"0021", "Datenträger-Abschluß"},
        {"0101", "Ambulante Behandlung"},
        {"0102", "Überweisung"},
        {"0103", "Belegärztliche Behandlung"},
        {"0104", "Notfalldienst/Vertretung/Notfall"},
        {"0109", "Kurärztliche Behandlung"},
        {"1450", "AV-Stammsatz"},
        {"2150", "PLZ-Stammsatz"},
        {"8201", "Labor-Facharzt-Bericht"},
        {"8202", "LG-Bericht"},
        {"8203", "Mikrobiologie-Bericht"},
        {"8204", "Facharzt-Bericht \"Sonstige Einsendepraxen\""},
        {"8218", "Elektronische Überweisung"},
        {"8219", "Auftrag an eine Laborgemeinschaft"},
        {"8220", "L-Datenpaket-Header"},
        {"8221", "L-Datenpaket-Abschluß"},
        {"8230", "P-Datenpaket-Header"},
        {"8231", "P-Datenpaket-Abschluß"},
        {"8240", "ELV-Headersatz"},
        {"8241", "ELV-Endesatz"},
        {"8242", "ELV-Stammsatz"},
        {"8243", "ELV-Löschsatz"},
        {"adt0", "ADT-Datenpaket-Header"},
        {"adt9", "ADT-Datenpaket-Abschluß"},
        {"AVS0", "AV-Headersatz"},
        {"AVS9", "AV-Endesatz"},
        {"besa", "Betriebsstättendaten"},
        {"con0", "Container-Header"},
        {"con9", "Container-Abschluß"},
        {"kad0", "KADT-Datenpaket-Header"},
        {"kad9", "KADT-Datenpaket-Abschluß"},
        {"kvx0", "SDKV-Headersatz"},
        {"kvx1", "Handhabungshinweise"},
        {"kvx2", "Zulässige Feldinhalte"},
        {"kvx3", "SKT-Abrechnungs-Zusatzangaben"},
        {"kvx4", "Sortierung (nur für KV)"},
        {"kvx5", "Scheinabgabe (nur für KV)"},
        {"kvx6", "Klammerung (nur für KV)"},
        {"kvx7", "Abrechnunsart (nur für KV)"},
        {"kvx8", "Kommentierung / Zusatzinformation"},
        {"kvx9", "SDKV-Endesatz"},
        {"plz0", "PLZ-Headersatz"},
        {"plz9", "PLZ-Endesatz"},
        {"rvsa", "Ringversuchszertifikate"},
        {"sad0", "SADT-Datenpaket-Header"},
        {"sad1", "SADT-ambulante Behandlung"},
        {"sad2", "SADT-Überweisung"},
        {"sad3", "SADT-belegärztliche Behandlung"},
        {"sad9", "SADT-Datenpaket-Abschluß"},
        {"st13", "Statistik"},
        {"std0", "STDT-Datenpaket-Header"},
        {"std9", "STDT-Datenpaket-Abschluß"},
    };
    ASSERT_EQ(Rows.size(), size_t(SatzArtRowCount));
    for (size_t Row = 0; Row < Rows.size(); ++Row) {
        EXPECT_EQ(SatzArtTable[Row].Code, Rows[Row].first) << Row;
        EXPECT_EQ(SatzArtTable[Row].Name, W(Rows[Row].second)) << Row;
        EXPECT_EQ(SatzArtNameByIndex(uint8_t(Row)), W(Rows[Row].second)) << Row;
    }
    EXPECT_EQ(SatzArtNameByIndex(54), UnknownSatz);
    EXPECT_EQ(SatzArtNameByIndex(255), UnknownSatz);
}

TEST(SatzArtIndex, IgnoresCase) {
    for (int Row = 1; Row < SatzArtRowCount; ++Row) {
        const std::string Code = SatzArtTable[Row].Code;
        EXPECT_EQ(SatzArtIndex(Code), Row) << Code;
        EXPECT_EQ(SatzArtIndex(AnsiUpperCase(Code)), Row) << Code;
        std::string Lower = Code;
        for (char& C : Lower) C = char(std::tolower(static_cast<unsigned char>(C)));
        EXPECT_EQ(SatzArtIndex(Lower), Row) << Code;
    }
    EXPECT_EQ(SatzArtName("8201"), "Labor-Facharzt-Bericht");
    EXPECT_EQ(SatzArtName("ADT0"), "ADT-Datenpaket-Header");
    EXPECT_EQ(SatzArtName("AdT0"), "ADT-Datenpaket-Header");
    EXPECT_EQ(SatzArtName("avs9"), "AV-Endesatz");
    EXPECT_EQ(SatzArtIndex("avs9"), 27);
    EXPECT_EQ(SatzArtIndex("ADT0"), 24);
    EXPECT_EQ(SatzArtNameView("Con9"), W("Container-Abschluß"));
}

TEST(SatzArtIndex, UnknownCodesGiveTheErrorEntry) {
    for (const char* Code : {"", "0100", "8201 ", " 8201", "820", "82010", "9999", "adt", "adt00", "a dt",
                             "\xE4"
                             "dt0",
                             "8201\n", "ADT-"}) {
        EXPECT_EQ(SatzArtIndex(Code), 0) << Code;
        EXPECT_EQ(SatzArtName(Code), UnknownSatz) << Code;
    }
    EXPECT_EQ(SatzArtName(std::string("82\0"
                                      "1",
                                      4)),
              UnknownSatz);
}
