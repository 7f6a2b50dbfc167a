#include "XDTCheck.h"

#include "LineSplit.h"
#include "RowModel.h"
#include "XDTFile.h"
#include "XDTPtrList.h"

#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTSupplement.h"
#include "support/Event.h"
#include "support/Sha1.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// ---------------------------------------------------------------------------------------------------
// Names and tables

const char* CheckFamilyName(TCheckFamily Family) {
    switch (Family) {
    case cfLDT3:
        return "LDT 3";
    case cfLDT2:
        return "LDT 2";
    case cfGDT2:
        return "GDT 2";
    case cfGDT30:
        return "GDT 3.0";
    case cfGDT35:
        return "GDT 3.5";
    case cfBDT:
        return "BDT";
    case cfKVDT:
        return "KVDT";
    case cfUnbekannt:
        break;
    }
    return "unbekannt";
}

const char* CheckSeverityName(TCheckSeverity Severity) {
    switch (Severity) {
    case csFehler:
        return "Fehler";
    case csWarnung:
        return "Warnung";
    case csHinweis:
        break;
    }
    return "Hinweis";
}

bool CheckFieldKnown(TCheckFamily Family, int32_t FeldArt) {
    auto In = [FeldArt](std::initializer_list<int32_t> L) {
        return std::find(L.begin(), L.end(), FeldArt) != L.end();
    };
    switch (Family) {
    case cfLDT3:
        // LDT 3 has no record or package length and no declared character set; 8100..8299 are
        // object attributes, of which 8101 is the first.
        if (In({8100, 9202, 9106})) return false;
        if (In({1, 8001, 8002, 8003, 9300}) || (FeldArt >= 8101 && FeldArt <= 8299)) return true;
        break;
    case cfGDT35:
        if (In({1, 8001, 8002, 8003}) || (FeldArt >= 8101 && FeldArt <= 8299)) return true;
        break;
    case cfGDT2:
    case cfGDT30:
        if (In({8100, 8200, 8201, 8202, 9206, 9218})) return true;
        break;
    case cfBDT:
        if (In({8100, 9202, 9210, 9213})) return true;
        break;
    case cfLDT2:
        if (In({8100, 9106, 9202, 9211, 9212})) return true;
        break;
    case cfKVDT:
        if (In({9106, 9212})) return true;
        break;
    case cfUnbekannt:
        break;
    }
    if (FeldArtIndex(FeldArt) != 0) return true;
    // The supplementary tables of today's formats: a name of the file's family, or any for an
    // unknown family.
    TXdtFamily X = TXdtFamily::Unknown;
    switch (Family) {
    case cfLDT3:
        X = TXdtFamily::Ldt3;
        break;
    case cfLDT2:
        X = TXdtFamily::Ldt2;
        break;
    case cfGDT2:
        X = TXdtFamily::Gdt2;
        break;
    case cfGDT30:
    case cfGDT35:
        X = TXdtFamily::Gdt3;
        break;
    case cfBDT:
        X = TXdtFamily::Bdt;
        break;
    case cfKVDT:
        X = TXdtFamily::Kvdt;
        break;
    case cfUnbekannt:
        break;
    }
    return X == TXdtFamily::Unknown ? !SupplementFeldLines(FeldArt).empty()
                                    : !SupplementFeldName(FeldArt, X).empty();
}

bool CheckObjectKnown(TCheckFamily Family, int Number) {
    static constexpr int Ldt3[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 13, 14, 17, 19, 22, 26,
                                   27, 31, 32, 34, 35, 36, 37, 40, 41, 42, 43, 45, 47, 48, 50, 51, 53,
                                   54, 55, 56, 58, 59, 60, 61, 62, 63, 68, 69, 70, 71, 72, 73, 100};
    static constexpr int Gdt35[] = {10, 12, 33, 42, 45, 47, 54, 57, 68, 69};
    static_assert(std::size(Ldt3) == 50);
    if (Family == cfLDT3) return std::binary_search(std::begin(Ldt3), std::end(Ldt3), Number);
    if (Family == cfGDT35) return std::binary_search(std::begin(Gdt35), std::end(Gdt35), Number);
    return false;
}

namespace {

bool Digits(std::string_view S) {
    return !S.empty() && std::all_of(S.begin(), S.end(), [](char C) { return C >= '0' && C <= '9'; });
}

// A number of at most 18 digits; false for anything else.
bool DigitsValue(std::string_view S, long long& V) {
    if (!Digits(S) || S.size() > 18) return false;
    V = 0;
    for (char C : S) V = V * 10 + (C - '0');
    return true;
}

bool IsIn(std::string_view S, std::initializer_list<std::string_view> L) {
    return std::find(L.begin(), L.end(), S) != L.end();
}

bool IsLdt3SatzArt(std::string_view S) {
    return IsIn(S, {"8220", "8221", "8230", "8231", "8205", "8215"});
}

} // namespace

TCheckFamily DetectCheckFamily(const TXDTPtrList& List) {
    std::string_view First8000, V0001, V9212, V9218;
    bool Has8001 = false, HasObject = false, Has8100 = false, Has9211 = false, HasBdtVersion = false;
    const int N = std::min(List.Count(), 400);
    for (int I = 0; I < N; ++I) {
        const TXDTPtrItem It = List.Items(I);
        const std::string_view C = It.Inhalt();
        switch (It.FeldArt) {
        case 8000:
            if (First8000.empty()) First8000 = C;
            break;
        case 8001:
            Has8001 = true;
            break;
        case 8002:
            HasObject = HasObject || C.starts_with("Obj_");
            break;
        case 8100:
            Has8100 = true;
            break;
        case 1:
            if (V0001.empty()) V0001 = C;
            break;
        case 9212:
            if (V9212.empty()) V9212 = C;
            break;
        case 9218:
            if (V9218.empty()) V9218 = C;
            break;
        case 9211:
            Has9211 = true;
            break;
        case 9210:
        case 9213:
            HasBdtVersion = true;
            break;
        default:
            break;
        }
    }
    const bool Framed = Has8001 || HasObject;
    if (!First8000.empty()) {
        const bool Lower =
            std::any_of(First8000.begin(), First8000.end(), [](char C) { return C >= 'a' && C <= 'z'; });
        if (Lower) return cfKVDT;
        if (IsLdt3SatzArt(First8000) || IsIn(First8000, {"8201", "8202", "8203", "8204", "8218", "8219"})) {
            if (V0001.starts_with("LDT3") || Framed) return cfLDT3;
            if (V9212.starts_with("LDT") || Has9211 || Has8100) return cfLDT2;
            return IsIn(First8000, {"8205", "8215"}) ? cfLDT3 : cfLDT2;
        }
        if (First8000.size() == 4 && First8000.starts_with("63")) {
            if (Framed) return cfGDT35;
            if (V9218.starts_with("03") || V9218.starts_with("3.")) return cfGDT30;
            return cfGDT2;
        }
        if (IsIn(First8000, {"0010", "0020", "0021", "0022", "0023", "6100", "6200"})) return cfBDT;
    }
    if (V0001.starts_with("LDT3")) return cfLDT3;
    if (!V9218.empty()) return V9218.starts_with("03") ? cfGDT30 : cfGDT2;
    if (HasBdtVersion) return cfBDT;
    if (V9212.starts_with("LDT")) return cfLDT2;
    if (!V9212.empty()) return cfKVDT;
    return cfUnbekannt;
}

namespace {

using namespace xdtline;

enum TCode : uint8_t {
    kLaenge,
    kZeilenende,
    kLeerzeile,
    kKopf,
    kZeichen,
    kUnbekannt,
    kSatz,
    kObjekt,
    kPruefsumme,
    kPaketlaenge,
    kVersion,
    kCodeCount
};
const char* const kCodeNames[kCodeCount] = {"laenge",     "zeilenende",  "leerzeile", "kopf",
                                            "zeichen",    "unbekannt",   "satz",      "objekt",
                                            "pruefsumme", "paketlaenge", "version"};

constexpr int kZeichenListed = 5;               // lines with bytes outside the set listed one by one
constexpr size_t kMaxDepth = 64;                // objects inside each other; the deepest sample has 6
constexpr int kFirstLines = 5;                  // line numbers named per line-end style
constexpr int32_t kIdMin = -999, kIdMax = 9999; // what four identifier bytes can say
constexpr size_t kNormalBuf = 1 << 16;          // bytes gathered before they go into the sum

struct TPos {
    long long Line = 0;
    uint64_t Offset = 0;
    int Entry = -1;
};

std::string Num(long long V) {
    return std::to_string(V);
}

// Bytes of a field as a message shows them, quoted: controls as <NN>, long texts cut.
std::string Shown(std::string_view S, size_t Max = 40) {
    std::string R = "\"";
    size_t N = 0;
    for (unsigned char C : S) {
        if (N++ == Max) {
            R += "\x85"; // an ellipsis
            break;
        }
        if (C < 0x20 || C == 0x7F) {
            char B[8];
            std::snprintf(B, sizeof B, "<%02X>", C);
            R += B;
        } else {
            R += char(C);
        }
    }
    return R + "\"";
}

std::string Hex2(unsigned char C) {
    char B[8];
    std::snprintf(B, sizeof B, "0x%02X", C);
    return B;
}

// Collects the problems: each code listed up to its limit, the rest counted and summed up at the end.
class TSink {
public:
    TSink(TCheckResult& R, int MaxPerCode) : FR(R), FMax(std::max(0, MaxPerCode)) {}

    // Msg is made only for a problem that is listed. Returns its index, or -1 when only counted.
    template <class F> int Add(TCode C, TCheckSeverity S, const TPos& At, F&& Msg) {
        (S == csFehler ? FR.Errors : S == csWarnung ? FR.Warnings : FR.Hints) += 1;
        TPer& P = FPer[C];
        if (P.Listed < Limit(C)) {
            ++P.Listed;
            FR.Problems.push_back(TCheckProblem{At.Line, At.Offset, kCodeNames[C], S, Msg(), At.Entry});
            return int(FR.Problems.size() - 1);
        }
        if (P.Extra++ == 0 || S < P.Worst) P.Worst = S;
        if (P.Extra == 1) P.First = At;
        return -1;
    }
    TCheckProblem* Problem(int I) { return I >= 0 ? &FR.Problems[size_t(I)] : nullptr; }
    long long Extra(TCode C) const { return FPer[C].Extra; }

    // One closing line per code with unlisted problems (Text says what they are), then line order.
    template <class F> void Finish(F&& Text) {
        for (int C = 0; C < kCodeCount; ++C) {
            const TPer& P = FPer[C];
            if (P.Extra == 0) continue;
            FR.Problems.push_back(TCheckProblem{P.First.Line, P.First.Offset, kCodeNames[C], P.Worst,
                                                Text(TCode(C), P.Extra, P.First.Line), P.First.Entry});
        }
        std::stable_sort(FR.Problems.begin(), FR.Problems.end(),
                         [](const TCheckProblem& A, const TCheckProblem& B) { return A.Line < B.Line; });
    }

private:
    struct TPer {
        int Listed = 0;
        long long Extra = 0;
        TPos First;
        TCheckSeverity Worst = csHinweis;
    };
    int Limit(TCode C) const { return C == kZeichen ? std::min(FMax, kZeichenListed) : FMax; }

    TCheckResult& FR;
    int FMax;
    TPer FPer[kCodeCount];
};

// The bytes a character set allows in a content.
enum TZeichensatz : uint8_t { zsSteuerzeichen, zs7Bit, zsIBM, zsISO, zsWindows };

const char* ZeichensatzName(TZeichensatz Z, int Codierung) {
    switch (Z) {
    case zs7Bit:
        return "7-Bit-Code";
    case zsIBM:
        return "IBM-Code (Codepage 437)";
    case zsISO:
        return Codierung == cdISO1 ? "ISO 8859-1" : "ISO 8859-15";
    case zsWindows:
        return "ANSI (Windows-1252)";
    case zsSteuerzeichen:
        break;
    }
    return "";
}

std::array<bool, 256> AllowedBytes(TZeichensatz Z) {
    std::array<bool, 256> A{};
    for (int C = 0x20; C < 0x7F; ++C) A[size_t(C)] = true;
    switch (Z) {
    case zsIBM:
        for (int C = 0x80; C <= 0xFF; ++C) A[size_t(C)] = true;
        break;
    case zsISO:
        for (int C = 0xA0; C <= 0xFF; ++C) A[size_t(C)] = true;
        break;
    case zsWindows:
        for (int C = 0x80; C <= 0xFF; ++C) A[size_t(C)] = true;
        for (int C : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) A[size_t(C)] = false;
        break;
    case zsSteuerzeichen:
        for (int C = 0x80; C <= 0xFF; ++C) A[size_t(C)] = true;
        break;
    case zs7Bit:
        break;
    }
    return A;
}

enum TTerm : uint8_t { tmCrLf, tmLf, tmCr, tmLfCr, tmNone };
const char* const kTermNames[] = {"CR LF", "LF", "CR", "LF CR", ""};

struct TOpenObject {
    std::string Id; // the content of its 8002 line, at most a few bytes kept
    TPos At;
    bool HasContent = false;
};

// The sum of the checksum over the bytes before a line as the file would be with every line ended
// by CR LF; as long as every line was, that is the sum as stored. The sum as stored of a file with
// other line ends is made only when this one does not match (a file converted on the way matches).
struct TSums {
    TSha1 Normal;
    bool OtherEnds = false; // a line before At ended otherwise
    uint64_t At = 0;        // the sum covers the image up to here, a line start
};

// The first byte in [P, Limit) of a line end other than CR LF: an LF not right after a CR, or a CR
// not right before an LF (looking at the byte after Limit too, up to the end E); Limit when there is
// none. P starts a line, so a CR before it pairs with nothing.
inline const char* NextIrregularEnd(const char* P, const char* Limit, const char* E) {
    bool PrevCr = false;
    while (P < Limit) {
        const int64_t N = std::min<int64_t>(64, Limit - P);
        uint64_t Cr = 0, Lf = 0;
#ifdef __SSE2__
        if (N == 64) {
            for (int I = 0; I < 4; ++I) {
                const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16 * I));
                Cr |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(V, _mm_set1_epi8(13))))) << (16 * I);
                Lf |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(V, _mm_set1_epi8(10))))) << (16 * I);
            }
        } else
#endif
        {
            for (int64_t I = 0; I < N; ++I) {
                Cr |= uint64_t(P[I] == 13) << I;
                Lf |= uint64_t(P[I] == 10) << I;
            }
        }
        const bool NextLf = P + N < E && P[N] == 10;
        const uint64_t BadLf = Lf & ~((Cr << 1) | uint64_t(PrevCr));
        const uint64_t BadCr = Cr & ~((Lf >> 1) | (uint64_t(NextLf) << (N - 1)));
        if (const uint64_t Bad = BadLf | BadCr) return P + __builtin_ctzll(Bad);
        PrevCr = (Cr >> (N - 1)) & 1;
        P += N;
    }
    return Limit;
}

// Adds the lines from S.At on to the sum, up to the first line start at or after To (or the end).
// Runs of lines ended by CR LF pass in one piece; the lines of other ends go through a buffer.
void SumLines(std::string_view Image, TSums& S, uint64_t To, std::string& Buf) {
    const char* const B = Image.data();
    const char* const E = B + Image.size();
    const char* P = B + S.At;
    const char* const Stop = B + std::min<uint64_t>(To, Image.size());
    const char* Seg = P; // start of the bytes the sum has not taken yet
    auto Flush = [&] {
        S.Normal.Add(Buf);
        Buf.clear();
    };
    auto Take = [&](const char* Until) {
        if (Until - Seg > 4096 || !S.OtherEnds) {
            Flush();
            S.Normal.Add(Seg, size_t(Until - Seg));
        } else {
            Buf.append(Seg, size_t(Until - Seg));
        }
    };
    // A line end other than CR LF at R: the sum takes CR LF instead. Returns the next line.
    auto Irregular = [&](const char* R) {
        Take(R);
        S.OtherEnds = true;
        Buf += "\r\n";
        if (Buf.size() >= kNormalBuf) Flush();
        return Seg = SkipTerminator(R, E);
    };
    while (P < Stop) {
        const char* const R = NextIrregularEnd(P, Stop, E);
        if (R < Stop) {
            P = Irregular(R);
            continue;
        }
        // Only CR LF before Stop: the line start at or after it ends the line that holds Stop - 1.
        const char* Q = Stop - 1;
        if (*Q == 10) {
            P = Stop;
        } else {
            if (*Q != 13) Q = std::find_if(Stop, E, [](char C) { return C == 13 || C == 10; });
            if (Q == E)
                P = E;
            else if (*Q == 13 && Q + 1 < E && Q[1] == 10)
                P = Q + 2;
            else
                P = Irregular(Q);
        }
        break;
    }
    Take(P);
    Flush();
    S.At = uint64_t(P - B);
}

// Sums a large file on a second thread while its lines are checked, keeping both sums at line starts
// about every MarkEvery bytes: the sum before a checksum line then takes at most that much more.
// A small file is summed on the checking thread, when its checksum line comes.
class TSumAhead {
public:
    TSumAhead(std::string_view Image, bool Thread, uint64_t MarkEvery)
        : FImage(Image), FMarkEvery(std::max<uint64_t>(MarkEvery, 1)) {
        FMarks.emplace_back();
        if (Thread) FThread = std::thread([this] { Run(); });
    }
    ~TSumAhead() {
        FStop.store(true, std::memory_order_relaxed);
        if (FThread.joinable()) FThread.join();
    }
    TSumAhead(const TSumAhead&) = delete;
    TSumAhead& operator=(const TSumAhead&) = delete;

    // The sums before the line starting at X; false when cancelled while waiting for the thread.
    bool At(uint64_t X, TEvent* Cancel, TSums& Out) {
        {
            std::unique_lock<std::mutex> Lock(FLock);
            while (FThread.joinable() && !FFinished && FMarks.back().At < X) {
                if (Cancel && Cancel->IsSet()) return false;
                FChanged.wait_for(Lock, std::chrono::milliseconds(50));
            }
            auto Mark = std::upper_bound(FMarks.begin(), FMarks.end(), X,
                                         [](uint64_t V, const TSums& M) { return V < M.At; });
            Out = *std::prev(Mark);
        }
        if (FCursor.At > Out.At && FCursor.At <= X) Out = FCursor; // on from the last one asked for
        SumLines(FImage, Out, X, FBuf);
        FCursor = Out;
        return true;
    }

private:
    void Run() {
        try {
            TSums S;
            std::string Buf;
            while (S.At < FImage.size() && !FStop.load(std::memory_order_relaxed)) {
                SumLines(FImage, S, S.At + FMarkEvery, Buf);
                std::lock_guard<std::mutex> Lock(FLock);
                FMarks.push_back(S);
            }
        } catch (...) {
            // Out of memory for a mark: the checking thread sums the rest itself.
        }
        {
            std::lock_guard<std::mutex> Lock(FLock);
            FFinished = true;
        }
        FChanged.notify_all();
    }

    std::string_view FImage;
    const uint64_t FMarkEvery;
    std::mutex FLock; // guards FMarks and FFinished
    std::condition_variable FChanged;
    std::vector<TSums> FMarks; // by At; the first at 0
    bool FFinished = false;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    // The checking thread's own.
    TSums FCursor;
    std::string FBuf;
};

// Per family, whether each identifier four bytes can state is known: made once for the program.
const std::vector<uint8_t>& KnownTable(TCheckFamily Family) {
    static const auto Tables = [] {
        std::array<std::vector<uint8_t>, cfKVDT + 1> T;
        for (int F = cfUnbekannt; F <= cfKVDT; ++F) {
            T[size_t(F)].resize(size_t(kIdMax - kIdMin + 1));
            for (int32_t Id = kIdMin; Id <= kIdMax; ++Id)
                T[size_t(F)][size_t(Id - kIdMin)] = CheckFieldKnown(TCheckFamily(F), Id);
        }
        return T;
    }();
    return Tables[size_t(Family)];
}

class TChecker {
public:
    TChecker(std::string_view Image, const TXDTPtrList* List, const TCheckOptions& O, TCheckResult& R)
        : FImage(Image), FList(List), FOptions(O), FR(R), FSink(R, O.MaxPerCode) {}

    void Run();

private:
    // One physical line.
    struct TLine {
        const char* P;
        int64_t Len;
        TTerm Term;
        TPos At;
        bool Header = false; // seven digits
        int32_t FeldArt = 0;
        std::string_view Inhalt;
    };

    void Setup();
    int EntryOf(const char* P, const char* Next);
    void LineLevel(TLine& L);
    void CheckZeichen(const TLine& L);
    void Structure(const TLine& L);
    void Finish();
    void UnknownMessages();

    // Fields outside a record, reported once per run of them.
    void Outside(const TLine& L);
    void EndOutside();

    // Records framed by 8000 ... 8001, with objects (LDT 3, GDT 3.5).
    void FramedLine(const TLine& L);
    void FramedRecordStart(const TLine& L);
    void FramedRecordEnd(const TLine& L);
    void CloseObjects(const char* Why, const TPos& At);
    void ObjectStart(const TLine& L);
    void ObjectEnd(const TLine& L);
    void Checksum(const TLine& L);
    void Ldt3Version(const TLine& L);

    // Records counted by 8100, packages by 9202 (LDT 2, GDT 2/3.0, BDT) and KVDT.
    void CountedLine(const TLine& L);
    void CountedRecordEnd(uint64_t EndNorm);
    void OtherVersion(const TLine& L);

    std::string_view FImage;
    const TXDTPtrList* FList;
    const TCheckOptions& FOptions;
    TCheckResult& FR;
    TSink FSink;
    const char* FBase = nullptr;

    TCheckFamily FFamily = cfUnbekannt;
    bool FFramed = false, FCounted = false;
    TZeichensatz FZeichensatz = zsSteuerzeichen;
    int FCodierung = 0;
    std::array<bool, 256> FAllowed{};
    const std::vector<uint8_t>* FKnown = nullptr; // per identifier from kIdMin
    std::vector<long long> FUnknownCount;
    std::vector<int> FUnknownProblem;

    int FNextEntry = -1;              // the first entry not yet matched to a line
    const char* FNextStart = nullptr; // where its line starts
    uint64_t FNorm = 0;               // bytes so far with every line ended by CR LF

    // Line ends.
    long long FTermCount[5] = {};
    long long FTermFirst[5][kFirstLines] = {};
    TPos FTermAt[5];
    TPos FLastLine;

    // Bytes outside the character set.
    long long FZeichenLines = 0, FZeichenBytes = 0;

    // Fields outside a record.
    int FOutsideProblem = -1;
    long long FOutsideCount = 0, FOutsideLast = 0;

    // The current record.
    bool FInRecord = false;
    std::string FSatzArt;
    TPos FRecordAt;
    uint64_t FRecordNorm = 0;
    int32_t FPrevFeldArt = -1;

    // Objects.
    std::vector<TOpenObject> FObjects;
    long long FTooDeep = 0; // objects opened beyond the depth kept

    // The LDT 3 package.
    enum { pkNone, pkBefund, pkAuftrag } FPackage = pkNone;
    bool FPackageClosed = false, FTrailerRecord = false, FTrailerHas9300 = false, FHeaderSeen = false;
    bool FHas0001 = false;
    long long FBodyCount = 0;
    TPos FHeaderAt;
    std::string FHeader;

    // The checksum: the file as stored, and as it would be with every line ended by CR LF.
    std::unique_ptr<TSumAhead> FSums; // LDT 3 only

    // Record length (8100) and package length (9202).
    bool FHas8100 = false;
    TPos F8100At;
    std::string F8100;
    bool FPkgOpen = false, FPkgTrailer = false, FHas9202 = false;
    std::string FPkgHeader;
    TPos FPkgAt, F9202At;
    uint64_t FPkgNorm = 0;
    std::string F9202;
    long long FBdt0020 = -1, FBdt0022 = -1; // where the readings of a BDT package length begin
    TPos FBdt0020At, FBdt0022At;
};

void TChecker::Setup() {
    FBase = FImage.data();
    FFamily = FOptions.Family ? *FOptions.Family : (FList ? DetectCheckFamily(*FList) : cfUnbekannt);
    FR.Family = FFamily;
    FFramed = FFamily == cfLDT3 || FFamily == cfGDT35;
    FCounted = FFamily == cfLDT2 || FFamily == cfGDT2 || FFamily == cfGDT30 || FFamily == cfBDT;
    if (FFamily == cfLDT3)
        FSums = std::make_unique<TSumAhead>(FImage, FImage.size() >= FOptions.SumThreadFrom,
                                            FOptions.SumMarkEvery);

    // The character set: LDT 3 and GDT 3.5 know only ISO 8859-15; GDT declares in 9206 (ANSI when
    // it does not), the others in 9106.
    int Declared9206 = 0;
    bool Has9206 = false;
    const int FileCodierung = FList ? FList->FileCodierung() : 0;
    if (FList && (FFamily == cfGDT2 || FFamily == cfGDT30)) {
        for (int I = 0, N = std::min(FList->Count(), 400); I < N; ++I)
            if (const TXDTPtrItem It = FList->Items(I); It.FeldArt == 9206) {
                Has9206 = TryStrToInt(It.Inhalt(), Declared9206);
                break;
            }
    }
    auto FromNumber = [](int N) {
        switch (N) {
        case cd7Bit:
            return zs7Bit;
        case cdIBM:
            return zsIBM;
        case cdISO1:
        case cdISO15:
            return zsISO;
        default:
            return zsSteuerzeichen;
        }
    };
    if (FFramed) {
        FZeichensatz = zsISO;
        FCodierung = cdISO15;
    } else if (FFamily == cfGDT2 || FFamily == cfGDT30) {
        const int N = Has9206 ? Declared9206 : FileCodierung;
        FZeichensatz = N == 3 || (!Has9206 && N == 0) ? zsWindows : FromNumber(N);
        FCodierung = N;
    } else {
        FZeichensatz = FromNumber(FileCodierung);
        FCodierung = FileCodierung;
    }
    FAllowed = AllowedBytes(FZeichensatz);

    FKnown = &KnownTable(FFamily);
    FUnknownCount.assign(FKnown->size(), 0);
    FUnknownProblem.assign(FKnown->size(), -1);
}

// The entry of the line starting at P (entries of a too-long line follow it up to Next); else the next.
int TChecker::EntryOf(const char* P, const char* Next) {
    const int Count = FList ? FList->Count() : 0;
    if (Count == 0) return -1;
    auto Advance = [&] {
        ++FNextEntry;
        if (FNextEntry < Count) {
            const TXDTPtrItem It = FList->Items(FNextEntry);
            FNextStart = It.FeldArt == FeldArtInvalid ? It.InhaltPtr : It.InhaltPtr - 7;
        }
    };
    if (FNextEntry < 0) Advance(); // the first line
    while (FNextEntry < Count && FNextStart < P) Advance();
    if (FNextEntry < Count && FNextStart == P) {
        const int E = FNextEntry;
        do Advance();
        while (FNextEntry < Count && FNextStart < Next);
        return E;
    }
    return std::min(FNextEntry, Count - 1);
}

void TChecker::Run() {
    Setup();
    const char* const E = FBase + FImage.size();
    const char* P = FBase;
    TTerminatorScanner Scanner(FBase, E);
    long long No = 0;
    while (P < E) {
        if ((No & 4095) == 0 && FOptions.Cancel && FOptions.Cancel->IsSet()) {
            FR.Cancelled = true;
            FR.Lines = No;
            UnknownMessages();
            FSink.Finish([](TCode, long long N, long long First) {
                return "Weitere " + Num(N) + " Meldungen dieser Art, zuerst Zeile " + Num(First);
            });
            return;
        }
        ++No;
        const char* Q = Scanner.Next(P, E);
        TLine L;
        L.P = P;
        L.Len = Q - P;
        const char* Next = Q;
        if (Q == E) {
            L.Term = tmNone;
        } else if (*Q == 13) {
            L.Term = Q + 1 < E && Q[1] == 10 ? tmCrLf : tmCr;
            Next = Q + (L.Term == tmCrLf ? 2 : 1);
        } else {
            L.Term = Q + 1 < E && Q[1] == 13 ? tmLfCr : tmLf;
            Next = Q + (L.Term == tmLfCr ? 2 : 1);
        }
        L.At = TPos{No, uint64_t(P - FBase), EntryOf(P, Next)};
        LineLevel(L);
        if (L.Header) Structure(L);
        FPrevFeldArt = L.Header ? L.FeldArt : -1;
        FNorm += uint64_t(L.Len) + 2;
        FLastLine = L.At;
        P = Next;
    }
    FR.Lines = No;
    Finish();
}

void TChecker::LineLevel(TLine& L) {
    // Line ends: counted per style, said once per file at the end.
    if (long long& N = FTermCount[L.Term]; N++ < kFirstLines && L.Term != tmCrLf) {
        FTermFirst[L.Term][N - 1] = L.At.Line;
        if (N == 1) FTermAt[L.Term] = L.At;
    }

    if (L.Len < 7) {
        // The loader skips such a line only when its end lies in the last two bytes of the file.
        const char* const E = FBase + FImage.size();
        const char* const Q = L.P + L.Len;
        const bool Skipped = E - Q <= 2 && Q != E;
        FSink.Add(kLeerzeile, Skipped ? csHinweis : csFehler, L.At, [&] {
            std::string M = L.Len == 0 ? std::string("Leere Zeile")
                                       : "Zeile mit " + Num(L.Len) + " Byte " + Shown({L.P, size_t(L.Len)}) +
                                             ", erwartet mindestens 7 (L\xE4nge und Feldkennung)";
            if (Skipped) M += " am Dateiende";
            return M;
        });
        return;
    }

    uint32_t Lo, Hi; // bytes 0..3 and 3..6
    std::memcpy(&Lo, L.P, 4);
    std::memcpy(&Hi, L.P + 3, 4);
    const bool AllSeven = AllDigits(Lo) && AllDigits(Hi);
    const bool LenDigits = AllSeven || Digits({L.P, 3}), IdDigits = AllSeven || Digits({L.P + 3, 4});
    if (!LenDigits || !IdDigits) {
        FSink.Add(kKopf, csFehler, L.At, [&] {
            std::string M;
            if (!LenDigits) M = "L\xE4ngenangabe " + Shown({L.P, 3}) + " besteht nicht aus drei Ziffern";
            if (!IdDigits) {
                if (!M.empty()) M += ", ";
                M += "Feldkennung " + Shown({L.P + 3, 4}) + " besteht nicht aus vier Ziffern";
            }
            return M;
        });
    }
    if (LenDigits) {
        const long long Stated = (L.P[0] - '0') * 100 + (L.P[1] - '0') * 10 + (L.P[2] - '0');
        const long long Bytes = L.Len + 2;
        if (Stated != Bytes)
            FSink.Add(kLaenge, csFehler, L.At, [&] {
                std::string M = "L\xE4ngenangabe " + std::string(L.P, 3) + ", die Zeile hat " + Num(Bytes) +
                                " Byte (mit CR LF)";
                if (Bytes > 999)
                    M += ", mehr als drei Ziffern angeben k\xF6nnen (h\xF6"
                         "chstens 999)";
                return M;
            });
    }
    if (!IdDigits) return;
    L.Header = true;
    L.FeldArt = (L.P[3] - '0') * 1000 + (L.P[4] - '0') * 100 + (L.P[5] - '0') * 10 + (L.P[6] - '0');
    L.Inhalt = std::string_view(L.P + 7, size_t(L.Len - 7));
    CheckZeichen(L);

    // One problem per unknown identifier, at its first line; its message, with the count, at the end.
    if (const size_t K = size_t(L.FeldArt - kIdMin); !(*FKnown)[K] && FUnknownCount[K]++ == 0)
        FUnknownProblem[K] = FSink.Add(kUnbekannt, csWarnung, L.At, [] { return std::string(); });
}

void TChecker::CheckZeichen(const TLine& L) {
    const unsigned char* S = reinterpret_cast<const unsigned char*>(L.Inhalt.data());
    const size_t N = L.Inhalt.size();
    size_t I = 0;
#ifdef __SSE2__
    // Most content is printable ASCII, which every set allows: sixteen bytes at a time.
    const __m128i Space = _mm_set1_epi8(0x20), Del = _mm_set1_epi8(0x7F);
    while (I + 16 <= N) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I));
        // Signed: the bytes from 0x80 compare below the blank, as the controls do.
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi8(V, Space), _mm_cmpeq_epi8(V, Del))) != 0) break;
        I += 16;
    }
#endif
    size_t Bad = 0, First = 0;
    for (; I < N; ++I)
        if (!FAllowed[S[I]] && Bad++ == 0) First = I;
    if (Bad == 0) return;
    ++FZeichenLines;
    FZeichenBytes += (long long)Bad;
    const TPos At{L.At.Line, L.At.Offset + 7 + First, L.At.Entry};
    FSink.Add(kZeichen, csFehler, At, [&] {
        const unsigned char C = S[First];
        std::string M = FZeichensatz == zsSteuerzeichen || C < 0x20 || C == 0x7F
                            ? "Steuerzeichen " + Hex2(C) + " im Feldinhalt"
                            : "Byte " + Hex2(C) + " ist im Zeichensatz " +
                                  ZeichensatzName(FZeichensatz, FCodierung) + " nicht erlaubt";
        M += " (Spalte " + Num((long long)First + 8) + ")";
        if (Bad > 1) M += "; die Zeile hat " + Num((long long)Bad) + " solche Bytes";
        return M;
    });
}

void TChecker::Structure(const TLine& L) {
    if (FFramed)
        FramedLine(L);
    else if (FCounted || FFamily == cfKVDT)
        CountedLine(L);
}

// ---------------------------------------------------------------------------------------------------
// Fields outside a record

void TChecker::Outside(const TLine& L) {
    if (FOutsideCount++ == 0)
        FOutsideProblem = FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Feld " + KennungText(L.FeldArt) +
                   " au\xDF"
                   "erhalb eines Satzes (erwartet 8000 Satzbeginn)";
        });
    FOutsideLast = L.At.Line;
}

void TChecker::EndOutside() {
    if (FOutsideCount > 1)
        if (TCheckProblem* P = FSink.Problem(FOutsideProblem))
            P->Message += "; " + Num(FOutsideCount) + " Zeilen bis Zeile " + Num(FOutsideLast);
    FOutsideCount = 0;
    FOutsideProblem = -1;
}

// ---------------------------------------------------------------------------------------------------
// LDT 3 and GDT 3.5: records 8000 ... 8001, objects 8002 ... 8003

void TChecker::FramedLine(const TLine& L) {
    switch (L.FeldArt) {
    case 8000:
        FramedRecordStart(L);
        return;
    case 8001:
        FramedRecordEnd(L);
        return;
    default:
        break;
    }
    if (!FInRecord) {
        Outside(L);
        if (L.FeldArt != 9300) return;
    }
    if (L.FeldArt == 8002) {
        ObjectStart(L);
        return;
    }
    if (L.FeldArt == 8003) {
        ObjectEnd(L);
        return;
    }
    if (!FObjects.empty()) FObjects.back().HasContent = true;
    if (FFamily == cfLDT3) {
        if (L.FeldArt == 9300) Checksum(L);
        if (L.FeldArt == 1) Ldt3Version(L);
    }
}

void TChecker::FramedRecordStart(const TLine& L) {
    EndOutside();
    if (FInRecord) {
        CloseObjects("neuer Satz 8000", L.At);
        const std::string Open = FSatzArt;
        const TPos OpenAt = FRecordAt;
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Neuer Satz 8000 vor dem Satzende 8001 des Satzes " + Shown(Open) + " aus Zeile " +
                   Num(OpenAt.Line);
        });
    }
    FInRecord = true;
    FSatzArt.assign(L.Inhalt.substr(0, 16));
    FRecordAt = L.At;
    FTrailerRecord = false;
    if (FFamily != cfLDT3) return;

    const std::string_view S = L.Inhalt;
    if (!IsLdt3SatzArt(S)) {
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Satzart " + Shown(S) +
                   " gibt es in LDT 3 nicht (erlaubt: 8220, 8221, 8230, 8231, 8205, 8215)";
        });
        return;
    }
    const bool Befund = S == "8220" || S == "8221" || S == "8205";
    if (S == "8220" || S == "8230") {
        if (FHeaderSeen) {
            FSink.Add(kSatz, csFehler, L.At, [&] {
                return "Zweiter Datenpaket-Header " + std::string(S) + " (der erste in Zeile " +
                       Num(FHeaderAt.Line) + "): eine Datei enth\xE4lt genau ein Datenpaket";
            });
        } else {
            FHeaderSeen = true;
            FPackage = Befund ? pkBefund : pkAuftrag;
            FHeaderAt = L.At;
            FHeader.assign(S);
        }
        return;
    }
    const bool Body = S == "8205" || S == "8215";
    if (FPackageClosed) {
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Satz " + std::string(S) +
                   " nach dem Datenpaket-Abschluss (erwartet keinen weiteren Satz)";
        });
        return;
    }
    if (FPackage == pkNone) {
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Satz " + std::string(S) + " vor dem Datenpaket-Header (erwartet zuerst " +
                   (Befund ? "8220" : "8230") + ")";
        });
    } else if ((FPackage == pkBefund) != Befund) {
        FSink.Add(kSatz, csFehler, L.At, [&] {
            const bool Ours = FPackage == pkBefund;
            return "Satz " + std::string(S) + " passt nicht zum Datenpaket-Header " + FHeader +
                   " aus Zeile " + Num(FHeaderAt.Line) + " (erwartet " +
                   (Body ? (Ours ? "8205" : "8215") : (Ours ? "8221" : "8231")) + ")";
        });
    }
    if (Body) {
        if ((FPackage == pkBefund) == Befund) ++FBodyCount; // a record of the other package counts for none
        return;
    }
    if (FPackage != pkNone && FBodyCount == 0)
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Datenpaket ohne Satz " + std::string(FPackage == pkBefund ? "8205" : "8215") +
                   " zwischen Header und Abschluss";
        });
    FPackageClosed = true;
    FTrailerRecord = true;
    FTrailerHas9300 = false;
}

void TChecker::FramedRecordEnd(const TLine& L) {
    EndOutside();
    if (!FInRecord) {
        FSink.Add(kSatz, csFehler, L.At,
                  [&] { return "Satzende 8001 " + Shown(L.Inhalt) + " ohne Satzbeginn 8000"; });
        return;
    }
    CloseObjects("Satzende 8001", L.At);
    if (L.Inhalt != FSatzArt)
        FSink.Add(kSatz, csFehler, L.At, [&] {
            return "Satzende 8001 mit " + Shown(L.Inhalt) + ", erwartet " + Shown(FSatzArt) +
                   " wie der Satzbeginn in Zeile " + Num(FRecordAt.Line);
        });
    if (FFamily == cfLDT3 && FTrailerRecord && !FTrailerHas9300)
        FSink.Add(kPruefsumme, csFehler, FRecordAt, [&] {
            return "Datenpaket-Abschluss " + FSatzArt +
                   " ohne Pr\xFC"
                   "fsumme 9300";
        });
    FInRecord = false;
    FTrailerRecord = false;
}

void TChecker::CloseObjects(const char* Why, const TPos& At) {
    for (const TOpenObject& O : FObjects)
        FSink.Add(kObjekt, csFehler, O.At, [&] {
            return "Objekt " + Shown(O.Id) + " wird nicht geschlossen: " + Why + " in Zeile " + Num(At.Line) +
                   " kommt vor dem Objektende 8003";
        });
    FObjects.clear();
    FTooDeep = 0;
}

void TChecker::ObjectStart(const TLine& L) {
    if (!FObjects.empty()) FObjects.back().HasContent = true;
    const std::string_view Id = L.Inhalt;
    if (Id.size() != 8 || !Id.starts_with("Obj_") || !Digits(Id.substr(4))) {
        FSink.Add(kObjekt, csFehler, L.At,
                  [&] { return "Objekt-ID " + Shown(Id) + " hat nicht die Form Obj_NNNN"; });
    } else if (const int Number =
                   (Id[4] - '0') * 1000 + (Id[5] - '0') * 100 + (Id[6] - '0') * 10 + (Id[7] - '0');
               !CheckObjectKnown(FFamily, Number)) {
        FSink.Add(kObjekt, FFamily == cfLDT3 ? csFehler : csWarnung, L.At, [&] {
            return "Unbekannte Objekt-ID " + Shown(Id) + " (kein Objekt von " + CheckFamilyName(FFamily) +
                   ")";
        });
    }
    // Each object follows the attribute that names it.
    if (FPrevFeldArt < 8101 || FPrevFeldArt > 8299)
        FSink.Add(kObjekt, csWarnung, L.At, [&] {
            return "Objekt " + Shown(Id) + " ohne Objektattribut (Feld 8101 bis 8299) in der Zeile davor";
        });
    if (FObjects.size() >= kMaxDepth || FTooDeep > 0) {
        if (FTooDeep++ == 0)
            FSink.Add(kObjekt, csFehler, L.At, [&] {
                return "Mehr als " + Num(kMaxDepth) +
                       " Objekte ineinander; ihre Klammerung wird nicht weiter gepr\xFC"
                       "ft";
            });
        return;
    }
    FObjects.push_back(TOpenObject{std::string(Id.substr(0, 16)), L.At, false});
}

void TChecker::ObjectEnd(const TLine& L) {
    if (FTooDeep > 0) {
        --FTooDeep;
        return;
    }
    const std::string_view Id = L.Inhalt;
    if (FObjects.empty()) {
        FSink.Add(kObjekt, csFehler, L.At, [&] {
            return "Objektende 8003 " + Shown(Id) +
                   " ohne ge\xF6"
                   "ffnetes Objekt";
        });
        return;
    }
    const TOpenObject& Top = FObjects.back();
    if (Id == Top.Id) {
        if (!Top.HasContent)
            FSink.Add(kObjekt, csFehler, Top.At, [&] {
                return "Leeres Objekt " + Shown(Top.Id) + ": nur 8002 und 8003 (Zeile " + Num(L.At.Line) +
                       ")";
            });
        FObjects.pop_back();
        if (!FObjects.empty()) FObjects.back().HasContent = true;
        return;
    }
    // Crossed brackets: an end of an outer object closes the inner ones with it.
    auto Match =
        std::find_if(FObjects.rbegin(), FObjects.rend(), [&](const TOpenObject& O) { return O.Id == Id; });
    FSink.Add(kObjekt, csFehler, L.At, [&] {
        std::string M = "Objektende 8003 " + Shown(Id) + ", erwartet zuerst das Ende von " + Shown(Top.Id) +
                        " (ge\xF6"
                        "ffnet in Zeile " +
                        Num(Top.At.Line) + ")";
        if (Match == FObjects.rend()) M += "; zu " + Shown(Id) + " ist kein Objekt offen";
        return M;
    });
    if (Match != FObjects.rend()) {
        FObjects.erase(std::next(Match).base(), FObjects.end());
        if (!FObjects.empty()) FObjects.back().HasContent = true;
    }
}

void TChecker::Checksum(const TLine& L) {
    if (FTrailerRecord) FTrailerHas9300 = true;
    const uint64_t At = L.At.Offset;
    TSums Sums;
    if (!FSums->At(At, FOptions.Cancel, Sums)) return; // cancelled
    const std::string Normal = Sums.Normal.HexDigest();
    std::string Given(L.Inhalt);
    const bool Hex = Given.size() == 40 && std::all_of(Given.begin(), Given.end(), [](char C) {
                         return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F');
                     });
    if (!Hex) {
        FSink.Add(kPruefsumme, csFehler, L.At, [&] {
            return "Pr\xFC"
                   "fsumme " +
                   Shown(Given, 48) + " ist kein SHA-1-Wert aus 40 Hexadezimalziffern";
        });
        return;
    }
    for (char& C : Given) C = char(C >= 'A' && C <= 'F' ? C - 'A' + 'a' : C);
    if (Given == Normal && !Sums.OtherEnds) return;
    if (Given == Normal) {
        FSink.Add(kPruefsumme, csWarnung, L.At, [&] {
            return std::string("Pr\xFC"
                               "fsumme stimmt erst mit CR LF als Zeilenende: die Datei wurde unterwegs "
                               "umgewandelt, ihr Inhalt ist unver\xE4ndert");
        });
        return;
    }
    std::string Stored = Normal;
    if (Sums.OtherEnds) {
        TSha1 Sum;
        Sum.Add(FBase, size_t(At));
        Stored = Sum.HexDigest();
        if (Given == Stored) return; // summed over the bytes as they stand, other line ends and all
    }
    FSink.Add(kPruefsumme, csFehler, L.At, [&] {
        std::string M = "Pr\xFC"
                        "fsumme " +
                        Given + " stimmt nicht: SHA-1 der " + Num((long long)At) + " Byte davor ist " +
                        Stored;
        if (Sums.OtherEnds) M += ", mit CR LF als Zeilenende " + Normal;
        return M;
    });
}

// "LDT" n "." n[n] "." n[nnn]
void TChecker::Ldt3Version(const TLine& L) {
    FHas0001 = true;
    const std::string_view V = L.Inhalt;
    auto Part = [](std::string_view S, size_t Max) { return !S.empty() && S.size() <= Max && Digits(S); };
    bool Ok = V.starts_with("LDT");
    std::string_view Major, Minor, Patch;
    if (Ok) {
        const std::string_view R = V.substr(3);
        const size_t D1 = R.find('.'), D2 = D1 == R.npos ? R.npos : R.find('.', D1 + 1);
        Ok = D2 != R.npos;
        if (Ok) {
            Major = R.substr(0, D1);
            Minor = R.substr(D1 + 1, D2 - D1 - 1);
            Patch = R.substr(D2 + 1);
            Ok = Part(Major, 1) && Part(Minor, 2) && Part(Patch, 4);
        }
    }
    if (!Ok) {
        FSink.Add(kVersion, csFehler, L.At, [&] {
            return "Version " + Shown(V) + " hat nicht das Format LDTn.n.n (bis LDTn.nn.nnnn)";
        });
        return;
    }
    const int Mi = std::stoi(std::string(Minor)), Pa = std::stoi(std::string(Patch));
    const bool Known = Major == "3" && (Mi == 0 || Mi == 1 || (Mi == 2 && Pa <= 20));
    if (!Known)
        FSink.Add(kVersion, csWarnung, L.At, [&] {
            return "Unbekannte Version " + Shown(V) +
                   " (bekannt sind LDT3.0.x, LDT3.1.x und LDT3.2.0 bis LDT3.2.20)";
        });
}

// ---------------------------------------------------------------------------------------------------
// LDT 2, GDT 2/3.0, BDT and KVDT: a record runs from its 8000 to the next 8000

void TChecker::CountedLine(const TLine& L) {
    if (L.FeldArt == 8000) {
        EndOutside();
        if (FInRecord) CountedRecordEnd(FNorm);
        FInRecord = true;
        FSatzArt.assign(L.Inhalt.substr(0, 16));
        FRecordAt = L.At;
        FRecordNorm = FNorm;
        FHas8100 = false;
        const std::string_view S = L.Inhalt;
        if (FFamily == cfLDT2) {
            if (S == "8220" || S == "8230") {
                if (FPkgOpen && !FPkgTrailer)
                    FSink.Add(kSatz, csWarnung, FPkgAt, [&] {
                        return "Datenpaket-Header " + FPkgHeader +
                               " ohne Abschluss (n\xE4"
                               "chster Header in Zeile " +
                               Num(L.At.Line) + ")";
                    });
                FPkgOpen = true;
                FPkgTrailer = false;
                FPkgHeader.assign(S);
                FPkgAt = L.At;
                FPkgNorm = FNorm;
            } else if (S == "8221" || S == "8231") {
                if (!FPkgOpen)
                    FSink.Add(kSatz, csWarnung, L.At, [&] {
                        return "Datenpaket-Abschluss " + std::string(S) + " ohne Datenpaket-Header";
                    });
                else if ((FPkgHeader == "8220") != (S == "8221"))
                    FSink.Add(kSatz, csWarnung, L.At, [&] {
                        return "Abschluss " + std::string(S) + " passt nicht zum Header " + FPkgHeader +
                               " aus Zeile " + Num(FPkgAt.Line) + " (erwartet " +
                               (FPkgHeader == "8220" ? "8221" : "8231") + ")";
                    });
                FPkgTrailer = true;
                FHas9202 = false;
            } else if (FPkgOpen && !FPkgTrailer) {
                const bool LBody = IsIn(S, {"8201", "8202", "8203", "8204"}),
                           PBody = IsIn(S, {"8218", "8219"});
                if ((LBody && FPkgHeader == "8230") || (PBody && FPkgHeader == "8220"))
                    FSink.Add(kSatz, csWarnung, L.At, [&] {
                        return "Satz " + std::string(S) + " geh\xF6rt nicht in ein " +
                               (FPkgHeader == "8220" ? "L-Datenpaket (8220)" : "P-Datenpaket (8230)");
                    });
            }
        } else if (FFamily == cfBDT) {
            if (S == "0020") {
                FBdt0020 = (long long)FNorm;
                FBdt0020At = L.At;
            } else if (S == "0022") {
                FBdt0022 = (long long)FNorm;
                FBdt0022At = L.At;
            } else if (S == "0023") {
                FHas9202 = false;
            }
        }
        return;
    }
    if (!FInRecord) {
        Outside(L);
        return;
    }
    switch (L.FeldArt) {
    case 8100:
        if (FCounted && !FHas8100) {
            FHas8100 = true;
            F8100At = L.At;
            F8100.assign(L.Inhalt.substr(0, 24));
        }
        break;
    case 9202:
        if ((FFamily == cfLDT2 && FPkgTrailer) || (FFamily == cfBDT && FSatzArt == "0023")) {
            FHas9202 = true;
            F9202At = L.At;
            F9202.assign(L.Inhalt.substr(0, 24));
        }
        break;
    default:
        OtherVersion(L);
        break;
    }
}

void TChecker::CountedRecordEnd(uint64_t EndNorm) {
    if (FCounted) {
        long long V;
        if (!FHas8100) {
            FSink.Add(kSatz, csWarnung, FRecordAt,
                      [&] { return "Satz " + Shown(FSatzArt) + " ohne Satzl\xE4nge 8100"; });
        } else if (!DigitsValue(F8100, V)) {
            FSink.Add(kSatz, csFehler, F8100At,
                      [&] { return "Satzl\xE4nge " + Shown(F8100) + " ist keine Zahl"; });
        } else if (uint64_t(V) != EndNorm - FRecordNorm) {
            FSink.Add(kSatz, csFehler, F8100At, [&] {
                return "Satzl\xE4nge " + F8100 + ", der Satz " + Shown(FSatzArt) + " hat " +
                       Num((long long)(EndNorm - FRecordNorm)) + " Byte (mit CR LF)";
            });
        }
    }
    if (FFamily == cfLDT2 && FPkgTrailer && FPkgOpen) {
        long long V;
        const long long Bytes = (long long)(EndNorm - FPkgNorm);
        if (!FHas9202)
            FSink.Add(kPaketlaenge, csWarnung, FRecordAt,
                      [&] { return "Datenpaket-Abschluss " + FSatzArt + " ohne Gesamtl\xE4nge 9202"; });
        else if (!DigitsValue(F9202, V))
            FSink.Add(kPaketlaenge, csFehler, F9202At,
                      [&] { return "Gesamtl\xE4nge " + Shown(F9202) + " ist keine Zahl"; });
        else if (V != Bytes)
            FSink.Add(kPaketlaenge, csFehler, F9202At, [&] {
                return "Gesamtl\xE4nge " + F9202 + ", das Datenpaket ab Zeile " + Num(FPkgAt.Line) + " hat " +
                       Num(Bytes) + " Byte (mit CR LF)";
            });
    }
    if (FPkgTrailer) FPkgOpen = FPkgTrailer = false;
    if (FFamily == cfBDT && FSatzArt == "0023" && FHas9202) {
        // Writers count from the package header 0022 or from the volume header 0020.
        long long V;
        const long long From22 = FBdt0022 >= 0 ? (long long)EndNorm - FBdt0022 : -1;
        const long long From20 = FBdt0020 >= 0 ? (long long)EndNorm - FBdt0020 : -1;
        if (!DigitsValue(F9202, V))
            FSink.Add(kPaketlaenge, csWarnung, F9202At,
                      [&] { return "Gesamtl\xE4nge " + Shown(F9202) + " ist keine Zahl"; });
        else if (V != From22 && V != From20)
            FSink.Add(kPaketlaenge, csWarnung, F9202At, [&] {
                std::string M = "Gesamtl\xE4nge " + F9202 + ", das Datenpaket hat";
                if (From22 >= 0)
                    M += " ab 0022 (Zeile " + Num(FBdt0022At.Line) + ") " + Num(From22) + " Byte";
                if (From22 >= 0 && From20 >= 0) M += ",";
                if (From20 >= 0)
                    M += " ab 0020 (Zeile " + Num(FBdt0020At.Line) + ") " + Num(From20) + " Byte";
                if (From22 < 0 && From20 < 0) M += " keinen Header 0020 oder 0022";
                return M + " (mit CR LF)";
            });
    }
}

void TChecker::OtherVersion(const TLine& L) {
    const std::string_view V = L.Inhalt;
    auto Warn = [&](const char* Expected) {
        FSink.Add(kVersion, csWarnung, L.At, [&] {
            return "Unbekannte Version " + Shown(V) + " in " + KennungText(L.FeldArt) + " (erwartet " +
                   Expected + ")";
        });
    };
    auto Form = [&](size_t Letters, bool AnyLetters) {
        // Letters, four digits, a point, two digits: LDT1014.01, ADT0124.01, HDRG0126.01.
        size_t I = 0;
        while (I < V.size() && V[I] >= 'A' && V[I] <= 'Z') ++I;
        if (AnyLetters ? (I == 0 || I > 5) : I != Letters) return false;
        const std::string_view R = V.substr(I);
        return R.size() == 7 && Digits(R.substr(0, 4)) && R[4] == '.' && Digits(R.substr(5));
    };
    switch (FFamily) {
    case cfLDT2:
        if (L.FeldArt == 9212) {
            const bool Ok = Form(3, false) && V.starts_with("LDT");
            const int N = Ok ? std::stoi(std::string(V.substr(3, 4))) : 0;
            if (!Ok || N < 1001 || N > 1014) Warn("LDT1001.xx bis LDT1014.01");
        }
        break;
    case cfKVDT:
        if (L.FeldArt == 9212 && !Form(0, true))
            Warn("Buchstaben, vier Ziffern, Punkt, zwei Ziffern wie ADT0124.01");
        break;
    case cfGDT2:
    case cfGDT30:
        if (L.FeldArt == 9218 && !IsIn(V, {"01.00", "02.00", "02.01", "02.10", "1.00", "2.00", "2.01", "2.10",
                                           "03.00", "03.01", "3.00", "3.01"}))
            Warn("02.10, 03.00, 03.01 oder eine \xE4ltere GDT-Version");
        break;
    case cfBDT:
        if ((L.FeldArt == 9210 || L.FeldArt == 9213) &&
            !(V.size() == 5 && Digits(V.substr(0, 2)) && V[2] == '/' && Digits(V.substr(3))))
            Warn("MM/JJ wie 02/94");
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------------
// End of the file

void TChecker::Finish() {
    EndOutside();
    if (FFramed) {
        if (FInRecord) {
            CloseObjects("Dateiende", FLastLine);
            FSink.Add(kSatz, csFehler, FRecordAt, [&] {
                return "Satz " + Shown(FSatzArt) + " ist am Dateiende nicht mit 8001 abgeschlossen";
            });
        }
        if (FFamily == cfLDT3) {
            if (FHeaderSeen && !FPackageClosed)
                FSink.Add(kSatz, csFehler, FHeaderAt, [&] {
                    return "Datenpaket-Header " + FHeader + " ohne Abschluss " +
                           (FHeader == "8220" ? "8221" : "8231") + " am Dateiende";
                });
            if (FHeaderSeen && !FHas0001)
                FSink.Add(kVersion, csWarnung, FHeaderAt,
                          [] { return std::string("Keine Version 0001 im Datenpaket-Header"); });
        }
    } else if (FInRecord) {
        CountedRecordEnd(FNorm);
        if (FFamily == cfLDT2 && FPkgOpen)
            FSink.Add(kSatz, csWarnung, FPkgAt, [&] {
                return "Datenpaket-Header " + FPkgHeader + " ohne Abschluss " +
                       (FPkgHeader == "8220" ? "8221" : "8231");
            });
    }

    // Line ends: once per style, with the first lines.
    long long Ended = 0;
    for (int T = tmCrLf; T <= tmLfCr; ++T) Ended += FTermCount[T];
    for (int T = tmLf; T <= tmLfCr; ++T) {
        const long long N = FTermCount[T];
        if (N == 0) continue;
        FSink.Add(kZeilenende, csFehler, FTermAt[T], [&] {
            if (N == Ended)
                return "Die Zeilen enden mit " + std::string(kTermNames[T]) + " statt CR LF (alle " + Num(N) +
                       " Zeilen)";
            std::string M = Num(N) + (N == 1 ? " Zeile endet" : " Zeilen enden") + " mit " + kTermNames[T] +
                            " statt CR LF: Zeile";
            for (int I = 0; I < std::min<long long>(N, kFirstLines); ++I)
                M += (I ? ", " : " ") + Num(FTermFirst[T][I]);
            if (N > kFirstLines) M += " \x85";
            return M;
        });
    }
    if (FTermCount[tmNone] > 0)
        FSink.Add(kZeilenende, csWarnung, FTermAt[tmNone],
                  [] { return std::string("Die letzte Zeile endet ohne CR LF"); });

    UnknownMessages();

    FSink.Finish([this](TCode C, long long N, long long First) {
        if (C == kZeichen)
            return "Weitere " + Num(N) + " Zeilen mit nicht erlaubten Bytes, zuerst Zeile " + Num(First) +
                   " (insgesamt " + Num(FZeichenBytes) + " Byte in " + Num(FZeichenLines) + " Zeilen)";
        if (C == kUnbekannt)
            return "Weitere " + Num(N) + " unbekannte Feldkennungen, die erste in Zeile " + Num(First);
        return "Weitere " + Num(N) + " Meldungen dieser Art, zuerst Zeile " + Num(First);
    });
}

// Unknown identifiers: how often each one came.
void TChecker::UnknownMessages() {
    for (size_t K = 0; K < FUnknownCount.size(); ++K)
        if (TCheckProblem* P = FSink.Problem(FUnknownProblem[K])) {
            P->Message =
                "Feldkennung " + KennungText(int32_t(K) + kIdMin) + " ist f\xFCr " +
                (FFamily == cfUnbekannt ? std::string("keine xDT-Familie") : CheckFamilyName(FFamily)) +
                " nicht bekannt";
            if (FUnknownCount[K] > 1) P->Message += " (" + Num(FUnknownCount[K]) + " Zeilen, zuerst hier)";
        }
}

} // namespace

TCheckResult CheckXDTImage(std::string_view Image, const TXDTPtrList* List, const TCheckOptions& Options) {
    TCheckResult R;
    TChecker(Image, List, Options, R).Run();
    return R;
}

TCheckResult CheckXDTFile(const TFileXDTPtrList& List, const TCheckOptions& Options) {
    return CheckXDTImage(List.Image(), &List, Options);
}
