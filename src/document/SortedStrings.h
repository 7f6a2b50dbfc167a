#pragma once
// A sorted list of strings, each with an attached integer, ordered by the case-insensitive
// comparison of the user's locale; adding a text that is already present changes nothing.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TSortedStrings {
public:
    struct TItem {
        std::string Text;
        intptr_t Object;
    };

    // Index of the new or the already present entry.
    int Add(std::string_view S, intptr_t Object);
    // Adds the items as Add would one after the other, in one sort: of texts that compare equal the
    // one added first stays. For many texts at once, where one Add each would move the list each time.
    void AddAll(std::vector<TItem> Items);
    // True and the index when present; else false and the insertion point.
    bool Find(std::string_view S, int& Index) const;
    int IndexOf(std::string_view S) const {
        int I;
        return Find(S, I) ? I : -1;
    }
    void Clear() { FItems.clear(); }

    int Count() const { return int(FItems.size()); }
    const std::string& Strings(int I) const { return FItems.at(size_t(I)).Text; }
    intptr_t Objects(int I) const { return FItems.at(size_t(I)).Object; }
    const std::vector<TItem>& Items() const { return FItems; }

private:
    std::vector<TItem> FItems;
};
