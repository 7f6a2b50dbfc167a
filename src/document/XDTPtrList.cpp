#include "XDTPtrList.h"

#include "LineSplit.h"
#include "RowModel.h"

#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "catalogue/XDTSupplement.h"
#include "support/Event.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <unordered_set>

namespace {
constexpr int kFeldArtSeenSize = 10000; // the four-digit identifiers; others take the slow path
constexpr int64_t kOffsetLimit = int64_t(1) << 47;

struct TransparentHash {
    using is_transparent = void;
    size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
};

// Record types a load tells apart as it goes: enough for any real file, small enough to stay in the
// cache. A file with more has its record lines looked at again when the list is first used.
constexpr size_t kSatzArtSeenLimit = 4096;

// A byte-exact set of texts that live elsewhere (the mapped file), open addressing in one array.
// It holds at most Limit texts.
class TViewSet {
public:
    explicit TViewSet(size_t Limit = SIZE_MAX) : FLimit(Limit) {}

    enum TResult { vsPresent, vsAdded, vsFull };
    TResult Insert(std::string_view S) {
        const size_t H = std::hash<std::string_view>()(S);
        if (!FSlots.empty()) {
            for (size_t I = H & FMask;; I = (I + 1) & FMask) {
                const TSlot& Slot = FSlots[I];
                if (!Slot.Ptr) break;
                // string_view equality: an empty text may have no address at all.
                if (Slot.Hash == uint32_t(H) && std::string_view(Slot.Ptr, Slot.Len) == S) return vsPresent;
            }
        }
        if (FCount >= FLimit) return vsFull;
        if ((FCount + 1) * 2 > FSlots.size()) Grow();
        size_t I = H & FMask;
        while (FSlots[I].Ptr) I = (I + 1) & FMask;
        FSlots[I] = TSlot{S.data() ? S.data() : kEmpty, uint32_t(S.size()), uint32_t(H)};
        ++FCount;
        return vsAdded;
    }
    void Clear() {
        FSlots.clear();
        FSlots.shrink_to_fit();
        FMask = 0;
        FCount = 0;
    }

private:
    struct TSlot {
        const char* Ptr; // null: free
        uint32_t Len;
        uint32_t Hash; // low bits of the full hash, to skip most byte comparisons
    };
    static constexpr const char* kEmpty = "";

    void Grow() {
        std::vector<TSlot> Old;
        Old.swap(FSlots);
        FSlots.assign(std::max<size_t>(64, Old.size() * 2), TSlot{nullptr, 0, 0});
        FMask = FSlots.size() - 1;
        for (const TSlot& Slot : Old) {
            if (!Slot.Ptr) continue;
            size_t I = Slot.Hash & FMask; // the mask never reaches beyond the stored 32 bits
            while (FSlots[I].Ptr) I = (I + 1) & FMask;
            FSlots[I] = Slot;
        }
    }

    std::vector<TSlot> FSlots;
    size_t FMask = 0;
    size_t FCount = 0;
    size_t FLimit;
};
} // namespace

// 12 bytes per line: a signed 48-bit offset of the content from an anchor address, the identifier in
// 16 bits and the length. Lines that do not fit (identifier outside 16 bits, null or far pointer) are
// kept whole in the side table; the loader never produces them.
struct TXDTPtrList::TPackedItem {
    uint32_t OffsetLo;
    uint16_t OffsetHi;
    int16_t FeldArt;
    int32_t InhaltLen;
};
static constexpr int16_t kSideEntry = INT16_MIN;

// Byte-exact memory of what the sorted lists already hold, so that a repeated identifier or record
// type costs no locale-aware comparison; and the comment buffer reused from line to line.
constexpr uint8_t kSeen = 1;        // the identifier is in FeldArtList already
constexpr uint8_t kKindDiffers = 2; // its comment differs between the comment kinds

// Per identifier the flags a new list starts with.
const std::vector<uint8_t>& InitialFeldArtFlags() {
    static const std::vector<uint8_t> Flags = [] {
        std::vector<uint8_t> F(kFeldArtSeenSize, 0);
        for (int I = 0; I < kFeldArtSeenSize; ++I)
            if (CommentDiffersByKind(I)) F[size_t(I)] = kKindDiffers;
        return F;
    }();
    return Flags;
}

struct TXDTPtrList::TSeen {
    std::vector<uint8_t> FeldArt = InitialFeldArtFlags();
    std::unordered_set<std::string, TransparentHash, std::equal_to<>> SatzArt; // of Add's callers
    TViewSet FileSatzArt{kSatzArtSeenLimit};                                   // of the loader
    std::string CommentBuf;
};

// ---------------------------------------------------------------- TXDTPtrList

TXDTPtrList::TXDTPtrList() : FSeen(std::make_unique<TSeen>()) {
    static_assert(sizeof(TPackedItem) == 12);
}

TXDTPtrList::~TXDTPtrList() {
    FUpdateCount.store(1, std::memory_order_relaxed);
    FFeldArtList.Clear();
    FSatzArtList.Clear();
    FCount = 0;
    std::free(FList);
    FList = nullptr;
    FCapacity = 0;
}

void TXDTPtrList::Error(const char* Msg, int Data) {
    char Buf[256];
    std::snprintf(Buf, sizeof Buf, Msg, Data);
    throw EListError(Buf);
}

void TXDTPtrList::Grow() {
    int Delta;
    if (FCapacity > 64)
        Delta = FCapacity / 4;
    else if (FCapacity > 8)
        Delta = 16;
    else
        Delta = 4;
    // Near the limit the last step is cut to the limit, so that a list can fill up to it exactly;
    // at the limit the capacity error is raised as usual.
    int64_t New = int64_t(FCapacity) + Delta;
    const int Limit = CapacityLimit();
    if (New > Limit && FCapacity < Limit) New = Limit;
    SetCapacity(int(std::min<int64_t>(New, int64_t(Limit) + 1)));
}

void TXDTPtrList::SetCapacity(int NewCapacity) {
    if (NewCapacity < FCount || NewCapacity > CapacityLimit())
        Error("List capacity out of bounds (%d)", NewCapacity);
    if (NewCapacity == FCapacity) return;
    if (NewCapacity == 0) {
        std::free(FList);
        FList = nullptr;
    } else {
        // realloc: large blocks are moved by remapping pages, not by copying.
        void* P = std::realloc(FList, size_t(NewCapacity) * sizeof(TPackedItem));
        if (P == nullptr) throw std::bad_alloc();
        FList = static_cast<TPackedItem*>(P);
    }
    FCapacity = NewCapacity;
}

void TXDTPtrList::ResetStatistics() {
    FFileCodierung = 0;
    for (int K = 0; K < 3; ++K) FKindCommentLen[K] = FKindInhaltCommentLen[K] = 0;
    FFormat = TXdtFormat{};
    FMaxCommentLen = 0;
    FMaxInhaltLen = 0;
    FMaxInhaltCommentLen = 0;
    FMaxFeldArtNameLen = 0;
}

void TXDTPtrList::Clear() {
    TUpdateBracket Bracket(*this);
    ResetStatistics();
    if (FCount != 0) {
        FCount = 0;
        SetCapacity(0);
    }
    FInvalidCount = 0;
    FSide.clear();
    FHasAnchor = false;
    FFeldArtList.Clear();
    FSatzArtList.Clear();
    FSeen->FeldArt = InitialFeldArtFlags();
    FSeen->SatzArt.clear();
    FSeen->FileSatzArt.Clear();
    FSatzArtPending.clear();
    FSatzArtScanFrom = -1;
}

void TXDTPtrList::SettleSatzArt() const {
    if (FSatzArtPending.empty() && FSatzArtScanFrom < 0) return;
    // In the order of first occurrence, each distinct text once by its bytes: the sort then compares
    // each distinct text only.
    TViewSet Seen;
    std::vector<TSortedStrings::TItem> New;
    auto Take = [&](int Index) {
        const std::string_view S = Items(Index).Inhalt();
        if (Seen.Insert(S) == TViewSet::vsAdded) New.push_back(TSortedStrings::TItem{std::string(S), 8000});
    };
    for (const int Index : FSatzArtPending) Take(Index);
    if (FSatzArtScanFrom >= 0)
        for (int Index = FSatzArtScanFrom; Index < FCount; ++Index)
            if (FeldArt(Index) == 8000) Take(Index);
    FSatzArtList.AddAll(std::move(New));
    FSatzArtPending.clear();
    FSatzArtScanFrom = -1;
}

// Stores entry Count (not yet counted); what does not fit goes to the side table.
[[gnu::always_inline]] inline void TXDTPtrList::Pack(int32_t FeldArt, const char* InhaltPtr,
                                                     int32_t InhaltLen) {
    if (FCount == FCapacity) Grow();
    const uintptr_t Addr = reinterpret_cast<uintptr_t>(InhaltPtr);
    if (!FHasAnchor && InhaltPtr) {
        FAnchor = Addr;
        FHasAnchor = true;
    }
    const int64_t Offset = int64_t(Addr - FAnchor);
    TPackedItem& E = FList[FCount];
    E.InhaltLen = InhaltLen;
    if (InhaltPtr && FeldArt > INT16_MIN && FeldArt <= INT16_MAX && Offset >= -kOffsetLimit &&
        Offset < kOffsetLimit) {
        E.OffsetLo = uint32_t(uint64_t(Offset));
        E.OffsetHi = uint16_t(uint64_t(Offset) >> 32);
        E.FeldArt = int16_t(FeldArt);
    } else {
        FSide.push_back(TXDTPtrItem{FeldArt, InhaltPtr, InhaltLen});
        E.OffsetLo = uint32_t(FSide.size() - 1);
        E.OffsetHi = 0;
        E.FeldArt = kSideEntry;
    }
}

// The body of Add, inlined into the loader's loop: it runs once per line of a file.
template <bool FromFile>
[[gnu::always_inline]] inline int TXDTPtrList::AddImpl(int32_t FeldArt, const char* InhaltPtr,
                                                       int32_t InhaltLen) {
    Pack(FeldArt, InhaltPtr, InhaltLen);

    const std::string_view Inhalt =
        InhaltPtr && InhaltLen > 0 ? std::string_view(InhaltPtr, size_t(InhaltLen)) : std::string_view();
    if (InhaltLen > FMaxInhaltLen) FMaxInhaltLen = InhaltLen;

    TSeen& Seen = *FSeen;
    const uint8_t Flags = FeldArt >= 0 && FeldArt < kFeldArtSeenSize ? Seen.FeldArt[size_t(FeldArt)] : 0;
    InhaltCommentTo(FeldArt, Inhalt, Seen.CommentBuf);
    if (Flags & kKindDiffers) [[unlikely]] {
        for (TCommentKind Kind : {ckClassic, ckModern, ckModernLdt3}) {
            if (Kind != ckClassic) CommentTo(FeldArt, Inhalt, Kind, TXdtFamily::Unknown, Seen.CommentBuf);
            const int Len = int(Seen.CommentBuf.size());
            FKindCommentLen[Kind] = std::max(FKindCommentLen[Kind], Len);
            const int64_t Sum = int64_t(Len) + InhaltLen + 1;
            FKindInhaltCommentLen[Kind] =
                int(std::min<int64_t>(std::max<int64_t>(FKindInhaltCommentLen[Kind], Sum), INT32_MAX));
        }
    } else {
        const int CommentLen = int(Seen.CommentBuf.size());
        if (CommentLen > FMaxCommentLen) FMaxCommentLen = CommentLen;
        const int64_t Sum = int64_t(CommentLen) + InhaltLen + 1;
        if (Sum > FMaxInhaltCommentLen) FMaxInhaltCommentLen = int(std::min<int64_t>(Sum, INT32_MAX));
    }

    // A field's name depends on the identifier only: measured once per identifier.
    const bool Known = (Flags & kSeen) != 0;
    if (!Known) {
        const int NameLen = int(FeldArtNameView(FeldArt).size());
        if (NameLen > FMaxFeldArtNameLen) FMaxFeldArtNameLen = NameLen;
    }

    if (FeldArt == 8000) {
        if constexpr (FromFile) {
            if (FSatzArtScanFrom < 0) {
                const TViewSet::TResult R = Seen.FileSatzArt.Insert(Inhalt);
                if (R == TViewSet::vsAdded)
                    FSatzArtPending.push_back(FCount);
                else if (R == TViewSet::vsFull)
                    FSatzArtScanFrom = FCount; // from here on the record lines are looked at later
            }
        } else if (Seen.SatzArt.find(Inhalt) == Seen.SatzArt.end()) {
            // In the order of the calls: what the loader collected comes first.
            SettleSatzArt();
            FSatzArtList.Add(Inhalt, 8000);
            Seen.SatzArt.emplace(Inhalt);
        }
    } else if (FeldArt == 9106) {
        int32_t V;
        FFileCodierung = TryStrToInt(Inhalt, V) ? V : 0;
    }

    if (!Known) {
        char Kenn[16];
        FFeldArtList.Add(KennungTextTo(FeldArt, Kenn), FeldArt);
        if (FeldArt >= 0 && FeldArt < kFeldArtSeenSize) Seen.FeldArt[size_t(FeldArt)] |= kSeen;
    }
    return FCount++;
}

int TXDTPtrList::MaxCommentLen(TCommentKind Kind) const {
    return std::max(FMaxCommentLen, FKindCommentLen[Kind]);
}

int TXDTPtrList::MaxInhaltCommentLen(TCommentKind Kind) const {
    return std::max(FMaxInhaltCommentLen, FKindInhaltCommentLen[Kind]);
}

int TXDTPtrList::MaxFeldArtNameLen(bool Classic, TXdtFamily Family) const {
    if (Classic) return FMaxFeldArtNameLen;
    size_t Max = 0;
    for (const TSortedStrings::TItem& I : FFeldArtList.Items())
        Max = std::max(Max, ModernFeldArtName(int32_t(I.Object), Family).size());
    return int(std::min<size_t>(Max, INT32_MAX));
}

void TXDTPtrList::DetectFormat() {
    TXdtFormatDetector D;
    const int N = std::min(FCount, TXdtFormatDetector::HeaderLines);
    for (int I = 0; I < N; ++I) {
        const TXDTPtrItem Item = Items(I);
        D.Feed(Item.FeldArt, Item.Inhalt());
    }
    FFormat = D.Result();
    // The record types' extended names, now that the family is known (the same in both kinds).
    int Len = 0;
    int64_t Sum = 0;
    for (const TSortedStrings::TItem& I : SatzArtList().Items()) {
        const int N = int(ModernSatzArtName(I.Text, FFormat.Family).size());
        Len = std::max(Len, N);
        Sum = std::max<int64_t>(Sum, int64_t(N) + int64_t(I.Text.size()) + 1);
    }
    for (const TCommentKind Kind : {ckModern, ckModernLdt3}) {
        FKindCommentLen[Kind] = std::max(FKindCommentLen[Kind], Len);
        FKindInhaltCommentLen[Kind] =
            int(std::min<int64_t>(std::max<int64_t>(FKindInhaltCommentLen[Kind], Sum), INT32_MAX));
    }
}

int TXDTPtrList::Add(int32_t FeldArt, const char* InhaltPtr, int32_t InhaltLen) {
    if (FeldArt == FeldArtInvalid) return AddInvalidImpl(InhaltPtr, InhaltLen);
    return AddImpl<false>(FeldArt, InhaltPtr, InhaltLen);
}

// An invalid line has no identifier, so no name and no comment: only the content widths change.
int TXDTPtrList::AddInvalidImpl(const char* LinePtr, int32_t LineLen) {
    Pack(FeldArtInvalid, LinePtr, LineLen);
    if (LineLen > FMaxInhaltLen) FMaxInhaltLen = LineLen;
    const int64_t Sum = int64_t(LineLen) + 1;
    if (Sum > FMaxInhaltCommentLen) FMaxInhaltCommentLen = int(std::min<int64_t>(Sum, INT32_MAX));
    ++FInvalidCount;
    return FCount++;
}

int TXDTPtrList::AddInvalid(const char* LinePtr, int32_t LineLen) {
    return AddInvalidImpl(LinePtr, LineLen);
}

void TXDTPtrList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FCount) Error("List index out of bounds (%d)", Index);
}

TXDTPtrItem TXDTPtrList::Items(int Index) const {
    CheckIndex(Index);
    const TPackedItem& E = FList[Index];
    if (E.FeldArt == kSideEntry) return FSide[E.OffsetLo];
    // Sign-extend the 48-bit offset.
    const int64_t Offset = int64_t((uint64_t(E.OffsetHi) << 48) | (uint64_t(E.OffsetLo) << 16)) >> 16;
    return TXDTPtrItem{E.FeldArt, reinterpret_cast<const char*>(FAnchor + uintptr_t(Offset)), E.InhaltLen};
}

std::string TXDTPtrList::Kennung(int Index) const {
    return KennungText(FeldArt(Index));
}

bool TXDTPtrList::IsFeldArtOfRow(int Index, uint16_t Row) const {
    return FeldArt(Index) == FeldArtByIndex(Row);
}
bool TXDTPtrList::IsSatzArt(int Index) const {
    return IsFeldArtOfRow(Index, FeldArtRowSatzArt);
}
bool TXDTPtrList::IsTestIdent(int Index) const {
    return IsFeldArtOfRow(Index, FeldArtRowTestIdent);
}
bool TXDTPtrList::IsAnforderung(int Index) const {
    return IsFeldArtOfRow(Index, FeldArtRowAnforderung);
}

// ---------------------------------------------------------------- TFileXDTPtrList

TFileXDTPtrList::~TFileXDTPtrList() {
    BeginUpdate(); // a reader that still holds the index sees an empty document from now on
    FFile.Close();
}

void TFileXDTPtrList::Clear() {
    TUpdateBracket Bracket(*this);
    FFile.Close(); // view, mapping, file
    FFileName.clear();
    TXDTPtrList::Clear();
}

using namespace xdtline;

// The loader's access to the index: fills the entries and the file state of one document.
class TXDTLoader {
public:
    static TLoadOutcome Load(TFileXDTPtrList& List, const std::string& Path, const TLoadOptions& Options);
};

TLoadOutcome TXDTLoader::Load(TFileXDTPtrList& List, const std::string& Path, const TLoadOptions& Options) {
    TUpdateBracket Bracket(List);
    List.Clear();
    // However the load ends, the record types it could tell apart are sorted in now; a file with more
    // has them sorted in on first use, which keeps its load as fast as any other.
    struct TSettle {
        TXDTPtrList& L;
        ~TSettle() {
            if (L.FSatzArtScanFrom >= 0) return;
            try {
                L.SettleSatzArt();
            } catch (...) {
                // Out of memory: they stay pending and are sorted in on first use.
            }
        }
    } Settle{List};
    List.FFileName = Path;
    List.FFileSize = 0;
    TLoadOutcome Outcome;
    if (!List.FFile.OpenFile(Path)) {
        Outcome.End = leNotReadable;
        return Outcome;
    }
    List.FFileSize = List.FFile.FileSize();
    if (List.FFileSize == 0) return Outcome; // nothing to map: an empty document
    if (!List.FFile.CreateMapping() || !List.FFile.MapView()) {
        Outcome.End = leNotReadable;
        return Outcome;
    }

    const char* const Base = List.FFile.ViewBase();
    const char* P = Base;
    const char* const E = Base + List.FFileSize;
    TEvent* const CancelEvent = Options.Cancel;
    long long PhysLine = 0;
    auto Invalid = [&](const char* Line) {
        if (Options.InvalidLine == ilRaise) throw EXDTInvalidLine(PhysLine, uint64_t(Line - Base));
        Outcome.End = leInvalidLine;
        Outcome.PhysicalLine = PhysLine;
        Outcome.Offset = uint64_t(Line - Base);
    };
    TTerminatorScanner Scanner(Base, E);
    const bool Tolerant = Options.InvalidLine == ilTolerant;
    bool Continued = false; // tolerant: P is inside a line longer than one entry can hold
    while (P < E) {
        if (CancelEvent && CancelEvent->WaitFor(0)) {
            Outcome.End = leCancelled;
            return Outcome;
        }
        if (Tolerant) {
            // Every byte ends up in an entry or a terminator: a line too long for one entry goes on in
            // further invalid entries of the same physical line.
            if (!Continued) ++PhysLine;
            const char* Q = Scanner.Next(P, E - P > INT32_MAX ? P + INT32_MAX : E);
            const int64_t Len = Q - P;
            const bool Cut = Q < E && *Q != 13 && *Q != 10;
            int32_t FeldArt;
            if (Len == 0) {
                if (!Continued && E - Q > 2) ++Outcome.BlankLines; // one the strict load stops at
            } else if (!Continued && !Cut && Len >= 7 && ParseHeader(P, FeldArt)) {
                List.AddImpl<true>(FeldArt, P + 7, int32_t(Len - 7));
            } else {
                if (!Continued && Outcome.InvalidLines++ == 0) {
                    Outcome.PhysicalLine = PhysLine;
                    Outcome.Offset = uint64_t(P - Base);
                }
                List.AddInvalidImpl(P, int32_t(Len));
            }
            Continued = Cut;
            P = Cut ? Q : SkipTerminator(Q, E);
            continue;
        }
        ++PhysLine;
        // A line longer than a 32-bit length can say is invalid wherever it ends: no need to look further.
        const char* Stop = E - P > kMaxLine ? P + kMaxLine + 1 : E;
        const char* Q = Scanner.Next(P, Stop);
        const int64_t Len = Q - P;
        if (Len < 7) {
            if (E - Q > 2 || Q == E) {
                Invalid(P);
                return Outcome;
            }
            Q = SkipTerminator(Q, E); // and on below: a second terminator right behind is consumed too
        } else {
            int32_t FeldArt;
            if (Len > kMaxLine || !ParseHeader(P, FeldArt)) {
                Invalid(P);
                return Outcome;
            }
            List.AddImpl<true>(FeldArt, P + 7, int32_t(Len - 7));
        }
        P = SkipTerminator(Q, E);
    }
    if (List.FFile.Truncated()) Outcome.End = leTruncated;
    return Outcome;
}

TLoadOutcome LoadXDTFile(TFileXDTPtrList& List, const std::string& Path, const TLoadOptions& Options) {
    // The format is told by the lines read, also when the load stopped early.
    struct TDetect {
        TFileXDTPtrList& L;
        ~TDetect() {
            TUpdateBracket Bracket(L);
            L.DetectFormat();
        }
    } Detect{List};
    return TXDTLoader::Load(List, Path, Options);
}
