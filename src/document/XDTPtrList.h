#pragma once
// The line index of one xDT document: per line the field identifier and where its content lies in
// the file's bytes. Content is never copied. While lines are added it keeps the column statistics
// of the view, the sorted lists of field identifiers and record types, and the declared character set.
#include "SortedStrings.h"
#include "support/MappedFile.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TEvent;
class TFileXDTPtrList;

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
    int Add(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen);

    // Bounds-checked accessors: an index outside 0..Count-1 raises EListError.
    TXDTPtrItem Items(int Index) const;
    int32_t FeldArt(int Index) const { return Items(Index).FeldArt; }
    std::string Kennung(int Index) const;
    std::string Inhalt(int Index) const { return std::string(Items(Index).Inhalt()); }
    bool IsSatzArt(int Index) const;
    bool IsTestIdent(int Index) const;
    bool IsAnforderung(int Index) const;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    void SetCapacity(int NewCapacity);
    int FileCodierung() const { return FFileCodierung; }
    int MaxCommentLen() const { return FMaxCommentLen; }
    int MaxInhaltLen() const { return FMaxInhaltLen; }
    int MaxInhaltCommentLen() const { return FMaxInhaltCommentLen; }
    int MaxFeldArtNameLen() const { return FMaxFeldArtNameLen; }
    const TSortedStrings& FeldArtList() const { return FFeldArtList; }
    const TSortedStrings& SatzArtList() const { return FSatzArtList; }

    [[noreturn]] static void Error(const char* Msg, int Data);

protected:
    virtual void Grow();
    // The most entries the index may hold; lower only in tests, to reach the limit cheaply.
    virtual int CapacityLimit() const { return MaxListSize; }

private:
    // 12 bytes per line: a signed 48-bit offset of the content from an anchor address, the identifier
    // in 16 bits and the length. Lines that do not fit (identifier outside 16 bits, null or far pointer)
    // are kept whole in a side table; the loader never produces them.
    struct TPackedItem {
        uint32_t OffsetLo;
        uint16_t OffsetHi;
        int16_t FeldArt;
        int32_t InhaltLen;
    };
    static_assert(sizeof(TPackedItem) == 12);
    static constexpr int16_t kSideEntry = INT16_MIN;

    friend void LoadXDTFile(TFileXDTPtrList& List, const std::string& Path, TEvent* CancelEvent);
    int AddImpl(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen);
    void CheckIndex(int Index) const;
    bool IsFeldArtOfRow(int Index, uint16_t Row) const;
    void ResetStatistics();

    TPackedItem* FList = nullptr;
    std::atomic<int> FUpdateCount{0};
    int FCount = 0;
    int FCapacity = 0;
    int FFileCodierung = 0;
    int FMaxCommentLen = 0;
    int FMaxInhaltLen = 0;
    int FMaxInhaltCommentLen = 0;
    int FMaxFeldArtNameLen = 0;
    TSortedStrings FFeldArtList;
    TSortedStrings FSatzArtList;

    uintptr_t FAnchor = 0;
    bool FHasAnchor = false;
    std::vector<TXDTPtrItem> FSide;

    // Byte-exact memory of what the sorted lists already hold, so that a repeated identifier or record
    // type costs no locale-aware comparison.
    std::vector<uint8_t> FFeldArtSeen;
    struct TransparentHash {
        using is_transparent = void;
        size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
    };
    std::unordered_set<std::string, TransparentHash, std::equal_to<>> FSatzArtSeen;
    std::string FCommentBuf;
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
    bool FileOpen() const { return FFile.FileOpen(); }
    // The file was truncated by someone else while shown: the vanished bytes now read as NUL.
    bool FileTruncated() const { return FFile.Truncated(); }
    bool MappingOpen() const { return FFile.MappingOpen(); }

private:
    friend void LoadXDTFile(TFileXDTPtrList& List, const std::string& Path, TEvent* CancelEvent);
    std::string FFileName;
    TMappedFile FFile;
    uint64_t FFileSize = 0;
};

// Opens, maps and splits the file into the index. Raises EXDTInvalidLine ("Ungültige Zeile in
// XDT-Datei") on an invalid line, keeping the lines before it. A file that cannot be opened or mapped
// gives an empty index without error. CancelEvent (may be null) is polled before every line.
void LoadXDTFile(TFileXDTPtrList& List, const std::string& Path, TEvent* CancelEvent = nullptr);
