#include "SortedStrings.h"

#include "support/Ansi.h"

#include <QString>
#include <algorithm>

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

void TSortedStrings::AddAll(std::vector<TItem> Items) {
    if (Items.empty()) return;
    struct TKey {
        QString Text; // converted once, for the many comparisons of the sort
        size_t Item;
    };
    std::vector<TKey> Keys;
    Keys.reserve(Items.size());
    for (size_t I = 0; I < Items.size(); ++I) Keys.push_back(TKey{AnsiToQString(Items[I].Text), I});
    // Stable: of equal texts the one added first comes first and is the one kept.
    std::stable_sort(Keys.begin(), Keys.end(),
                     [](const TKey& A, const TKey& B) { return AnsiCompareConverted(A.Text, B.Text) < 0; });

    // Merged into a new list, so that a failure leaves the old one as it was. Present entries were
    // added before any of the new ones: they win over equal new texts.
    std::vector<TItem> Merged;
    Merged.reserve(FItems.size() + Keys.size());
    size_t Old = 0;
    QString OldText;
    bool OldConverted = false;
    const TKey* Previous = nullptr;
    for (const TKey& K : Keys) {
        if (Previous && AnsiCompareConverted(Previous->Text, K.Text) == 0) continue;
        Previous = &K;
        int C = 1;
        while (Old < FItems.size()) {
            if (!OldConverted) {
                OldText = AnsiToQString(FItems[Old].Text);
                OldConverted = true;
            }
            C = AnsiCompareConverted(OldText, K.Text);
            if (C >= 0) break;
            Merged.push_back(FItems[Old++]);
            OldConverted = false;
        }
        if (Old < FItems.size() && C == 0) continue;
        Merged.push_back(std::move(Items[K.Item]));
    }
    Merged.insert(Merged.end(), FItems.begin() + long(Old), FItems.end());
    FItems.swap(Merged);
}
