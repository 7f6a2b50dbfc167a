// The checker on arbitrary file images, against the families: no crash or hang, every problem on a
// line of the file with a message and a code, counts no smaller than the list; and the checksum summed
// on a second thread with marks anywhere gives the very report of summing on the checking thread.
#include "FuzzCheck.h"
#include "document/XDTCheck.h"
#include "document/XDTPtrList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Physical lines as the checker counts them: each ends at CR, LF, CR LF or LF CR.
long long PlainLines(std::string_view B) {
    long long N = 0;
    size_t P = 0;
    while (P < B.size()) {
        ++N;
        while (P < B.size() && B[P] != 13 && B[P] != 10) ++P;
        if (P < B.size()) {
            const char F = B[P++];
            if (P < B.size() && B[P] == (F == 10 ? 13 : 10)) ++P;
        }
    }
    return N;
}

bool SameReport(const TCheckResult& A, const TCheckResult& B) {
    if (A.Problems.size() != B.Problems.size() || A.Errors != B.Errors || A.Warnings != B.Warnings)
        return false;
    for (size_t I = 0; I < A.Problems.size(); ++I) {
        const TCheckProblem &X = A.Problems[I], &Y = B.Problems[I];
        if (X.Line != Y.Line || X.Offset != Y.Offset || std::string_view(X.Code) != Y.Code ||
            X.Severity != Y.Severity || X.Message != Y.Message || X.Entry != Y.Entry)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const int Fd = ::memfd_create("ostrel-fuzz-check", MFD_CLOEXEC);
    static const std::string Path = "/proc/self/fd/" + std::to_string(Fd);
    FUZZ_CHECK(Fd >= 0);
    FUZZ_CHECK(::ftruncate(Fd, 0) == 0);
    FUZZ_CHECK(::pwrite(Fd, Data, Size, 0) == ssize_t(Size));
    const std::string_view Image(reinterpret_cast<const char*>(Data), Size);

    TFileXDTPtrList L;
    LoadXDTFile(L, Path, {.InvalidLine = ilTolerant});
    const long long Lines = PlainLines(Image);
    // The family it finds by itself, one more chosen by the input, and LDT 3 with its checksum.
    const int Chosen = int(Size % (cfKVDT + 1));
    for (int F : {int(DetectCheckFamily(L)), Chosen, int(cfLDT3)}) {
        const TCheckResult R = CheckXDTFile(L, {.Family = TCheckFamily(F), .MaxPerCode = 5});
        FUZZ_CHECK(!R.Cancelled);
        FUZZ_CHECK(R.Family == F);
        FUZZ_CHECK(R.Lines == Lines);
        FUZZ_CHECK(R.Errors + R.Warnings + R.Hints >= 0);
        long long Previous = 0;
        for (const TCheckProblem& P : R.Problems) {
            FUZZ_CHECK(P.Line >= 1 && P.Line <= Lines);
            FUZZ_CHECK(P.Line >= Previous); // in line order
            Previous = P.Line;
            FUZZ_CHECK(P.Offset < Size);
            FUZZ_CHECK(!P.Message.empty());
            FUZZ_CHECK(*P.Code != 0);
            FUZZ_CHECK(P.Entry >= -1 && P.Entry < L.Count());
            FUZZ_CHECK(L.Count() == 0 || P.Entry >= 0);
        }
        if (F == cfLDT3) {
            const TCheckResult Ahead = CheckXDTFile(
                L, {.Family = cfLDT3, .MaxPerCode = 5, .SumThreadFrom = 0, .SumMarkEvery = 1 + Size % 13});
            FUZZ_CHECK(SameReport(R, Ahead));
        }
    }
    return 0;
}
