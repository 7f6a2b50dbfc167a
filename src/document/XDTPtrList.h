#pragma once
// The line index of one xDT document: per line the field identifier and where its content lies in
// the file's bytes. Content is never copied. While lines are added it keeps the column statistics
// of the view, the sorted lists of field identifiers and record types, and the declared character set.
#include "SortedStrings.h"
#include "catalogue/XDTFormat.h"
#include "support/MappedFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TEvent;
class TFileXDTPtrList;

// Which value comments a row shows: the classic ones, or the extended ones (object names of
// 8002/8003, and in LDT 3 files the LDT 3 value tables).
enum TCommentKind : uint8_t { ckClassic, ckModern, ckModernLdt3 };

struct TXDTPtrItem {
    int32_t FeldArt = 0;
    const char* InhaltPtr = nullptr;
    int32_t InhaltLen = 0;
    std::string_view Inhalt() const {
        return InhaltPtr && InhaltLen > 0 ? std::string_view(InhaltPtr, size_t(InhaltLen))
                                          : std::string_view();
    }
};

constexpr int MaxListSize = 134217727; // 2^27 - 1, the capacity limit of the index

// The identifier of an entry that holds an invalid line whole (tolerant loading). No line can carry
// it: four identifier bytes give at most -999..9999.
constexpr int32_t FeldArtInvalid = -32767;

class TXDTPtrList {
public:
    TXDTPtrList();
    virtual ~TXDTPtrList();
    TXDTPtrList(const TXDTPtrList&) = delete;
    TXDTPtrList& operator=(const TXDTPtrList&) = delete;

    void BeginUpdate() { FUpdateCount.fetch_add(1, std::memory_order_relaxed); }
    void EndUpdate() { FUpdateCount.fetch_sub(1, std::memory_order_relaxed); }
    int UpdateCount() const { return FUpdateCount.load(std::memory_order_relaxed); }

    virtual void Clear();
    // Adding FeldArtInvalid adds an invalid line, as AddInvalid does.
    int Add(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen);
    // An invalid line kept whole: its content is the entire line. It names no field, so it stays out
    // of FeldArtList and the field-name width, but counts for the content widths.
    int AddInvalid(const char* LinePtr, int32_t LineLen);

    // Bounds-checked accessors: an index outside 0..Count-1 raises EListError.
    TXDTPtrItem Items(int Index) const;
    int32_t FeldArt(int Index) const { return Items(Index).FeldArt; }
    std::string Kennung(int Index) const;
    std::string Inhalt(int Index) const { return std::string(Items(Index).Inhalt()); }
    bool IsSatzArt(int Index) const;
    bool IsTestIdent(int Index) const;
    bool IsAnforderung(int Index) const;
    bool IsInvalidLine(int Index) const { return FeldArt(Index) == FeldArtInvalid; }
    int InvalidCount() const { return FInvalidCount; } // entries that hold an invalid line

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    void SetCapacity(int NewCapacity);
    int FileCodierung() const { return FFileCodierung; }
    int MaxCommentLen() const { return MaxCommentLen(ckClassic); }
    int MaxInhaltLen() const { return FMaxInhaltLen; }
    int MaxInhaltCommentLen() const { return MaxInhaltCommentLen(ckClassic); }
    int MaxFeldArtNameLen() const { return FMaxFeldArtNameLen; }
    // The same widths for the extended comments and names.
    int MaxCommentLen(TCommentKind Kind) const;
    int MaxInhaltCommentLen(TCommentKind Kind) const;
    int MaxFeldArtNameLen(bool Classic, TXdtFamily Family) const;
    // Family and version, decided from the first lines once a load has ended.
    const TXdtFormat& Format() const { return FFormat; }
    void DetectFormat();
    const TSortedStrings& FeldArtList() const { return FFeldArtList; }
    // After a load with very many record types the list is sorted on its first use (see
    // FSatzArtPending); like every reader of the index, only one thread may ask at a time.
    const TSortedStrings& SatzArtList() const {
        if (!FSatzArtPending.empty() || FSatzArtScanFrom >= 0) SettleSatzArt();
        return FSatzArtList;
    }

    [[noreturn]] static void Error(const char* Msg, int Data);

protected:
    virtual void Grow();
    // The most entries the index may hold; lower only in tests, to reach the limit cheaply.
    virtual int CapacityLimit() const { return MaxListSize; }

private:
    // The packed entries and the de-duplication memory live in the index's source file only.
    struct TPackedItem;
    struct TSeen;
    friend class TXDTLoader;
    // FromFile: the content lies in the index's own file, which lives as long as the entry.
    template <bool FromFile> int AddImpl(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen);
    // Sorts the pending record types into SatzArtList.
    void SettleSatzArt() const;
    int AddInvalidImpl(const char* LinePtr, int32_t LineLen);
    void Pack(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen);
    void CheckIndex(int Index) const;
    bool IsFeldArtOfRow(int Index, uint16_t Row) const;
    void ResetStatistics();

    TPackedItem* FList = nullptr;
    std::atomic<int> FUpdateCount{0};
    int FCount = 0;
    int FCapacity = 0;
    int FFileCodierung = 0;
    // Comment widths of the lines whose comment is the same in every kind, then per kind of the few
    // identifiers whose comment differs between the kinds (kept apart so each kind's width is exact).
    int FMaxCommentLen = 0;
    int FMaxInhaltLen = 0;
    int FMaxInhaltCommentLen = 0;
    int FMaxFeldArtNameLen = 0;
    int FKindCommentLen[3] = {};
    int FKindInhaltCommentLen[3] = {};
    TXdtFormat FFormat;
    int FInvalidCount = 0;
    TSortedStrings FFeldArtList;
    mutable TSortedStrings FSatzArtList;
    // The record types a load met and SatzArtList does not hold yet. A sorted insert per new type
    // would move the list each time, quadratic in the number of types: the loader collects the
    // entries (indexes) that carry a new one and sorts them in once, at the end of the load. A file
    // with too many to tell apart on the way leaves the entry from which on every record line is to
    // be looked at (else -1), and the list is sorted on first use: so its load stays as fast as that
    // of a file with one record type.
    mutable std::vector<int> FSatzArtPending;
    mutable int FSatzArtScanFrom = -1;

    uintptr_t FAnchor = 0;
    bool FHasAnchor = false;
    std::vector<TXDTPtrItem> FSide; // entries that do not pack
    std::unique_ptr<TSeen> FSeen;
};

// Brackets a change of the index; the counter returns to its earlier value however the scope ends.
class TUpdateBracket {
public:
    explicit TUpdateBracket(TXDTPtrList& L) : FList(L) { FList.BeginUpdate(); }
    ~TUpdateBracket() { FList.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TXDTPtrList& FList;
};

// The index of one file, mapped read-only for as long as the document is shown.
class TFileXDTPtrList : public TXDTPtrList {
public:
    TFileXDTPtrList() = default;
    ~TFileXDTPtrList() override;

    void Clear() override;

    const std::string& FileName() const { return FFileName; }
    uint64_t FileSize() const { return FFileSize; }
    const char* ViewBase() const { return FFile.ViewBase(); }
    // The whole mapped file, without a copy; empty when nothing is mapped.
    std::string_view Image() const {
        return ViewBase() ? std::string_view(ViewBase(), size_t(FFileSize)) : std::string_view();
    }
    bool FileOpen() const { return FFile.FileOpen(); }
    // The file was truncated by someone else while shown: the vanished bytes now read as NUL.
    bool FileTruncated() const { return FFile.Truncated(); }
    bool MappingOpen() const { return FFile.MappingOpen(); }

private:
    friend class TXDTLoader;
    std::string FFileName;
    TMappedFile FFile;
    uint64_t FFileSize = 0;
};

// How a load treats an invalid line.
enum TInvalidLinePolicy : uint8_t {
    ilRaise, // raise EXDTInvalidLine, keeping the lines before it (the classic contract)
    ilStop,  // stop there, keep the lines before it and report it in the outcome
    // Read the whole file: an empty line is skipped, any other invalid line becomes an entry that
    // holds the whole line (FeldArtInvalid); the outcome counts them and names the first.
    ilTolerant,
};

// What a load is asked to do.
struct TLoadOptions {
    TEvent* Cancel = nullptr; // polled before every line; may be null
    TInvalidLinePolicy InvalidLine = ilRaise;
};

// How a load ended.
enum TLoadEnd : uint8_t {
    leComplete,    // the whole file was read (an empty file too)
    leNotReadable, // the file could not be opened or mapped: the index is empty
    leCancelled,   // the cancel event was set: the lines before it stay
    leInvalidLine, // stopped at an invalid line (ilStop): the lines before it stay
    leTruncated,   // read to the end, but another program cut the file short meanwhile
};
struct TLoadOutcome {
    TLoadEnd End = leComplete;
    long long PhysicalLine = 0;    // one-based, of the invalid line (tolerant: of the first one)
    unsigned long long Offset = 0; // byte offset of the invalid line's start
    long long InvalidLines = 0;    // tolerant: invalid lines kept as entries
    long long BlankLines = 0;      // tolerant: empty lines skipped that a strict load would stop at
};

// Opens, maps and splits the file into the index. A file that cannot be opened or mapped gives an
// empty index without error. On an invalid line, by default raises EXDTInvalidLine ("Ungültige
// Zeile in XDT-Datei"), keeping the lines before it. Errors of the index itself (capacity, memory)
// are raised in every mode, with the lines read so far kept.
TLoadOutcome LoadXDTFile(TFileXDTPtrList& List, const std::string& Path, const TLoadOptions& Options = {});
