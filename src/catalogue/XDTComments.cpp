#include "XDTComments.h"

// Placeholder until the value comments are written: every field has none.
std::string InhaltComment(int32_t FeldArt, std::string_view Inhalt) {
    std::string R;
    InhaltCommentTo(FeldArt, Inhalt, R);
    return R;
}

void InhaltCommentTo(int32_t, std::string_view, std::string& Out) {
    Out.clear();
}
