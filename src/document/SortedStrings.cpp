#include "SortedStrings.h"

#include "support/Ansi.h"

bool TSortedStrings::Find(std::string_view S, int& Index) const {
    int Lo = 0, Hi = Count() - 1;
    while (Lo <= Hi) {
        const int Mid = (Lo + Hi) / 2;
        const int C = AnsiCompareText(FItems[size_t(Mid)].Text, S);
        if (C < 0)
            Lo = Mid + 1;
        else if (C > 0)
            Hi = Mid - 1;
        else {
            Index = Mid;
            return true;
        }
    }
    Index = Lo;
    return false;
}

int TSortedStrings::Add(std::string_view S, intptr_t Object) {
    int I;
    if (Find(S, I)) return I;
    FItems.insert(FItems.begin() + I, TItem{std::string(S), Object});
    return I;
}
