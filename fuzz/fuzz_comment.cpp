// Value comments for arbitrary identifiers and contents. Input: four bytes of identifier text (as in
// a file line, e.g. "8000"; when they are no number they are taken as a raw 32-bit identifier, so
// that any value can come up), then the raw content. Checks: no crash, the same comment every time,
// and the allocation-free form gives the same text whatever the buffer held before.
#include "FuzzCheck.h"
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "support/StrTools.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 4) return 0;
    const std::string_view Head(reinterpret_cast<const char*>(Data), 4);
    const std::string_view Inhalt(reinterpret_cast<const char*>(Data) + 4, Size - 4);
    int32_t FeldArt;
    if (!TryStrToInt(Head, FeldArt)) std::memcpy(&FeldArt, Data, 4);

    const std::string Comment = InhaltComment(FeldArt, Inhalt);
    FUZZ_CHECK(InhaltComment(FeldArt, Inhalt) == Comment);
    std::string Out(Inhalt);
    Out += "left over from an earlier line";
    InhaltCommentTo(FeldArt, Inhalt, Out);
    FUZZ_CHECK(Out == Comment);

    // The name lookups that are shown beside the comment never fail.
    FUZZ_CHECK(!FeldArtName(FeldArt).empty());
    if (FeldArt == 8000) FUZZ_CHECK(!SatzArtName(Inhalt).empty());
    return 0;
}
