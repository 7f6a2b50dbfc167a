#include "XDTFormat.h"

#include <algorithm>
#include <array>

namespace {

using TGroup = TXdtFormatDetector::TGroup;
using TStrength = TXdtFormatDetector::TStrength;
using F = TXdtFamily;

enum class TMatch : uint8_t { Any, Exact, Prefix };

// A sign of a format in one field line. Weak signs name a group only until a decisive one comes;
// the first decisive sign fixes the group; refining signs count only inside their group. Family
// Unknown: the sign names the group but not its version. Version: the content is the version.
struct TSignRule {
    int16_t FeldArt;
    TMatch Match;
    std::string_view Content; // compared with ASCII case ignored
    TGroup Group;
    F Family;
    TStrength Strength;
    bool Version;
};

constexpr TMatch Any = TMatch::Any, Exact = TMatch::Exact, Prefix = TMatch::Prefix;
constexpr TStrength Weak = TStrength::Weak, Decisive = TStrength::Decisive, Refine = TStrength::Refine;
constexpr TGroup Ldt = TGroup::Ldt, Gdt = TGroup::Gdt, Bdt = TGroup::Bdt, Kvdt = TGroup::Kvdt;

// Per line the first rule of its identifier whose content matches and that can apply (a refining
// rule only inside its group) is taken.
constexpr TSignRule SignRules[] = {
    // LDT: the package frames of both versions, then what tells 3 from 2.
    {8000, Exact, "8220", Ldt, F::Unknown, Decisive, false},
    {8000, Exact, "8221", Ldt, F::Unknown, Decisive, false},
    {8000, Exact, "8230", Ldt, F::Unknown, Decisive, false},
    {8000, Exact, "8231", Ldt, F::Unknown, Decisive, false},
    {8000, Exact, "8205", Ldt, F::Ldt3, Decisive, false},
    {8000, Exact, "8215", Ldt, F::Ldt3, Decisive, false},
    {8000, Exact, "8201", Ldt, F::Ldt2, Decisive, false},
    {8000, Exact, "8202", Ldt, F::Ldt2, Decisive, false},
    {8000, Exact, "8203", Ldt, F::Ldt2, Decisive, false},
    {8000, Exact, "8204", Ldt, F::Ldt2, Decisive, false},
    {8000, Exact, "8218", Ldt, F::Ldt2, Decisive, false},
    {8000, Exact, "8219", Ldt, F::Ldt2, Decisive, false},
    {1, Prefix, "LDT", Ldt, F::Ldt3, Decisive, true},    // "LDT3.2.4", in Obj_0032 of the header
    {9212, Prefix, "LDT", Ldt, F::Ldt2, Decisive, true}, // "LDT1014.01"
    {9211, Any, "", Ldt, F::Ldt2, Refine, true},         // older LDT files: "07/99"
    {8100, Any, "", Ldt, F::Ldt2, Refine, false},        // LDT 3 has no record length
    {8002, Prefix, "Obj_", Ldt, F::Ldt3, Refine, false}, // LDT 3 objects

    // GDT: its record types, then version 9218 (2.x, 3.0) or 0001 (3.5).
    {8000, Exact, "6300", Gdt, F::Unknown, Decisive, false},
    {8000, Exact, "6301", Gdt, F::Unknown, Decisive, false},
    {8000, Exact, "6302", Gdt, F::Unknown, Decisive, false},
    {8000, Exact, "6303", Gdt, F::Gdt3, Decisive, false}, // not in GDT 2
    {8000, Exact, "6310", Gdt, F::Unknown, Decisive, false},
    {8000, Exact, "6311", Gdt, F::Unknown, Decisive, false},
    {8000, Exact, "6320", Gdt, F::Gdt3, Decisive, false}, // 6320/6321/6330/6331: GDT 3.5 only
    {8000, Exact, "6321", Gdt, F::Gdt3, Decisive, false},
    {8000, Exact, "6330", Gdt, F::Gdt3, Decisive, false},
    {8000, Exact, "6331", Gdt, F::Gdt3, Decisive, false},
    {9218, Prefix, "01.", Gdt, F::Gdt2, Decisive, true},
    {9218, Prefix, "02.", Gdt, F::Gdt2, Decisive, true},
    {9218, Prefix, "1.", Gdt, F::Gdt2, Decisive, true},
    {9218, Prefix, "2.", Gdt, F::Gdt2, Decisive, true},
    {9218, Prefix, "03.", Gdt, F::Gdt3, Decisive, true},
    {9218, Prefix, "3.", Gdt, F::Gdt3, Decisive, true},
    {9218, Any, "", Gdt, F::Unknown, Decisive, true},
    {1, Prefix, "GDT", Gdt, F::Gdt3, Decisive, true},
    {1, Any, "", Gdt, F::Gdt3, Refine, true},            // "3.5" in Obj_0033
    {8200, Prefix, "Obj_", Gdt, F::Gdt3, Refine, false}, // GDT 3.0 objects
    {8002, Prefix, "Obj_", Gdt, F::Gdt3, Refine, false}, // GDT 3.5 objects
    {9206, Any, "", Gdt, F::Unknown, Weak, false},       // GDT's own character-set field

    // BDT: its record types and version fields. 0020/0021 also frame old ADT and LDT disks.
    {8000, Exact, "0020", Bdt, F::Unknown, Weak, false},
    {8000, Exact, "0021", Bdt, F::Unknown, Weak, false},
    {8000, Exact, "0010", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0022", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0023", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0190", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0191", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0199", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "6100", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "6200", Bdt, F::Unknown, Decisive, false},
    {8000, Exact, "0001", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "X001", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "adrs", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "bbst", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "diag", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "frei", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "grnk", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "hapo", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "iden", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "spec", Bdt, F::Bdt3, Decisive,
     false}, // BDT 3.0 record type "Referenzierte Datensatzbeschreibungen"
    {8000, Exact, "term", Bdt, F::Bdt3, Decisive, false},
    {8000, Exact, "text", Bdt, F::Bdt3, Decisive, false},
    {9213, Any, "", Bdt, F::Bdt2, Decisive, true}, // "02/94"
    {9210, Any, "", Bdt, F::Unknown, Weak, false}, // the ADT version, also in BDT headers
    {1, Prefix, "BDT", Bdt, F::Bdt3, Decisive, true},
    {1, Any, "", Bdt, F::Bdt3, Refine, true},

    // KVDT: container, practice and package records, and the package versions of 9212.
    {8000, Exact, "con0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "con9", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "besa", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "rvsa", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "adt0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "adt9", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "kad0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "kad9", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "sad0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "sad9", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "std0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "std9", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "hdrg0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "hdrg1", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "KOMU", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "pro0", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "prot", Kvdt, F::Kvdt, Decisive, false},
    {8000, Exact, "pro9", Kvdt, F::Kvdt, Decisive, false},
    {9212, Prefix, "ADT", Kvdt, F::Kvdt, Decisive, true}, // "ADT0124.01"
    {9212, Prefix, "KADT", Kvdt, F::Kvdt, Decisive, true},
    {9212, Prefix, "SADT", Kvdt, F::Kvdt, Decisive, true},
    {9212, Prefix, "STDT", Kvdt, F::Kvdt, Decisive, true},
    {9212, Prefix, "HDRG", Kvdt, F::Kvdt, Decisive, true},
    {9212, Any, "", Kvdt, F::Kvdt, Refine, true},
};

// Identifiers that occur in the table: most lines are rejected by one bit test.
constexpr auto SignFields = [] {
    std::array<uint64_t, 10000 / 64 + 1> Bits{};
    for (const TSignRule& R : SignRules)
        Bits[size_t(R.FeldArt) / 64] |= uint64_t(1) << (size_t(R.FeldArt) % 64);
    return Bits;
}();

char Lower(char C) {
    return C >= 'A' && C <= 'Z' ? char(C + 32) : C;
}

bool Matches(const TSignRule& R, std::string_view Content) {
    if (R.Match == TMatch::Any) return true;
    if (Content.size() < R.Content.size() || (R.Match == TMatch::Exact && Content.size() != R.Content.size()))
        return false;
    for (size_t I = 0; I < R.Content.size(); ++I)
        if (Lower(Content[I]) != Lower(R.Content[I])) return false;
    return true;
}

std::string_view Trimmed(std::string_view S) {
    while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
    return S;
}

TXdtFamily FamilyOfGroup(TGroup Group) {
    switch (Group) {
    // An LDT 3 header names its version in 0001; an LDT file without that sign is LDT 2.
    case TGroup::Ldt:
        return F::Ldt2;
    case TGroup::Gdt:
        return F::Gdt;
    case TGroup::Bdt:
        return F::Bdt;
    case TGroup::Kvdt:
        return F::Kvdt;
    case TGroup::None:
        break;
    }
    return F::Unknown;
}

// Without a leading "LDT"/"GDT"/"BDT" and, where the version has two-digit parts ("02.10"), without
// the zero that leads the first part.
std::string ShortVersion(std::string_view Version, std::string_view Prefix) {
    if (Version.size() >= Prefix.size() && std::equal(Prefix.begin(), Prefix.end(), Version.begin(),
                                                      [](char A, char B) { return Lower(A) == Lower(B); }))
        Version.remove_prefix(Prefix.size());
    Version = Trimmed(Version);
    if (Version.size() >= 2 && Version[0] == '0' && Version[1] >= '0' && Version[1] <= '9' &&
        Version.find('/') == std::string_view::npos)
        Version.remove_prefix(1);
    return std::string(Version);
}

std::string Label(TXdtFamily Family, std::string_view Version) {
    const bool Has = !Version.empty();
    switch (Family) {
    case F::Ldt3:
        return "LDT " + (Has ? ShortVersion(Version, "LDT") : std::string("3"));
    case F::Ldt2:
        return Has ? "LDT 2 (" + std::string(Version) + ")" : std::string("LDT 2");
    case F::Gdt:
        return Has ? "GDT " + ShortVersion(Version, "GDT") : std::string("GDT");
    case F::Gdt2:
        return "GDT " + (Has ? ShortVersion(Version, "GDT") : std::string("2"));
    case F::Gdt3:
        return "GDT " + (Has ? ShortVersion(Version, "GDT") : std::string("3"));
    case F::Bdt:
        return Has ? "BDT " + std::string(Version) : std::string("BDT");
    case F::Bdt2:
        return "BDT " + (Has ? std::string(Version) : std::string("02/94"));
    case F::Bdt3:
        return "BDT " + (Has ? ShortVersion(Version, "BDT") : std::string("3.0"));
    // A container holds packages of several versions; the first one is in Version.
    case F::Kvdt:
        return "KVDT";
    case F::Unknown:
        break;
    }
    return "xDT";
}

} // namespace

void TXdtFormatDetector::Feed(int32_t FeldArt, std::string_view Content) {
    if (FLines >= HeaderLines) return;
    ++FLines;
    if (FeldArt < 0 || FeldArt > 9999) return;
    if (!((SignFields[size_t(FeldArt) / 64] >> (size_t(FeldArt) % 64)) & 1)) return;
    Content = Trimmed(Content);

    if (FeldArt == 9206 && !FSeen9206) {
        FSeen9206 = true;
        int V = 0;
        if (Content.size() >= 1 && Content.size() <= 2 &&
            std::all_of(Content.begin(), Content.end(), [](char C) { return C >= '0' && C <= '9'; }))
            for (char C : Content) V = V * 10 + (C - '0');
        F9206 = V;
    }

    const TSignRule* Rule = nullptr;
    for (const TSignRule& R : SignRules) {
        if (R.FeldArt != FeldArt || !Matches(R, Content)) continue;
        if (R.Strength == TStrength::Refine && R.Group != FGroup) continue;
        Rule = &R;
        break;
    }
    if (!Rule) return;

    const bool Open =
        FGroup == TGroup::None ||
        (FStrength == TStrength::Weak && Rule->Strength == TStrength::Decisive && Rule->Group != FGroup);
    if (Open) {
        FGroup = Rule->Group;
        FStrength = Rule->Strength;
        FFamily = F::Unknown;
        FVersionLen = 0;
    } else if (Rule->Group != FGroup) {
        return; // another format's sign after the header has spoken
    } else if (Rule->Strength == TStrength::Decisive) {
        FStrength = TStrength::Decisive;
    }
    if (FFamily == F::Unknown) FFamily = Rule->Family;
    // A version counts only when its sign agrees with the family already found.
    if (Rule->Version && FVersionLen == 0 && (Rule->Family == F::Unknown || Rule->Family == FFamily)) {
        FVersionLen = uint8_t(std::min(Content.size(), sizeof FVersion));
        std::copy_n(Content.begin(), FVersionLen, FVersion);
    }
}

TXdtFormat TXdtFormatDetector::Result() const {
    TXdtFormat R;
    R.Family = FFamily != F::Unknown ? FFamily : FamilyOfGroup(FGroup);
    R.Version.assign(FVersion, FVersionLen);
    R.Label = Label(R.Family, R.Version);
    R.Declared9206 = F9206;
    const bool Gdt35 = R.Family == F::Gdt3 && ShortVersion(R.Version, "GDT").starts_with("3.5");
    if (R.Family == F::Ldt3 || R.Family == F::Bdt3 || Gdt35)
        R.ImpliedCharset = TXdtCharset::Iso8859_15;
    else if (F9206 == 1)
        R.ImpliedCharset = TXdtCharset::SevenBit;
    else if (F9206 == 2)
        R.ImpliedCharset = TXdtCharset::Ibm437;
    else if (F9206 == 3)
        R.ImpliedCharset = TXdtCharset::Ansi;
    return R;
}

TXdtFormat DetectXdtFormat(std::span<const TXdtField> Lines) {
    TXdtFormatDetector D;
    for (const TXdtField& L : Lines) D.Feed(L.FeldArt, L.Content);
    return D.Result();
}
