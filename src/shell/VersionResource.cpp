// The program's version resource. On Windows the resource compiler links it from Ostrel.rc; elsewhere
// these same bytes, built at compile time, sit in the program file's read-only data, where the version
// reader finds them by their signature.
#include "VersionResource.h"

#include "support/VerInfo.h"

namespace {
constexpr TVersionStrings kProgramStrings{
    2,
    1,
    0,
    0,
    0x0407,
    1252,
    {{{"CompanyName", "Brenlo Software & Partner"},
      {"FileDescription", "Ostrel xDT-Betrachter"},
      {"FileVersion", "2.1.0.0"},
      {"InternalName", "Ostrel"},
      {"LegalCopyright", "Copyright \xA9 2026 Brenlo Software & Partner"},
      {"OriginalFilename", "ostrel"},
      {"ProductName", "Brenlo Ostrel"},
      {"ProductVersion", "2.1"},
      {nullptr, nullptr}}}};
} // namespace

// Kept in the file even though nothing in the program refers to the bytes directly.
[[gnu::used, gnu::retain]] constexpr TVersionBlob OstrelVersionBlob = BuildVersionBlob(kProgramStrings);

std::string_view ProgramVersionBlock() {
    return std::string_view(reinterpret_cast<const char*>(OstrelVersionBlob.Bytes.data()),
                            OstrelVersionBlob.Size);
}
