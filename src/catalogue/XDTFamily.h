#pragma once
// The xDT families that the program tells apart. A family decides which of an identifier's meanings
// applies where formats reuse an identifier, and which character set a file implies.
#include <cstdint>
#include <string_view>

enum class TXdtFamily : uint8_t {
    Unknown, // nothing recognised: only names that need no family are given
    Ldt3,    // LDT 3.x (3.2, and the early 3.0/3.1 where it differs)
    Ldt2,    // LDT 2.x up to LDT1014.01
    Gdt,     // GDT of no known version
    Gdt2,    // GDT 2.x (02.10 and older)
    Gdt3,    // GDT 3.0, 3.01 and 3.5
    Bdt,     // BDT of no known version
    Bdt2,    // BDT 02/94
    Bdt3,    // BDT 3.0
    Kvdt,    // KVDT: ADT, KADT, SADT, Hybrid-DRG, container, besa/rvsa, protocol files
};

// A short text for messages and tests ("LDT 3", "BDT 02/94" ...), not the display label of a file.
constexpr std::string_view XdtFamilyName(TXdtFamily Family) {
    switch (Family) {
    case TXdtFamily::Ldt3:
        return "LDT 3";
    case TXdtFamily::Ldt2:
        return "LDT 2";
    case TXdtFamily::Gdt:
        return "GDT";
    case TXdtFamily::Gdt2:
        return "GDT 2";
    case TXdtFamily::Gdt3:
        return "GDT 3";
    case TXdtFamily::Bdt:
        return "BDT";
    case TXdtFamily::Bdt2:
        return "BDT 02/94";
    case TXdtFamily::Bdt3:
        return "BDT 3.0";
    case TXdtFamily::Kvdt:
        return "KVDT";
    case TXdtFamily::Unknown:
        break;
    }
    return "xDT";
}
