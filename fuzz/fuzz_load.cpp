// The loader on arbitrary file images. The image goes into an in-memory file (memfd), which the loader
// opens by its /proc path like any other file, so the real open, map and split path runs. Checks: no
// crash or hang, and the index agrees line by line with a plain byte-by-byte splitter; then every line
// goes through what the view does with it (identifier text, name, comment, character set). The same
// image loaded tolerantly: every line read, and every byte in an entry or a line end.
#include "FuzzCheck.h"
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "document/RowModel.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

struct TLine {
    int32_t FeldArt;
    size_t Offset; // of the content in the image
    size_t Len;
};

struct TSplit {
    std::vector<TLine> Lines;
    bool Invalid = false;
    long long InvalidLine = 0;
    size_t InvalidOffset = 0;
};

// The splitting rules written the plain way.
TSplit ReferenceSplit(std::string_view B) {
    TSplit R;
    const size_t E = B.size();
    auto Skip = [&](size_t Q) {
        if (Q < E && (B[Q] == 13 || B[Q] == 10)) {
            const char F = B[Q++];
            if (Q < E && B[Q] == (F == 10 ? 13 : 10)) ++Q;
        }
        return Q;
    };
    size_t P = 0;
    long long Line = 0;
    while (P < E) {
        ++Line;
        size_t Q = P;
        while (Q < E && B[Q] != 13 && B[Q] != 10) ++Q;
        int32_t LenValue, FeldArt;
        if (Q - P < 7) {
            if (E - Q > 2 || Q == E) {
                R.Invalid = true;
            } else {
                P = Skip(Skip(Q));
                continue;
            }
        } else if (!TryStrToInt(B.substr(P, 3), LenValue) || !TryStrToInt(B.substr(P + 3, 4), FeldArt)) {
            R.Invalid = true;
        }
        if (R.Invalid) {
            R.InvalidLine = Line;
            R.InvalidOffset = P;
            return R;
        }
        R.Lines.push_back({FeldArt, P + 7, Q - P - 7});
        P = Skip(Q);
    }
    return R;
}

// The tolerant rules the plain way: an empty line is skipped, seven bytes the standard conversion
// takes make a field line, any other line is kept whole.
struct TTolerantLine {
    bool Invalid;
    int32_t FeldArt;
    size_t Offset; // of the content, or of the whole invalid line
    size_t Len;
};
std::vector<TTolerantLine> ReferenceTolerantSplit(std::string_view B, long long& Invalid, long long& Blank) {
    std::vector<TTolerantLine> R;
    Invalid = Blank = 0;
    size_t P = 0;
    while (P < B.size()) {
        size_t Q = P;
        while (Q < B.size() && B[Q] != 13 && B[Q] != 10) ++Q;
        int32_t LenValue, FeldArt;
        if (Q == P) {
            if (B.size() - Q > 2) ++Blank;
        } else if (Q - P >= 7 && TryStrToInt(B.substr(P, 3), LenValue) &&
                   TryStrToInt(B.substr(P + 3, 4), FeldArt)) {
            R.push_back({false, FeldArt, P + 7, Q - P - 7});
        } else {
            ++Invalid;
            R.push_back({true, FeldArtInvalid, P, Q - P});
        }
        if (Q < B.size()) {
            const char F = B[Q++];
            if (Q < B.size() && B[Q] == (F == 10 ? 13 : 10)) ++Q;
        }
        P = Q;
    }
    return R;
}

void CheckTolerant(const std::string& Path, std::string_view Image) {
    long long Invalid, Blank;
    const std::vector<TTolerantLine> Want = ReferenceTolerantSplit(Image, Invalid, Blank);
    TFileXDTPtrList L;
    TLoadOutcome O;
    try {
        O = LoadXDTFile(L, Path, {.InvalidLine = ilTolerant});
    } catch (...) {
        FUZZ_CHECK(!"a tolerant load raises nothing far below the index limit");
    }
    FUZZ_CHECK(O.End == leComplete);
    FUZZ_CHECK(O.InvalidLines == Invalid);
    FUZZ_CHECK(O.BlankLines == Blank);
    FUZZ_CHECK(L.Count() == int(Want.size()));
    FUZZ_CHECK(L.InvalidCount() == int(Invalid));
    if (Image.empty()) return;
    const char* const Base = L.ViewBase();
    size_t End = 0; // where the bytes of the last entry end
    for (int I = 0; I < L.Count(); ++I) {
        const TXDTPtrItem It = L.Items(I);
        const TTolerantLine& W = Want[size_t(I)];
        FUZZ_CHECK(L.IsInvalidLine(I) == W.Invalid);
        FUZZ_CHECK(It.FeldArt == W.FeldArt);
        FUZZ_CHECK(It.InhaltPtr == Base + W.Offset);
        FUZZ_CHECK(size_t(It.InhaltLen) == W.Len);
        // No byte lost: between two entries only line ends.
        const size_t Start = W.Invalid ? W.Offset : W.Offset - 7;
        FUZZ_CHECK(Start >= End);
        for (size_t B = End; B < Start; ++B) FUZZ_CHECK(Image[B] == 13 || Image[B] == 10);
        End = W.Offset + W.Len;
        if (I < 64) {
            TRowTexts Row;
            MakeRowTexts(L, I, {}, Row);
            FUZZ_CHECK(Row.LineInvalid == W.Invalid);
            FUZZ_CHECK(!W.Invalid || Row.Kennung == "????");
        }
    }
    for (size_t B = End; B < Image.size(); ++B) FUZZ_CHECK(Image[B] == 13 || Image[B] == 10);
    // Invalid lines name no field.
    for (int I = 0; I < L.FeldArtList().Count(); ++I) FUZZ_CHECK(L.FeldArtList().Strings(I) != "????");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    // One in-memory file for the whole run, rewritten for every input.
    static const int Fd = ::memfd_create("ostrel-fuzz-load", MFD_CLOEXEC);
    static const std::string Path = "/proc/self/fd/" + std::to_string(Fd);
    FUZZ_CHECK(Fd >= 0);
    FUZZ_CHECK(::ftruncate(Fd, 0) == 0);
    FUZZ_CHECK(::pwrite(Fd, Data, Size, 0) == ssize_t(Size));

    const std::string_view Image(reinterpret_cast<const char*>(Data), Size);
    const TSplit Want = ReferenceSplit(Image);

    TFileXDTPtrList L;
    bool Invalid = false;
    try {
        LoadXDTFile(L, Path);
    } catch (const EXDTInvalidLine& E) {
        Invalid = true;
        FUZZ_CHECK(E.PhysicalLine() == Want.InvalidLine);
        FUZZ_CHECK(E.Offset() == Want.InvalidOffset);
    } catch (const EListError&) {
        FUZZ_CHECK(!"capacity error far below the index limit");
    }
    FUZZ_CHECK(Invalid == Want.Invalid);
    FUZZ_CHECK(L.UpdateCount() == 0);
    FUZZ_CHECK(L.FileSize() == Size);
    FUZZ_CHECK(L.FileOpen());
    FUZZ_CHECK(L.Count() == int(Want.Lines.size()));
    if (Size == 0) {
        FUZZ_CHECK(!L.MappingOpen());
        CheckTolerant(Path, Image);
        return 0;
    }

    const char* const Base = L.ViewBase();
    FUZZ_CHECK(Base != nullptr);
    int32_t Codierung = 0, MaxInhalt = 0;
    for (int I = 0; I < L.Count(); ++I) {
        const TXDTPtrItem It = L.Items(I);
        const TLine& W = Want.Lines[size_t(I)];
        FUZZ_CHECK(It.FeldArt == W.FeldArt);
        FUZZ_CHECK(It.InhaltPtr == Base + W.Offset);
        FUZZ_CHECK(size_t(It.InhaltLen) == W.Len);
        FUZZ_CHECK(It.InhaltPtr + It.InhaltLen <= Base + Size);
        MaxInhalt = std::max(MaxInhalt, It.InhaltLen);
        if (It.FeldArt == 9106) {
            int32_t V;
            Codierung = TryStrToInt(It.Inhalt(), V) ? V : 0;
        }
    }
    FUZZ_CHECK(L.FileCodierung() == Codierung);
    FUZZ_CHECK(L.MaxInhaltLen() == MaxInhalt);
    FUZZ_CHECK(L.FeldArtList().Count() >= (L.Count() > 0 ? 1 : 0));
    CheckTolerant(Path, Image);

    // What painting a row and searching do with a line; the first lines are enough, as the other
    // checks above cover the rest and long inputs would otherwise slow the run down.
    for (int I = 0; I < std::min(L.Count(), 64); ++I) {
        const std::string Inhalt = L.Inhalt(I);
        FUZZ_CHECK(L.Kennung(I).size() >= 4);
        FUZZ_CHECK(!FeldArtName(L.FeldArt(I)).empty());
        const std::string Comment = InhaltComment(L.FeldArt(I), Inhalt);
        FUZZ_CHECK(int(Comment.size()) <= L.MaxCommentLen());
        for (int C = cdNone; C <= cdLast; ++C)
            FUZZ_CHECK(ConvertCodierungStr(C, Inhalt).size() == Inhalt.size());
        if (L.IsSatzArt(I)) FUZZ_CHECK(!SatzArtName(Inhalt).empty());
    }
    return 0;
}
