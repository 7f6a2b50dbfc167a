#pragma once
// Which entry of the document each row of the view shows. Today every entry is a row, in order; a
// filter or folded blocks change only this map, not the painting nor the scrolling that go through it.
class TRowMap {
public:
    // The rows over a document of Entries entries.
    int RowCount(int Entries) const { return Entries; }
    // The entry shown in Row (0 <= Row < RowCount).
    int EntryOfRow(int Row) const { return Row; }
    // The row that shows Entry; -1 when no row does.
    int RowOfEntry(int Entry) const { return Entry; }
};
