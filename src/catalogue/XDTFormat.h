#pragma once
// Which xDT family and version a file is, decided from the file's own fields: its record types and
// version fields, fed line by line in file order. The first decisive sign fixes the family, so a
// file that mixes signs gets the family of its header; later signs of the same family can only make
// it more precise (version, LDT 2 or 3 ...). Only the first lines count.
#include "XDTFamily.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The character set a file implies when it declares none in 9106: ISO 8859-15 where the format
// allows nothing else (LDT 3, BDT 3.0, GDT 3.5), otherwise the one that GDT's field 9206 names,
// wherever that field occurs (an export may carry it in a BDT record).
enum class TXdtCharset : uint8_t {
    None,      // nothing implied
    SevenBit,  // 7-bit code (GDT 9206 = 1)
    Ibm437,    // IBM code page 437 (GDT 9206 = 2)
    Ansi,      // "ANSI" (GDT 9206 = 3): shown as Windows-1252, unconverted
    Iso8859_15 // required by LDT 3, BDT 3.0 and GDT 3.5
};

struct TXdtFormat {
    TXdtFamily Family = TXdtFamily::Unknown;
    std::string Version;       // the version field's content as written ("LDT3.2.4", "02.10"); may be empty
    std::string Label = "xDT"; // for display: "LDT 3.2.4", "GDT 2.10", "BDT 02/94", "KVDT" ...
    TXdtCharset ImpliedCharset = TXdtCharset::None;
    int Declared9206 = 0; // the first 9206 line's number (GDT's character set); 0 when none
};

class TXdtFormatDetector {
public:
    // Lines after this many no longer change the result.
    static constexpr int HeaderLines = 1000;

    // One field line; lines in file order. Constant time, no allocation.
    void Feed(int32_t FeldArt, std::string_view Content);
    TXdtFormat Result() const;

    // Internal kinds of the sign table, public only so that the table can name them.
    enum class TGroup : uint8_t { None, Ldt, Gdt, Bdt, Kvdt };
    enum class TStrength : uint8_t { Weak, Decisive, Refine };

private:
    TGroup FGroup = TGroup::None;
    TStrength FStrength = TStrength::Weak;
    TXdtFamily FFamily = TXdtFamily::Unknown; // Unknown: the group is known but not its version
    int FLines = 0;
    int F9206 = 0;
    bool FSeen9206 = false;
    uint8_t FVersionLen = 0;
    char FVersion[23] = {};
};

struct TXdtField {
    int32_t FeldArt;
    std::string_view Content;
};
// The detector run over the given lines.
TXdtFormat DetectXdtFormat(std::span<const TXdtField> Lines);
