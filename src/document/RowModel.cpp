#include "RowModel.h"

#include "XDTFile.h"
#include "XDTPtrList.h"
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "catalogue/XDTSupplement.h"
#include "support/StrTools.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string_view KennungTextTo(int32_t FeldArt, char (&Buf)[16]) {
    if (FeldArt == FeldArtInvalid) return "????";
    if (FeldArt >= 0 && FeldArt <= 9999) {
        // What "%4.4d" gives for these, without the cost of a format call per row.
        for (int D = 3, V = FeldArt; D >= 0; --D, V /= 10) Buf[D] = char('0' + V % 10);
        Buf[4] = 0;
        return std::string_view(Buf, 4);
    }
    const int N = std::snprintf(Buf, sizeof Buf, "%4.4d", int(FeldArt));
    return std::string_view(Buf, size_t(N));
}

std::string KennungText(int32_t FeldArt) {
    char Buf[16];
    return std::string(KennungTextTo(FeldArt, Buf));
}

TCommentKind CommentKindOf(const TXDTPtrList& List, bool Classic) {
    if (Classic) return ckClassic;
    return List.Format().Family == TXdtFamily::Ldt3 ? ckModernLdt3 : ckModern;
}

bool CommentDiffersByKind(int32_t FeldArt) {
    return FeldArt == 8002 || FeldArt == 8003 || HasLdt3ValueComments(FeldArt);
}

void CommentTo(int32_t FeldArt, std::string_view Raw, TCommentKind Kind, TXdtFamily Family,
               std::string& Out) {
    if (Kind != ckClassic) {
        if (FeldArt == 8000) {
            Out.assign(ModernSatzArtName(Raw, Family));
            return;
        }
        if (FeldArt == 8002 || FeldArt == 8003) {
            if (const std::string_view Name = Ldt3ObjectName(Raw); !Name.empty()) {
                Out.assign(Name);
                return;
            }
        } else if (Kind == ckModernLdt3 && HasLdt3ValueComments(FeldArt)) {
            // In LDT 3 files the LDT 3 tables hold the meaning, also where a classic table exists.
            Out.assign(Ldt3ValueComment(FeldArt, Raw));
            return;
        }
    }
    InhaltCommentTo(FeldArt, Raw, Out);
}

std::string_view RowFeldArtName(int32_t FeldArt, bool Classic, TXdtFamily Family) {
    return Classic ? FeldArtNameView(FeldArt) : ModernFeldArtName(FeldArt, Family);
}

namespace {
// The set the content is converted with: UTF-8 only outside the classic view, the four declared
// sets, else the bytes as they stand.
int ContentCodierung(const TRowOptions& Options) {
    if (Options.Codierung == cdUTF8) return Options.Classic ? int(cdNone) : int(cdUTF8);
    return Options.Codierung >= cdFirst && Options.Codierung <= cdLast ? Options.Codierung : cdNone;
}

// Everything of the row but the content.
TXDTPtrItem MakeRowFrame(const TXDTPtrList& List, int Index, const TRowOptions& Options, TRowTexts& Out) {
    const TXDTPtrItem Item = List.Items(Index);
    Out.FeldArt = Item.FeldArt;
    char Buf[16];
    Out.Kennung.assign(KennungTextTo(Item.FeldArt, Buf));
    Out.Raw = Item.Inhalt();
    Out.LineInvalid = Item.FeldArt == FeldArtInvalid;
    if (Out.LineInvalid) {
        // The whole line is the content; there is no field to name or explain.
        Out.Comment.clear();
        Out.Name = {};
        return Item;
    }
    if (Options.Comment)
        CommentTo(Item.FeldArt, Out.Raw, CommentKindOf(List, Options.Classic), List.Format().Family,
                  Out.Comment);
    else
        Out.Comment.clear();
    Out.Name = Options.Name ? RowFeldArtName(Item.FeldArt, Options.Classic, List.Format().Family)
                            : std::string_view();
    return Item;
}
} // namespace

void MakeRowTexts(const TXDTPtrList& List, int Index, const TRowOptions& Options, TRowTexts& Out) {
    MakeRowFrame(List, Index, Options, Out);
    const int Codierung = ContentCodierung(Options);
    if (Codierung == cdUTF8) {
        ConvertCodierungTo(cdUTF8, Out.Raw, Out.Inhalt);
    } else {
        Out.Inhalt.assign(Out.Raw);
        ConvertCodierungInPlace(Codierung, Out.Inhalt.data(), Out.Inhalt.size());
    }
    // An invalid line read whole is marked as invalid content is: it cannot pass for a field.
    Out.Invalid = Out.LineInvalid || std::memchr(Out.Inhalt.data(), 0, Out.Inhalt.size()) != nullptr;
    Out.InhaltFrom = 0;
    Out.InhaltSize = -1;
}

TInhaltFacts MeasureInhalt(std::string_view Raw, const TRowOptions& Options) {
    TInhaltFacts F;
    MeasureCodierung(ContentCodierung(Options), Raw, F.Size, F.Invalid);
    return F;
}

void MakeRowTextsWindow(const TXDTPtrList& List, int Index, const TRowOptions& Options, int64_t From,
                        int64_t Count, const TInhaltFacts& Facts, TRowTexts& Out) {
    MakeRowFrame(List, Index, Options, Out);
    From = std::clamp<int64_t>(From, 0, Facts.Size);
    ConvertCodierungWindow(ContentCodierung(Options), Out.Raw, From, Count, Out.Inhalt);
    Out.Invalid = Out.LineInvalid || Facts.Invalid;
    Out.InhaltFrom = From;
    Out.InhaltSize = Facts.Size;
}

std::string LineCountText(int Count) {
    return "Zeilen: " + std::to_string(Count);
}

std::string FileSizeText(uint64_t Size, const TFormatSettings& Fmt) {
    return "Dateigr\xF6\xDF"
           "e: " +
           FormatFileSize(2, true, int64_t(Size), Fmt);
}

std::string DeclaredCodierungText(int FileCodierung) {
    if (FileCodierung == 0) return "Zeichensatz: Nicht vorhanden";
    if (FileCodierung >= cdFirst && FileCodierung <= cdLast)
        return "Zeichensatz: \"" + CodierungName(FileCodierung) + "\"";
    return {};
}

std::string CodierungInUseText(int Codierung, std::string_view Why) {
    if (Codierung == 0) return {};
    std::string S = "Aktuell verwendeter Zeichensatz: " + std::to_string(Codierung) + " - \"" +
                    DisplayCodierungName(Codierung) + "\"";
    if (!Why.empty()) S += " (" + std::string(Why) + ")";
    return S;
}

std::string FormatText(const TXdtFormat& Format) {
    return "Format: " + Format.Label;
}

TCodierungChoice ChooseCodierung(const TFileXDTPtrList& List, bool Classic) {
    const int Declared = List.FileCodierung();
    if (Declared != 0) return {Declared, {}};
    if (Classic) return {cd7Bit, {}};
    const TXdtFormat& F = List.Format();
    switch (F.Declared9206) {
    case 1:
        return {cd7Bit, "9206"};
    case 2:
        return {cdIBM, "9206"};
    case 3:
        return {cdAnsi, "9206"};
    default:
        break;
    }
    // A prefix is enough to tell; the whole of a gigabyte file would cost as much as loading it.
    constexpr uint64_t kProbe = uint64_t(16) << 20;
    if (List.ViewBase() &&
        LooksLikeUtf8(std::string_view(List.ViewBase(), size_t(std::min(List.FileSize(), kProbe)))))
        return {cdUTF8, "erkannt"};
    if (F.ImpliedCharset == TXdtCharset::Iso8859_15) return {cdISO15, std::string(XdtFamilyName(F.Family))};
    return {cd7Bit, {}};
}

std::string CheckCountText(long long Errors, long long Warnings) {
    const std::string Head = "Pr\xFC"
                             "fung: ";
    if (Errors == 0 && Warnings == 0) return Head + "keine Fehler oder Warnungen";
    return Head + std::to_string(Errors) + " Fehler, " + std::to_string(Warnings) +
           (Warnings == 1 ? " Warnung" : " Warnungen");
}
