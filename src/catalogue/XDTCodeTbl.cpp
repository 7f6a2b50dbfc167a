#include "XDTCodeTbl.h"

#include "support/Ansi.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "XDTCodeTbl.inc"

namespace {

// The record-type codes sorted by the case-ignoring comparison of the user's locale, each with its row.
// Built on first use; a function-local static makes that first use safe from two threads at once.
struct TSatzArtCodeList {
    std::array<uint8_t, SatzArtRowCount> Rows{};
    int Count = 0;
    TSatzArtCodeList() {
        for (int Row = 0; Row < SatzArtRowCount; ++Row) {
            const std::string_view Code = SatzArtTable[Row].Code;
            // Sorted insertion, duplicates ignored.
            int Lo = 0, Hi = Count - 1;
            bool Dup = false;
            while (Lo <= Hi) {
                const int Mid = (Lo + Hi) / 2;
                const int C = AnsiCompareText(SatzArtTable[Rows[Mid]].Code, Code);
                if (C < 0)
                    Lo = Mid + 1;
                else if (C > 0)
                    Hi = Mid - 1;
                else {
                    Dup = true;
                    break;
                }
            }
            if (Dup) continue;
            std::copy_backward(Rows.begin() + Lo, Rows.begin() + Count, Rows.begin() + Count + 1);
            Rows[Lo] = uint8_t(Row);
            ++Count;
        }
    }
};

const TSatzArtCodeList& SatzArtCodeList() {
    static const TSatzArtCodeList List;
    return List;
}

// All codes are four characters of digits and ASCII letters: for these the locale's case-ignoring
// equality is plain ASCII case folding, which needs no collator.
bool IsPlainCode(std::string_view S) {
    if (S.size() != 4) return false;
    for (unsigned char C : S)
        if (!((C >= '0' && C <= '9') || ((C | 0x20) >= 'a' && (C | 0x20) <= 'z'))) return false;
    return true;
}

} // namespace

uint8_t SatzArtIndex(std::string_view Code) {
    const TSatzArtCodeList& L = SatzArtCodeList();
    if (IsPlainCode(Code)) {
        // Fast path for the common case, same answer as the collated search.
        for (int Row = 1; Row < SatzArtRowCount; ++Row) {
            const char* T = SatzArtTable[Row].Code;
            bool Eq = true;
            for (int I = 0; I < 4 && Eq; ++I) Eq = (T[I] | 0x20) == (Code[I] | 0x20);
            if (Eq) return uint8_t(Row);
        }
        return 0;
    }
    int Lo = 0, Hi = L.Count - 1;
    while (Lo <= Hi) {
        const int Mid = (Lo + Hi) / 2;
        const int C = AnsiCompareText(SatzArtTable[L.Rows[Mid]].Code, Code);
        if (C < 0)
            Lo = Mid + 1;
        else if (C > 0)
            Hi = Mid - 1;
        else
            return L.Rows[Mid];
    }
    return 0;
}

std::string SatzArtNameByIndex(uint8_t Row) {
    return SatzArtTable[Row < SatzArtRowCount ? Row : 0].Name;
}

std::string_view SatzArtNameView(std::string_view Code) {
    return SatzArtTable[SatzArtIndex(Code)].Name;
}

std::string SatzArtName(std::string_view Code) {
    return std::string(SatzArtNameView(Code));
}

uint16_t FeldArtIndex(int32_t FeldArt) {
    int Low = 0, High = FeldArtRowCount - 1;
    while (High >= Low) {
        const int Middle = (Low + High) / 2;
        const int32_t Id = FeldArtTable[Middle].FeldArt;
        if (Id < FeldArt)
            Low = Middle + 1;
        else if (Id == FeldArt)
            return uint16_t(Middle);
        else
            High = Middle - 1;
    }
    return 0;
}

std::string FeldArtNameByIndex(uint16_t Row) {
    return FeldArtTable[Row < FeldArtRowCount ? Row : 0].Name;
}

std::string_view FeldArtNameView(int32_t FeldArt) {
    return FeldArtTable[FeldArtIndex(FeldArt)].Name;
}

std::string FeldArtName(int32_t FeldArt) {
    return std::string(FeldArtNameView(FeldArt));
}

int32_t FeldArtByIndex(uint16_t Row) {
    return FeldArtTable[Row < FeldArtRowCount ? Row : 0].FeldArt;
}
