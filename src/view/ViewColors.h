#pragma once
// The colours of the line view: its sixteen colour properties, and the rule that gives every cell of a
// row its background and text colour by column and kind of line. The rule names colour properties
// (or fixed colours), so a changed property takes effect wherever the rule uses it.
#include <cstdint>

// Colours as 0x00BBGGRR (low byte red).
using TColor = uint32_t;

// Index into the view's colour table.
enum TViewColor : int {
    vcInhaltFontColor,
    vcInhaltBkColor,
    vcInhaltOddBkColor,
    vcFeldArtNameFontColor,
    vcFeldArtNameBkColor,
    vcFeldArtNameOddBkColor,
    vcKennungBkColor,
    vcKennungFontColor,
    vcSatzBkColor,
    vcSatzKennungFontColor,
    vcSatzInhaltFontColor,
    vcSatzCommentFontColor,
    vcSatzFeldArtNameFontColor,
    vcFoundFontColor,
    vcFoundBkColor,
    vcCommentFontColor,
    vcColorCount
};

// A colour the rule asks for: an entry of the colour table, a fixed colour, or the control's own
// colour (rows without a line, the rest of a row).
struct TColorRef {
    enum TSource : uint8_t { Table, Fixed, Control };
    TSource Source;
    uint32_t Value; // the TViewColor for Table, the colour for Fixed
};
constexpr TColorRef Ix(TViewColor I) {
    return {TColorRef::Table, uint32_t(I)};
}
constexpr TColorRef Fix(TColor C) {
    return {TColorRef::Fixed, C};
}
constexpr TColorRef kControlColor{TColorRef::Control, 0};

// The colours in force: the colour table and the control's own colour.
struct TViewPalette {
    TColor Table[vcColorCount];
    TColor Control;
    constexpr TColor Resolve(TColorRef R) const {
        switch (R.Source) {
        case TColorRef::Table:
            return R.Value < uint32_t(vcColorCount) ? Table[R.Value] : 0;
        case TColorRef::Fixed:
            return R.Value;
        default:
            return Control;
        }
    }
};

constexpr TViewPalette kDefaultPalette = {
    {
        0x000000, // InhaltFontColor
        0xFFFFFF, // InhaltBkColor
        0xF0F0F0, // InhaltOddBkColor
        0x000000, // FeldArtNameFontColor
        0xE6E6E6, // FeldArtNameBkColor
        0xF0F0F0, // FeldArtNameOddBkColor
        0x808080, // KennungBkColor
        0xFFFFFF, // KennungFontColor
        0x0000FF, // SatzBkColor
        0xFFFFFF, // SatzKennungFontColor
        0x000000, // SatzInhaltFontColor
        0xFFFFFF, // SatzCommentFontColor
        0x000000, // SatzFeldArtNameFontColor
        0xFFFFFF, // FoundFontColor
        0xFF0000, // FoundBkColor
        0xFF0000, // CommentFontColor
    },
    0xFFFFFF, // the control's Color
};

// The columns of a row, in the order they are drawn; a search match is drawn over the content last.
enum TCellColumn : uint8_t { ccKennung, ccInhalt, ccComment, ccFeldArtName, ccRest, ccFound, ccColumnCount };

// Kinds of line: record line (8000), laboratory line (8410, 8434), other lines by parity.
enum TRowKind : uint8_t { rkSatz, rkLab, rkEven, rkOdd, rkKindCount };

struct TCellColors {
    TColorRef Bk, Fg;
};

struct TColorRule {
    TCellColors Cells[ccColumnCount][rkKindCount];
    TCellColors MarkedKennung; // the identifier of a line the search marks as a whole
    TColorRef InvalidInhaltBk; // content with characters the character set does not allow
};

constexpr TColorRef clOlive = Fix(0x008080), clBlack = Fix(0x000000), clYellow = Fix(0x00FFFF);

// Background and text colour of each column, by kind of line.
// clang-format off
constexpr TColorRule kColorRule = {
    {
        /* Kennung */ {
            /* record line */ {Ix(vcSatzBkColor),         Ix(vcSatzKennungFontColor)},
            /* laboratory  */ {clOlive,                   Ix(vcKennungFontColor)},
            /* other, even */ {Ix(vcKennungBkColor),      Ix(vcKennungFontColor)},
            /* other, odd  */ {Ix(vcKennungBkColor),      Ix(vcKennungFontColor)}},
        /* Inhalt */ {
            /* record line */ {Ix(vcSatzBkColor),         Ix(vcSatzInhaltFontColor)},
            /* laboratory  */ {clOlive,                   clBlack},
            /* other, even */ {Ix(vcInhaltBkColor),       Ix(vcInhaltFontColor)},
            /* other, odd  */ {Ix(vcInhaltOddBkColor),    Ix(vcInhaltFontColor)}},
        /* Comment */ {
            /* record line */ {Ix(vcSatzBkColor),         Ix(vcSatzCommentFontColor)},
            /* laboratory  */ {clOlive,                   clBlack},
            /* other, even */ {Ix(vcInhaltBkColor),       Ix(vcCommentFontColor)},
            /* other, odd  */ {Ix(vcInhaltOddBkColor),    Ix(vcCommentFontColor)}},
        /* FeldArtName */ {
            /* record line */ {Ix(vcSatzBkColor),         Ix(vcSatzFeldArtNameFontColor)},
            /* laboratory  */ {clOlive,                   clBlack},
            /* other, even */ {Ix(vcFeldArtNameBkColor),  Ix(vcFeldArtNameFontColor)},
            /* other, odd  */ {Ix(vcFeldArtNameOddBkColor), Ix(vcFeldArtNameFontColor)}},
        /* Rest: the control's colour, no text */ {
            {kControlColor, kControlColor}, {kControlColor, kControlColor},
            {kControlColor, kControlColor}, {kControlColor, kControlColor}},
        /* Found: a match inside the content, on every kind of line */ {
            {Ix(vcFoundBkColor), Ix(vcFoundFontColor)}, {Ix(vcFoundBkColor), Ix(vcFoundFontColor)},
            {Ix(vcFoundBkColor), Ix(vcFoundFontColor)}, {Ix(vcFoundBkColor), Ix(vcFoundFontColor)}},
    },
    /* MarkedKennung */   {Ix(vcFoundBkColor), Ix(vcFoundFontColor)},
    /* InvalidInhaltBk */ clYellow, // the text colour stays, the comment is not affected
};
// clang-format on
