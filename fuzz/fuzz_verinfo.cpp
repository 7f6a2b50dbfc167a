// The version-resource reader on any bytes: the block finder and every query must stay inside the
// bytes they were given, and whatever a query answers must lie inside the block.
#include "FuzzCheck.h"
#include "support/VerInfo.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view File(reinterpret_cast<const char*>(Data), Size);
    const std::string_view Block = FindVersionBlock(File);
    if (!Block.empty())
        FUZZ_CHECK(Block.data() >= File.data() && Block.data() + Block.size() <= File.data() + File.size());
    // Queries on the raw bytes too, as if they were a block.
    for (const std::string_view B : {Block, File}) {
        const auto* P = reinterpret_cast<const uint8_t*>(B.data());
        for (const char* Path :
             {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040704E4\\ProductName",
              "\\StringFileInfo\\040704E4\\LegalCopyright", "\\StringFileInfo"}) {
            TVerValue V;
            if (VerQueryValue(P, B.size(), Path, V) && !V.IsText)
                FUZZ_CHECK(V.Data >= P && V.Data + V.Len <= P + B.size());
        }
    }
    return 0;
}
