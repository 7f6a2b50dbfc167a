#include "XDTSupplement.h"

#include "XDTCodeTbl.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

struct TSupplementFeld {
    int32_t FeldArt;
    uint16_t FirstLine;
    uint8_t LineCount;
    TSupplementConflict Conflict;
    std::string_view Agreed;
    std::string_view Joined;
};
struct TSupplementSatz {
    std::string_view Code;
    uint16_t FirstLine;
    uint8_t LineCount;
    TSupplementConflict Conflict;
    std::string_view Agreed;
    std::string_view Joined;
};
struct TObjectRow {
    std::string_view Id;
    std::string_view Name;
    uint16_t Families;
};
struct TValueRow {
    std::string_view Value;
    std::string_view Meaning;
};
struct TValueField {
    int32_t FeldArt;
    uint16_t FirstRow;
    uint16_t RowCount;
};

// Generated at build time into the build tree.
#include "XDTLdt3Objekte.inc"
#include "XDTLdt3Werte.inc"
#include "XDTSupplementFeld.inc"
#include "XDTSupplementSatz.inc"

// The lookups rely on these shapes; the generator checks them too, this keeps the two in step.
template <class TEntry, size_t N, size_t M>
constexpr bool LinesTileTheTable(const TEntry (&Entries)[N], const TSupplementLine (&)[M]) {
    size_t Next = 0;
    for (const TEntry& E : Entries) {
        if (E.FirstLine != Next || E.LineCount == 0) return false;
        Next += E.LineCount;
    }
    return Next == M;
}
static_assert(LinesTileTheTable(SupplementFeldTable, SupplementFeldLineTable));
static_assert(LinesTileTheTable(SupplementSatzTable, SupplementSatzLineTable));
constexpr bool FeldTableAscends() {
    for (size_t I = 1; I < std::size(SupplementFeldTable); ++I)
        if (SupplementFeldTable[I - 1].FeldArt >= SupplementFeldTable[I].FeldArt) return false;
    return true;
}
static_assert(FeldTableAscends());
constexpr bool ValueTableFits() {
    size_t Next = 0;
    for (size_t I = 0; I < std::size(Ldt3ValueFieldTable); ++I) {
        const TValueField& F = Ldt3ValueFieldTable[I];
        if (F.FirstRow != Next || (I > 0 && Ldt3ValueFieldTable[I - 1].FeldArt >= F.FeldArt)) return false;
        if (F.FeldArt < 0 || F.FeldArt > 9999) return false;
        Next += F.RowCount;
    }
    return Next == std::size(Ldt3ValueTable);
}
static_assert(ValueTableFits());

// ---------------------------------------------------------------- families

// The marks a family looks for, in two steps: the second is asked only when no line has the first.
struct TFamilyMarks {
    uint16_t First;
    uint16_t Second;
};

constexpr TFamilyMarks MarksOf(TXdtFamily Family) {
    switch (Family) {
    case TXdtFamily::Ldt3:
        return {fmLdt3, fmLdt30};
    case TXdtFamily::Ldt2:
        return {fmLdt2, 0};
    case TXdtFamily::Gdt:
        return {fmGdt2 | fmGdt3, 0};
    case TXdtFamily::Gdt2:
        return {fmGdt2, fmGdt3};
    case TXdtFamily::Gdt3:
        return {fmGdt3, fmGdt2};
    // Where the two BDT versions differ the lines say BDT2 or BDT3, never BDT as well.
    case TXdtFamily::Bdt:
        return {fmBdt, fmBdt2 | fmBdt3};
    case TXdtFamily::Bdt2:
        return {fmBdt2 | fmBdt, 0};
    case TXdtFamily::Bdt3:
        return {fmBdt3 | fmBdt, 0};
    case TXdtFamily::Kvdt:
        return {fmKvdt, 0};
    case TXdtFamily::Unknown:
        break;
    }
    return {0, 0};
}

// The family's line among Lines. Two lines that both fit one step leave the meaning open: none.
std::string_view FamilyName(std::span<const TSupplementLine> Lines, TXdtFamily Family) {
    const TFamilyMarks Marks = MarksOf(Family);
    for (const uint16_t Mask : {Marks.First, Marks.Second}) {
        if (Mask == 0) continue;
        std::string_view Found;
        int Hits = 0;
        for (const TSupplementLine& Line : Lines) {
            if (Line.Families & Mask) {
                Found = Line.Name;
                ++Hits;
            }
        }
        if (Hits == 1) return Found;
        if (Hits > 1) return {};
    }
    return {};
}

// ---------------------------------------------------------------- fields

const TSupplementFeld* FindFeld(int32_t FeldArt) {
    const auto* End = std::end(SupplementFeldTable);
    const auto* It = std::lower_bound(std::begin(SupplementFeldTable), End, FeldArt,
                                      [](const TSupplementFeld& E, int32_t F) { return E.FeldArt < F; });
    return It != End && It->FeldArt == FeldArt ? It : nullptr;
}

std::span<const TSupplementLine> LinesOf(const TSupplementFeld* E) {
    if (!E) return {};
    return {SupplementFeldLineTable + E->FirstLine, E->LineCount};
}

// ---------------------------------------------------------------- record types

bool SameCode(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I) {
        unsigned char X = static_cast<unsigned char>(A[I]), Y = static_cast<unsigned char>(B[I]);
        if (X >= 'A' && X <= 'Z') X = static_cast<unsigned char>(X + 32);
        if (Y >= 'A' && Y <= 'Z') Y = static_cast<unsigned char>(Y + 32);
        if (X != Y) return false;
    }
    return true;
}

const TSupplementSatz* FindSatz(std::string_view Code) {
    for (const TSupplementSatz& E : SupplementSatzTable)
        if (SameCode(E.Code, Code)) return &E;
    return nullptr;
}

// ---------------------------------------------------------------- objects

// The rows ordered by ID, sorted by the compiler.
constexpr size_t ObjectCount = std::size(ObjectTable);
constexpr auto ObjectOrder = [] {
    std::array<uint8_t, ObjectCount> Order{};
    for (size_t I = 0; I < ObjectCount; ++I) Order[I] = uint8_t(I);
    std::sort(Order.begin(), Order.end(),
              [](uint8_t A, uint8_t B) { return ObjectTable[A].Id < ObjectTable[B].Id; });
    return Order;
}();
static_assert(ObjectCount < 256);
constexpr bool ObjectIdsAreUnique() {
    for (size_t I = 1; I < ObjectCount; ++I)
        if (ObjectTable[ObjectOrder[I - 1]].Id == ObjectTable[ObjectOrder[I]].Id) return false;
    return true;
}
static_assert(ObjectIdsAreUnique());

// ---------------------------------------------------------------- values

constexpr int32_t ValueBitmapSize = 10000;
constexpr auto ValueFieldBits = [] {
    std::array<uint64_t, (ValueBitmapSize + 63) / 64> Bits{};
    for (const TValueField& F : Ldt3ValueFieldTable)
        Bits[size_t(F.FeldArt) / 64] |= uint64_t(1) << (size_t(F.FeldArt) % 64);
    return Bits;
}();

} // namespace

std::string_view SupplementFeldName(int32_t FeldArt, TXdtFamily Family) {
    return FamilyName(LinesOf(FindFeld(FeldArt)), Family);
}

std::string_view SupplementFeldNameAgreed(int32_t FeldArt) {
    const TSupplementFeld* E = FindFeld(FeldArt);
    return E ? E->Agreed : std::string_view();
}

std::string_view SupplementFeldNameJoined(int32_t FeldArt) {
    const TSupplementFeld* E = FindFeld(FeldArt);
    return E ? E->Joined : std::string_view();
}

TSupplementConflict SupplementFeldConflict(int32_t FeldArt) {
    const TSupplementFeld* E = FindFeld(FeldArt);
    return E ? E->Conflict : TSupplementConflict::None;
}

std::span<const TSupplementLine> SupplementFeldLines(int32_t FeldArt) {
    return LinesOf(FindFeld(FeldArt));
}

std::string_view ModernFeldArtName(int32_t FeldArt, TXdtFamily Family) {
    const TSupplementFeld* E = FindFeld(FeldArt);
    if (E && Family != TXdtFamily::Unknown) {
        const std::string_view Own = FamilyName(LinesOf(E), Family);
        if (!Own.empty()) return Own;
    }
    if (FeldArtIndex(FeldArt) != 0 || !E) return FeldArtNameView(FeldArt);
    if (!E->Agreed.empty()) return E->Agreed;
    return E->Joined;
}

std::string_view SupplementSatzArtName(std::string_view Code, TXdtFamily Family) {
    const TSupplementSatz* E = FindSatz(Code);
    if (!E) return {};
    const std::string_view Own = FamilyName(
        std::span<const TSupplementLine>(SupplementSatzLineTable + E->FirstLine, E->LineCount), Family);
    if (!Own.empty()) return Own;
    return E->Agreed.empty() ? E->Joined : E->Agreed;
}

std::string_view ModernSatzArtName(std::string_view Code, TXdtFamily Family) {
    const uint8_t Row = SatzArtIndex(Code);
    if (Row != 0) return SatzArtTable[Row].Name;
    const std::string_view Supplement = SupplementSatzArtName(Code, Family);
    return Supplement.empty() ? std::string_view(SatzArtTable[0].Name) : Supplement;
}

std::string_view Ldt3ObjectName(std::string_view ObjectId) {
    const auto* It =
        std::lower_bound(ObjectOrder.begin(), ObjectOrder.end(), ObjectId,
                         [](uint8_t Row, std::string_view Id) { return ObjectTable[Row].Id < Id; });
    return It != ObjectOrder.end() && ObjectTable[*It].Id == ObjectId ? ObjectTable[*It].Name
                                                                      : std::string_view();
}

bool HasLdt3ValueComments(int32_t FeldArt) {
    if (FeldArt < 0 || FeldArt >= ValueBitmapSize) return false;
    return (ValueFieldBits[size_t(FeldArt) / 64] >> (size_t(FeldArt) % 64)) & 1;
}

std::string_view Ldt3ValueComment(int32_t FeldArt, std::string_view Value) {
    if (!HasLdt3ValueComments(FeldArt)) return {};
    const auto* It = std::lower_bound(std::begin(Ldt3ValueFieldTable), std::end(Ldt3ValueFieldTable), FeldArt,
                                      [](const TValueField& F, int32_t Id) { return F.FeldArt < Id; });
    for (uint16_t I = 0; I < It->RowCount; ++I) {
        const TValueRow& Row = Ldt3ValueTable[It->FirstRow + I];
        if (Row.Value == Value) return Row.Meaning;
    }
    return {};
}

size_t SupplementFeldCount() {
    return std::size(SupplementFeldTable);
}
size_t SupplementFeldLineCount() {
    return std::size(SupplementFeldLineTable);
}
size_t SupplementSatzArtCount() {
    return std::size(SupplementSatzTable);
}
size_t SupplementSatzArtLineCount() {
    return std::size(SupplementSatzLineTable);
}
size_t Ldt3ObjectCount() {
    return ObjectCount;
}
size_t Ldt3ValueFieldCount() {
    return std::size(Ldt3ValueFieldTable);
}
size_t Ldt3ValueCount() {
    return std::size(Ldt3ValueTable);
}
