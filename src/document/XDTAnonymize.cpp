#include "XDTAnonymize.h"

#include "XDTPtrList.h"
#include "XDTStructure.h"
#include "support/Base64.h"
#include "support/Event.h"

#include <QByteArrayView>
#include <QCryptographicHash>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using K = TPseudonymKind;
constexpr uint8_t afPersonal = afLdt2 | afLdt3 | afBdt | afKvdt; // the families of the 02xx practice fields

// Every field that the copy replaces, per family. Kept on purpose: sex, titles, name prefixes,
// country codes, medical content (free result texts too), order and sample numbers, and the
// numbers of practices, doctors, laboratories and insurers (BSNR, LANR, IK, VKNR), which checkers
// validate and which name no patient.
constexpr TIdentifyingField kIdentifying[] = {
    // The patient; in LDT 3 also every other person object (doctors, senders).
    {3000, K::Id, afAll},           // Patientennummer
    {3101, K::Surname, afAll},      // Name
    {3102, K::FirstName, afAll},    // Vorname
    {3103, K::Date, afAll},         // Geburtsdatum
    {3105, K::Id, afAll},           // Versichertennummer
    {3106, K::City, afGdt | afBdt}, // Wohnort (PLZ Ort)
    {3107, K::Street, afAll},       // Strasse
    {3109, K::HouseNumber, afAll},  // Hausnummer
    {3112, K::Postcode, afAll},     // PLZ
    {3113, K::City, afAll},         // Ort
    {3115, K::Text, afAll},         // Anschriftenzusatz
    {3119, K::InsuranceId, afAll},  // Versicherten_ID
    {3121, K::Postcode, afAll},     // PostfachPLZ
    {3122, K::City, afAll},         // PostfachOrt
    {3123, K::Id, afAll},           // Postfach
    // The main insured person.
    {3201, K::Surname, afAll},
    {3202, K::FirstName, afAll},
    {3203, K::Date, afAll},
    {3204, K::City, afBdt},
    {3205, K::Street, afAll},
    {3207, K::Postcode, afAll},
    {3208, K::Phone, afBdt},
    {3209, K::City, afAll},
    // Contacts and personal details.
    {3528, K::FullName, afBdt},            // Person, die im Notfall zu benachrichtigen ist
    {3618, K::Phone, afGdt},               // Mobiltelefonnummer
    {3619, K::EMail, afGdt},               // Email-Adresse
    {3620, K::Text, afBdt},                // Beruf
    {3625, K::Text, afBdt},                // Arbeitgeber
    {3626, K::Phone, afGdt | afBdt},       // Telefonnummer
    {7330, K::Phone, afLdt2 | afLdt3},     // Telefonnummer
    {7331, K::Phone, afLdt3},              // Mobiltelefonnummer
    {7332, K::EMail, afLdt3},              // Alternative elektronische Postadresse
    {7333, K::Phone, afLdt3},              // Faxnummer
    {7334, K::Web, afLdt3},                // Webadresse
    {7335, K::EMail, afLdt3},              // E-Mail-Adresse
    {7351, K::Date, afLdt3},               // Geburtsdatum
    {7358, K::FullName, afLdt3},           // Name im Klartext
    {7430, K::Id, afLdt3},                 // Patienten-ID im Selektivvertrag
    {7922, K::Date, afLdt3},               // Sterbedatum
    {8405, K::Text, afLdt2},               // Patienteninformation
    {8601, K::FullName, afLdt2},           // Name des Rechnungsempfaengers
    {8602, K::FirstName, afLdt2},          // Titel, Vorname des Rechnungsempfaengers
    {8606, K::City, afLdt2},               // Wohnort des Rechnungsempfaengers
    {8607, K::Street, afLdt2},             // Strasse des Rechnungsempfaengers
    {8608, K::Text, afLdt2},               // Kommentar/Aktenzeichen
    {8612, K::Phone, afLdt2},              // Rufnummer
    {8623, K::Id, afLdt2 | afLdt3},        // Identifikation/Aktenzeichen OeGD
    {8990, K::Id, afLdt3 | afGdt | afBdt}, // Namenskuerzel / Signatur
    // Doctors and practices.
    {203, K::Organisation, afPersonal}, // (N)BSNR-Bezeichnung
    {205, K::Street, afPersonal},
    {206, K::City, afLdt2 | afBdt}, // PLZ Ort
    {208, K::Phone, afPersonal},
    {209, K::Phone, afPersonal},
    {211, K::FullName, afPersonal}, // Arztname
    {215, K::Postcode, afPersonal},
    {216, K::City, afPersonal},
    {218, K::EMail, afPersonal},
    {220, K::FirstName, afPersonal}, // Arztvorname
    {309, K::FullName, afBdt},       // Arztname und Ort
    {423, K::EMail, afBdt},
    {600, K::Organisation, afLdt3 | afBdt},  // Name der Einrichtung des Auftraggebers
    {1250, K::Organisation, afLdt3 | afBdt}, // Organisation/Firma
    {4243, K::FullName, afBdt | afKvdt},     // Weiterbehandelnder Arzt
    {4572, K::Text, afBdt},                  // Anschrift des behandelnden Arztes
    {4602, K::Text, afBdt},                  // Rechnungsanschrift
    {5016, K::FullName, afBdt | afKvdt},     // Name des Arztes
    // BDT 3.0 persons and addresses.
    {1210, K::Surname, afBdt},
    {1216, K::FirstName, afBdt},
    {1270, K::Street, afBdt},
    {1271, K::Street, afBdt},
    {1272, K::HouseNumber, afBdt},
    {1275, K::Id, afBdt},
    {1276, K::Postcode, afBdt},
    {1277, K::City, afBdt},
    // BDT letter recipients.
    {6310, K::FullName, afBdt},
    {6312, K::Street, afBdt},
    {6313, K::Postcode, afBdt},
    {6314, K::City, afBdt},
    {6316, K::Phone, afBdt},
    {6317, K::Phone, afBdt},
    // Documents: paths and descriptions often carry the patient's name.
    {6305, K::FileRef, afLdt3 | afGdt}, // Verweis auf die Datei
    {6327, K::Text, afLdt3 | afBdt},    // Bildinhalt / Dokumenteninhalt
    {9908, K::FileRef, afLdt3},
    {9909, K::FileRef, afLdt3},
};

uint8_t FamilyMask(TXdtFamily F) {
    switch (F) {
    case TXdtFamily::Ldt2:
        return afLdt2;
    case TXdtFamily::Ldt3:
        return afLdt3;
    case TXdtFamily::Gdt:
    case TXdtFamily::Gdt2:
    case TXdtFamily::Gdt3:
        return afGdt;
    case TXdtFamily::Bdt:
    case TXdtFamily::Bdt2:
    case TXdtFamily::Bdt3:
        return afBdt;
    case TXdtFamily::Kvdt:
        return afKvdt;
    case TXdtFamily::Unknown:
        break;
    }
    return afAll;
}

// Per family mask the kind of every four-digit identifier, made once.
const std::array<TPseudonymKind, 10000>& KindTable(uint8_t Mask) {
    static std::array<std::unique_ptr<std::array<TPseudonymKind, 10000>>, 32> Tables;
    static std::once_flag Once[32];
    std::call_once(Once[Mask & 31], [Mask] {
        auto T = std::make_unique<std::array<TPseudonymKind, 10000>>();
        T->fill(K::Keep);
        for (const TIdentifyingField& F : kIdentifying)
            if (F.Families & Mask) (*T)[size_t(F.FeldArt)] = F.Kind;
        Tables[Mask & 31] = std::move(T);
    });
    return *Tables[Mask & 31];
}

// Kinds whose placeholder is a function of the original alone, without a memory.
bool Fixed(TPseudonymKind Kind) {
    return Kind == K::Date || Kind == K::Postcode || Kind == K::Web || Kind == K::Text;
}

bool Blank(std::string_view S) {
    return S.find_first_not_of(' ') == std::string_view::npos;
}

bool AllDigits(std::string_view S) {
    return !S.empty() && std::all_of(S.begin(), S.end(), [](char C) { return C >= '0' && C <= '9'; });
}

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// ---------------------------------------------------------------- placeholders

// Placeholders are plain ASCII, which every character set of a file holds with the same bytes.
constexpr const char* kSurnames[] = {"Albers", "Bauer", "Conrad",    "Dreher", "Eckert", "Fuchs",
                                     "Gerber", "Hahn",  "Imhof",     "Jansen", "Kern",   "Lorenz",
                                     "Maurer", "Nolte", "Ostermann", "Pohl",   "Quast",  "Roth",
                                     "Seidel", "Thiel", "Ulmer",     "Vogt",   "Wenzel", "Zander"};
// Names given to either sex, so that the kept sex never contradicts them.
constexpr const char* kFirstNames[] = {"Alex", "Charlie", "Chris", "Eike",   "Jona", "Kai", "Kim", "Luca",
                                       "Mika", "Nicola",  "Robin", "Sascha", "Toni", "Sam", "Jo",  "Maxi"};
constexpr const char* kStems[] = {"Linden", "Ahorn",     "Birken",   "Eichen",   "Buchen", "Erlen",
                                  "Eschen", "Fichten",   "Tannen",   "Weiden",   "Ulmen",  "Kiefern",
                                  "Pappel", "Kastanien", "Holunder", "Wacholder"};
constexpr const char* kStreetEnds[] = {"weg", "strasse", "allee", "ring", "platz", "gasse", "stieg", "pfad"};
constexpr const char* kPlaceEnds[] = {"dorf", "heim", "hausen", "feld", "burg", "stadt", "au", "tal"};

// The N-th word of a list, counting on past its end with joined words: bijective numbering, so
// that every N gives another word.
template <size_t Size> std::string Compose(const char* const (&List)[Size], uint64_t N, const char* Sep) {
    std::vector<const char*> Parts;
    for (;;) {
        Parts.push_back(List[N % Size]);
        N /= Size;
        if (N == 0) break;
        --N;
    }
    std::string R;
    for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) {
        if (!R.empty()) R += Sep;
        R += *It;
    }
    return R;
}

std::string Surname(uint64_t N) {
    return Compose(kSurnames, N, "-");
}
std::string FirstName(uint64_t N) {
    return Compose(kFirstNames, N, "-");
}
std::string StreetName(uint64_t N) {
    return Compose(kStems, N / std::size(kStreetEnds), "-") + kStreetEnds[N % std::size(kStreetEnds)];
}
std::string PlaceName(uint64_t N) {
    return Compose(kStems, N / std::size(kPlaceEnds), "-") + kPlaceEnds[N % std::size(kPlaceEnds)];
}

uint64_t SplitMix(uint64_t& State) {
    uint64_t Z = (State += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    return Z ^ (Z >> 31);
}

// Other digits and letters in the pattern of O: a run of digits keeps its leading zeros and a first
// digit that is not 0; letters keep their case; everything else stays. Extra digits are appended
// when the pattern has too little room. Drawn from the counter, not from the value, so that nothing
// of the original shines through.
std::string PatternId(std::string_view O, uint64_t Seed, int Extra, bool KeepLetters) {
    uint64_t State = Seed * 0x2545F4914F6CDD1Dull + 0x1234567ull;
    std::string R(O);
    bool InRun = false, Leading = false;
    for (char& C : R) {
        if (IsDigit(C)) {
            if (!InRun) Leading = true;
            InRun = true;
            if (Leading && C == '0') continue;
            const uint64_t V = SplitMix(State);
            C = Leading ? char('1' + V % 9) : char('0' + V % 10);
            Leading = false;
            continue;
        }
        InRun = false;
        if (KeepLetters) continue;
        if (C >= 'A' && C <= 'Z')
            C = char('A' + SplitMix(State) % 26);
        else if (C >= 'a' && C <= 'z')
            C = char('a' + SplitMix(State) % 26);
    }
    for (int I = 0; I < Extra; ++I) R += char('0' + SplitMix(State) % 10);
    return R;
}

// A Versicherten-ID: letter, eight digits, check digit (the letter as two digits, weights 1 and 2
// in turn, digit sums of the products, modulo 10).
std::string InsuranceId(uint64_t Seed, int Extra) {
    uint64_t State = Seed * 0x2545F4914F6CDD1Dull + 0x7654321ull;
    std::string R(1, char('A' + SplitMix(State) % 26));
    for (int I = 0; I < 8; ++I) R += char('0' + SplitMix(State) % 10);
    const int Letter = R[0] - 'A' + 1;
    int Digits[10] = {Letter / 10, Letter % 10};
    for (int I = 0; I < 8; ++I) Digits[2 + I] = R[size_t(1 + I)] - '0';
    int Sum = 0;
    for (int I = 0; I < 10; ++I) {
        const int P = Digits[I] * (I % 2 == 0 ? 1 : 2);
        Sum += P / 10 + P % 10;
    }
    R += char('0' + Sum % 10);
    for (int I = 0; I < Extra; ++I) R += char('0' + SplitMix(State) % 10);
    return R;
}

bool IsInsuranceId(std::string_view S) {
    return S.size() == 10 && S[0] >= 'A' && S[0] <= 'Z' && AllDigits(S.substr(1));
}

std::string PostcodeOf(std::string_view O) {
    std::string R(O);
    for (size_t I = 2; I < R.size(); ++I)
        if (IsDigit(R[I])) R[I] = '0';
    return R;
}

// A leading postcode of a place field ("28779 Bremen"): its length, 0 when none.
size_t LeadingPostcode(std::string_view S) {
    size_t N = 0;
    while (N < S.size() && IsDigit(S[N])) ++N;
    return N >= 4 && N <= 5 && N < S.size() && S[N] == ' ' ? N : 0;
}

bool ValidDate(int Day, int Month) {
    return Month >= 0 && Month <= 12 && Day >= 0 && Day <= 31;
}

// Year kept, day and month 01; a 00 (unknown) stays 00, so that partial dates stay partial.
std::string DateOf(std::string_view O, bool YearFirst) {
    if (O.size() == 8 && AllDigits(O)) {
        auto Num = [&](size_t P) { return (O[P] - '0') * 10 + (O[P + 1] - '0'); };
        auto Part = [&](size_t P) { return Num(P) == 0 ? std::string("00") : std::string("01"); };
        const bool YmdValid = ValidDate(Num(6), Num(4)), DmyValid = ValidDate(Num(0), Num(2));
        if (YearFirst ? YmdValid || !DmyValid : !DmyValid && YmdValid)
            return std::string(O.substr(0, 4)) + Part(4) + Part(6);
        return Part(0) + Part(2) + std::string(O.substr(4, 4));
    }
    return YearFirst ? "19000101" : "01011900";
}

std::string FileRefOf(std::string_view O, uint64_t N) {
    std::string Ext;
    const size_t Dot = O.rfind('.');
    if (Dot != std::string_view::npos && O.find_first_of("/\\", Dot) == std::string_view::npos) {
        for (char C : O.substr(Dot + 1))
            if ((C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || IsDigit(C)) Ext += C;
        if (Ext.size() > 6) Ext.resize(6);
    }
    return "Anhang_" + std::to_string(N + 1) + (Ext.empty() ? "" : "." + Ext);
}

constexpr size_t kKinds = size_t(K::FileRef) + 1;

// The memory of placeholders: the same value of a kind always gets the same one, and no two values
// share one, nor does a placeholder ever equal a value of the file that is to vanish.
class TPseudonyms {
public:
    explicit TPseudonyms(bool YearFirst) : FYearFirst(YearFirst) {}

    void NoteOriginal(std::string_view V) { FOriginals.insert(V); }

    // The placeholder of V (not blank); valid while this object lives.
    std::string_view Get(TPseudonymKind Kind, std::string_view V) {
        if (Fixed(Kind)) {
            switch (Kind) {
            case K::Date:
                FFixed = DateOf(V, FYearFirst);
                break;
            case K::Postcode:
                FFixed = PostcodeOf(V);
                break;
            case K::Web:
                FFixed = "www.example.org";
                break;
            default:
                FFixed = "anonymisiert";
                break;
            }
            return FFixed;
        }
        // A phone field without digits ("+LK_Vorwahl_Rufnummer") names nobody.
        if (Kind == K::Phone && V.find_first_of("0123456789") == std::string_view::npos) return V;
        TMemory& M = FMemory[size_t(Kind)];
        if (auto It = M.Map.find(V); It != M.Map.end()) return It->second;
        for (int Attempt = 0;; ++Attempt) {
            std::string C = Make(Kind, V, M.Counter++, Attempt);
            if (FOriginals.count(C) || M.Used.count(C)) continue;
            auto It = M.Map.emplace(V, std::move(C)).first;
            M.Used.insert(It->second);
            return It->second;
        }
    }

    int64_t Values() const {
        int64_t N = 0;
        for (const TMemory& M : FMemory) N += int64_t(M.Map.size());
        return N;
    }

private:
    std::string Make(TPseudonymKind Kind, std::string_view V, uint64_t N, int Attempt) {
        // Patterns with little room (a two-digit number) grow by a digit after a few tries.
        const int Extra = Attempt / 16;
        // Each kind draws its own digits, so that a patient number and a phone number never share them.
        const uint64_t Seed = N * kKinds + uint64_t(Kind);
        switch (Kind) {
        case K::Surname:
            return Surname(N);
        case K::FirstName:
            return FirstName(N);
        case K::FullName:
            return FirstName(N % std::size(kFirstNames)) + " " + Surname(N / std::size(kFirstNames));
        case K::Organisation:
            return "Praxis " + Surname(N);
        case K::Street:
            return StreetName(N) + (V.find_first_of("0123456789") != std::string_view::npos
                                        ? " " + std::to_string(1 + N % 150)
                                        : std::string());
        case K::City:
            if (const size_t P = LeadingPostcode(V); P > 0)
                return PostcodeOf(V.substr(0, P)) + " " + PlaceName(N);
            return PlaceName(N);
        case K::Phone: {
            // The country code after "+" stays, like the leading zero of an area code.
            const size_t Keep = V.starts_with('+')
                                    ? std::min({V.size(), V.find_first_not_of("0123456789", 1), size_t(4)})
                                    : 0;
            return std::string(V.substr(0, Keep)) + PatternId(V.substr(Keep), Seed, Extra, true);
        }
        case K::EMail:
            return "person" + std::to_string(N + 1) + "@example.org";
        case K::InsuranceId:
            if (IsInsuranceId(V)) return InsuranceId(Seed, Extra);
            [[fallthrough]];
        case K::Id:
        case K::HouseNumber: {
            const bool Room =
                V.find_first_of("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") !=
                std::string_view::npos;
            return PatternId(V, Seed, Extra + (Room ? 0 : 1), false);
        }
        case K::FileRef:
            return FileRefOf(V, N);
        default:
            break;
        }
        return std::string(V);
    }

    struct TMemory {
        std::unordered_map<std::string_view, std::string> Map;
        std::unordered_set<std::string_view> Used; // the placeholders given, in Map
        uint64_t Counter = 0;
    };
    bool FYearFirst;
    std::unordered_set<std::string_view> FOriginals;
    std::array<TMemory, kKinds> FMemory;
    std::string FFixed;
};

// ---------------------------------------------------------------- placeholder document

std::string BuildPlaceholderPdf() {
    const std::string Text = "BT /F1 24 Tf 72 760 Td (Anhang entfernt) Tj ET";
    const std::string Objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R >> >> "
        "/Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length " + std::to_string(Text.size()) + " >>\nstream\n" + Text + "\nendstream",
    };
    std::string P = "%PDF-1.4\n";
    std::vector<size_t> Offsets;
    for (size_t I = 0; I < std::size(Objects); ++I) {
        Offsets.push_back(P.size());
        P += std::to_string(I + 1) + " 0 obj\n" + Objects[I] + "\nendobj\n";
    }
    const size_t Xref = P.size();
    P += "xref\n0 " + std::to_string(Offsets.size() + 1) + "\n0000000000 65535 f\r\n";
    for (const size_t O : Offsets) {
        char Entry[32];
        std::snprintf(Entry, sizeof Entry, "%010zu 00000 n\r\n", O);
        P += Entry;
    }
    P += "trailer\n<< /Size " + std::to_string(Offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(Xref) + "\n%%EOF\n";
    return P;
}

// The identifier as four characters, as the loader read it; empty when it has no such form.
std::string_view IdText(int32_t FeldArt, char (&Buf)[16]) {
    const int N = FeldArt >= 0 && FeldArt <= 9999 ? std::snprintf(Buf, sizeof Buf, "%04d", int(FeldArt))
                                                  : std::snprintf(Buf, sizeof Buf, "%4d", int(FeldArt));
    return N == 4 ? std::string_view(Buf, 4) : std::string_view();
}

// Digits of V in the form of the original O: as many leading zeros as O had.
std::string NumberLike(std::string_view O, int64_t V) {
    std::string R = std::to_string(std::max<int64_t>(V, 0));
    if (O.size() > 1 && O[0] == '0' && R.size() < O.size()) R.insert(0, O.size() - R.size(), '0');
    return R;
}

int64_t NumberOf(std::string_view S) {
    int64_t V = 0;
    for (char C : S) V = std::min<int64_t>(V * 10 + (C - '0'), int64_t(1) << 50);
    return V;
}

class TAnonymizer {
public:
    TAnonymizer(const TXDTPtrList& List, const TAnonymizeOptions& Options)
        : FList(List), FOptions(Options), FFamily(List.Format().Family),
          FKinds(KindTable(FamilyMask(FFamily))),
          FPseudonyms(FFamily == TXdtFamily::Ldt3 || FFamily == TXdtFamily::Kvdt),
          FHash(QCryptographicHash::Sha1) {}

    TAnonymizeOutcome Run(const TExportSink& Out) {
        FOut = &Out;
        if (!FStructure.Build(FList, FOptions.Cancel)) return Stop(TAnonymizeEnd::Cancelled, "Abgebrochen");
        for (const TXdtAttachment& A : FStructure.Attachments()) {
            FAttachmentFirst.push_back(A.First);
            if (A.FormatLine >= 0) FFormatLines.push_back(A.FormatLine);
        }
        std::sort(FAttachmentFirst.begin(), FAttachmentFirst.end());
        std::sort(FFormatLines.begin(), FFormatLines.end());
        const std::string Data = Base64Encode(PlaceholderPdf());
        for (size_t P = 0; P < Data.size(); P += 60) FPdfLines.push_back(Data.substr(P, 60));

        // Every value that is to vanish, so that no placeholder can bring one back.
        const int N = FList.Count();
        for (int I = 0; I < N; ++I) {
            if ((I & 0xFFFF) == 0 && Cancelled()) return Stop(TAnonymizeEnd::Cancelled, "Abgebrochen");
            const TXDTPtrItem Item = FList.Items(I);
            char Buf[16];
            if (IdText(Item.FeldArt, Buf).empty())
                return Stop(TAnonymizeEnd::BadInput,
                            "Zeile " + std::to_string(I + 1) + ": die Feldkennung hat keine vier Stellen");
            const TPseudonymKind Kind = KindOf(Item.FeldArt);
            if (Kind != K::Keep && !Fixed(Kind) && !Blank(Item.Inhalt()))
                FPseudonyms.NoteOriginal(Item.Inhalt());
        }

        for (int First = 0; First < N;) {
            int Last = First + 1;
            while (Last < N && FList.Items(Last).FeldArt != 8000) ++Last;
            Record(First, Last);
            if (FStop != TAnonymizeEnd::Complete) return Stop(FStop, FStopMessage);
            First = Last;
        }
        if (!Flush()) return Stop(FStop, FStopMessage);
        FOutcome.Values = FPseudonyms.Values();
        return FOutcome;
    }

private:
    TPseudonymKind KindOf(int32_t FeldArt) const {
        return FeldArt >= 0 && FeldArt <= 9999 ? FKinds[size_t(FeldArt)] : K::Keep;
    }
    bool Cancelled() const { return FOptions.Cancel && FOptions.Cancel->WaitFor(0); }
    bool Ldt3() const { return FFamily == TXdtFamily::Ldt3; }
    // GDT 3.0 counts lines in 8201 and 8202.
    bool CountsLines() const {
        return FFamily == TXdtFamily::Gdt || FFamily == TXdtFamily::Gdt3 || FFamily == TXdtFamily::Unknown;
    }

    TAnonymizeOutcome Stop(TAnonymizeEnd End, std::string Message) {
        FOutcome.End = End;
        FOutcome.Message = std::move(Message);
        return FOutcome;
    }

    // The lengths a record's lines state; all of them are known only once the record is measured.
    struct TLengths {
        int Line8100 = -1, Line9202 = -1;
        int64_t Value8100 = 0, Value9202 = 0;
    };

    void Record(int First, int Last) {
        const TXDTPtrItem Head = FList.Items(First);
        const std::string_view Type = Head.FeldArt == 8000 ? Head.Inhalt() : std::string_view();
        if (Type == "8220" || Type == "8230") {
            FPackageStart = FNewPos;
            // A second package (files joined) has a checksum of its own.
            if (FHashed) {
                FHash.reset();
                FHashed = false;
            }
        }
        if (Type == "0020") FVolume = {FOrigPos, FNewPos, true};
        if (Type == "0022") FPackage = {FOrigPos, FNewPos, true};

        TLengths L;
        int64_t OrigSize = 0;
        const bool Ldt2Trailer = Type == "8221" || Type == "8231", BdtTrailer = Type == "0023";
        for (int I = First; I < Last; ++I) {
            const TXDTPtrItem Item = FList.Items(I);
            OrigSize += 9 + Item.InhaltLen;
            // LDT 3 and KVDT have no record length; elsewhere it follows the 8000 line.
            if (Item.FeldArt == 8100 && L.Line8100 < 0 && Head.FeldArt == 8000 && !Ldt3() &&
                FFamily != TXdtFamily::Kvdt && AllDigits(Item.Inhalt()))
                L.Line8100 = I;
            if (Item.FeldArt == 9202 && L.Line9202 < 0 && (Ldt2Trailer || BdtTrailer) &&
                AllDigits(Item.Inhalt()))
                L.Line9202 = I;
        }
        if (L.Line8100 >= 0) L.Value8100 = NumberOf(FList.Items(L.Line8100).Inhalt());
        if (L.Line9202 >= 0) L.Value9202 = NumberOf(FList.Items(L.Line9202).Inhalt());

        // Measure with the values guessed, then with those measured, until their widths agree.
        if (L.Line8100 >= 0 || L.Line9202 >= 0) {
            for (int Round = 0; Round < 4; ++Round) {
                const int64_t Size = Render(First, Last, L, false);
                TLengths M = L;
                M.Value8100 = Size;
                if (L.Line9202 >= 0) M.Value9202 = PackageLength(BdtTrailer, OrigSize, Size, L);
                const bool Same = Width(L.Line8100, L.Value8100) == Width(L.Line8100, M.Value8100) &&
                                  Width(L.Line9202, L.Value9202) == Width(L.Line9202, M.Value9202);
                L = M;
                if (Same) break;
            }
        }
        FNewPos += Render(First, Last, L, true);
        FOrigPos += OrigSize;
    }

    size_t Width(int Line, int64_t V) const {
        return Line < 0 ? 0 : NumberLike(FList.Items(Line).Inhalt(), V).size();
    }

    // The package length a trailer states. BDT writers count from the volume header 0020 or from
    // the package header 0022: the copy counts as the original did, else from 0022.
    int64_t PackageLength(bool Bdt, int64_t OrigSize, int64_t Size, const TLengths& L) const {
        const int64_t NewEnd = FNewPos + Size;
        if (!Bdt) return NewEnd - FPackageStart;
        const int64_t Stated = NumberOf(FList.Items(L.Line9202).Inhalt()), OrigEnd = FOrigPos + OrigSize;
        if (FVolume.Seen && Stated == OrigEnd - FVolume.Orig) return NewEnd - FVolume.New;
        if (FPackage.Seen) return NewEnd - FPackage.New;
        return FVolume.Seen ? NewEnd - FVolume.New : NewEnd;
    }

    // Writes the record's lines, or only measures them; the bytes they take.
    int64_t Render(int First, int Last, const TLengths& L, bool Write) {
        int64_t Bytes = 0, Emitted = 0, Original = 0;
        std::vector<std::pair<int64_t, int64_t>> Open; // GDT 3.0 objects: lines before each
        auto Emit = [&](std::string_view Id, std::string_view Content) {
            Bytes += int64_t(Content.size()) + 9;
            ++Emitted;
            if (Write) Put(Id, Content);
        };
        char Buf[16];
        for (int I = First; I < Last && FStop == TAnonymizeEnd::Complete; ++I) {
            if (Write && (I & 0xFFF) == 0 && Cancelled()) {
                FStop = TAnonymizeEnd::Cancelled;
                FStopMessage = "Abgebrochen";
                break;
            }
            const TXDTPtrItem Item = FList.Items(I);
            const std::string_view Id = IdText(Item.FeldArt, Buf);
            const std::string_view Raw = Item.Inhalt();
            if (Item.FeldArt == 6329) {
                // The placeholder takes the place of the first line of a document; its other lines go.
                ++Original;
                if (std::binary_search(FAttachmentFirst.begin(), FAttachmentFirst.end(), I)) {
                    for (const std::string& P : FPdfLines) Emit(Id, P);
                    if (Write) ++FOutcome.Attachments;
                }
                continue;
            }
            std::string_view Content = Raw;
            bool Recomputed = false;
            if (I == L.Line8100) {
                FScratch = NumberLike(Raw, L.Value8100);
                Content = FScratch;
                Recomputed = true;
            } else if (I == L.Line9202) {
                FScratch = NumberLike(Raw, L.Value9202);
                Content = FScratch;
                Recomputed = true;
            } else if (Item.FeldArt == 9300 && Ldt3()) {
                if (Write) {
                    FScratch = FHash.result().toHex().toStdString();
                    FHashed = true;
                } else {
                    FScratch.assign(40, '0');
                }
                Content = FScratch;
                Recomputed = true;
            } else if (std::binary_search(FFormatLines.begin(), FFormatLines.end(), I)) {
                Content = "PDF";
            } else if (CountsLines() && Item.FeldArt == 8200) {
                Open.emplace_back(Emitted, Original);
            } else if (CountsLines() && (Item.FeldArt == 8202 || (Item.FeldArt == 8201 && !Open.empty())) &&
                       AllDigits(Raw)) {
                std::pair<int64_t, int64_t> Since{0, 0};
                if (Item.FeldArt == 8201) {
                    Since = Open.back();
                    Open.pop_back();
                }
                const int64_t Delta = (Emitted - Since.first) - (Original - Since.second);
                if (Delta != 0) {
                    FScratch = NumberLike(Raw, NumberOf(Raw) + Delta);
                    Content = FScratch;
                    Recomputed = true;
                }
            } else if (const TPseudonymKind Kind = KindOf(Item.FeldArt); Kind != K::Keep && !Blank(Raw)) {
                Content = FPseudonyms.Get(Kind, Raw);
                if (Write) ++FOutcome.Replaced;
            }
            if (Write && Recomputed) ++FOutcome.Recomputed;
            ++Original;
            Emit(Id, Content);
        }
        return Bytes;
    }

    void Put(std::string_view Id, std::string_view Content) {
        const size_t Start = FBuf.size();
        const size_t Len = Content.size() + 9;
        char Prefix[8];
        if (Len > 999) ++FOutcome.Overlong;
        std::snprintf(Prefix, sizeof Prefix, "%03d", int(std::min<size_t>(Len, 999)));
        FBuf.append(Prefix, 3);
        FBuf.append(Id);
        FBuf.append(Content);
        FBuf.append("\r\n");
        if (Ldt3()) FHash.addData(QByteArrayView(FBuf.data() + Start, qsizetype(FBuf.size() - Start)));
        ++FOutcome.Lines;
        if (FBuf.size() >= (1u << 16)) Flush();
    }

    bool Flush() {
        if (FStop == TAnonymizeEnd::Complete && !FBuf.empty() && !(*FOut)(FBuf)) {
            FStop = TAnonymizeEnd::WriteFailed;
            FStopMessage = "Die Kopie konnte nicht geschrieben werden";
        }
        FBuf.clear();
        return FStop == TAnonymizeEnd::Complete;
    }

    struct TMark {
        int64_t Orig = 0, New = 0;
        bool Seen = false;
    };

    const TXDTPtrList& FList;
    const TAnonymizeOptions& FOptions;
    const TXdtFamily FFamily;
    const std::array<TPseudonymKind, 10000>& FKinds;
    TPseudonyms FPseudonyms;
    QCryptographicHash FHash;
    bool FHashed = false; // a 9300 of this package was written
    const TExportSink* FOut = nullptr;
    TXdtStructure FStructure;
    std::vector<int> FAttachmentFirst, FFormatLines;
    std::vector<std::string> FPdfLines;
    int64_t FNewPos = 0, FOrigPos = 0, FPackageStart = 0;
    TMark FVolume, FPackage;
    std::string FBuf, FScratch;
    TAnonymizeEnd FStop = TAnonymizeEnd::Complete;
    std::string FStopMessage;
    TAnonymizeOutcome FOutcome;
};

} // namespace

std::span<const TIdentifyingField> IdentifyingFields() {
    return kIdentifying;
}

TPseudonymKind PseudonymKindOf(int32_t FeldArt, TXdtFamily Family) {
    return FeldArt >= 0 && FeldArt <= 9999 ? KindTable(FamilyMask(Family))[size_t(FeldArt)] : K::Keep;
}

const std::string& PlaceholderPdf() {
    static const std::string Pdf = BuildPlaceholderPdf();
    return Pdf;
}

TAnonymizeOutcome WriteAnonymized(const TXDTPtrList& List, const TExportSink& Out,
                                  const TAnonymizeOptions& Options) {
    TAnonymizer A(List, Options);
    return A.Run(Out);
}

TAnonymizeOutcome AnonymizeToFile(const TFileXDTPtrList& List, const TLoadOutcome& Loaded,
                                  const std::string& Path, const TAnonymizeOptions& Options) {
    TAnonymizeOutcome Outcome;
    if (Loaded.End != leComplete || List.FileTruncated()) {
        Outcome.End = TAnonymizeEnd::Incomplete;
        Outcome.Message = "Die Datei wurde nicht ganz gelesen; keine Kopie geschrieben";
        return Outcome;
    }
    std::string Error;
    const TNewFileEnd End = WriteNewFile(
        Path, List.FileName(),
        [&](const TExportSink& Sink) {
            Outcome = WriteAnonymized(List, Sink, Options);
            if (Outcome.Ok() && List.FileTruncated()) {
                Outcome.End = TAnonymizeEnd::SourceChanged;
                Outcome.Message = "Die Originaldatei wurde w\xE4hrend des Schreibens gek\xFCrzt";
            }
            return Outcome.Ok();
        },
        Error);
    auto Fail = [&](TAnonymizeEnd E, std::string M) {
        Outcome.End = E;
        Outcome.Message = std::move(M);
        return Outcome;
    };
    switch (End) {
    case TNewFileEnd::Written:
    case TNewFileEnd::ProduceFailed:
        return Outcome;
    case TNewFileEnd::SameFile:
        return Fail(TAnonymizeEnd::SameFile, "Die Kopie w\xFCrde die Originaldatei ersetzen");
    case TNewFileEnd::Exists:
        return Fail(TAnonymizeEnd::Exists, "Die Datei gibt es schon; sie wird nicht ersetzt");
    case TNewFileEnd::CannotCreate:
        return Fail(TAnonymizeEnd::CannotCreate, "Die Datei kann nicht angelegt werden: " + Error);
    case TNewFileEnd::WriteFailed:
        break;
    }
    return Fail(TAnonymizeEnd::WriteFailed, "Schreibfehler: " + Error);
}
