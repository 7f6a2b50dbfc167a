#include "RowModel.h"

#include "XDTFile.h"
#include "XDTPtrList.h"
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "support/StrTools.h"

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

void MakeRowTexts(const TXDTPtrList& List, int Index, const TRowOptions& Options, TRowTexts& Out) {
    const TXDTPtrItem Item = List.Items(Index);
    Out.FeldArt = Item.FeldArt;
    char Buf[16];
    Out.Kennung.assign(KennungTextTo(Item.FeldArt, Buf));
    Out.Raw = Item.Inhalt();
    Out.Inhalt.assign(Out.Raw);
    if (Options.Codierung >= cdFirst && Options.Codierung <= cdLast)
        ConvertCodierungInPlace(Options.Codierung, Out.Inhalt.data(), Out.Inhalt.size());
    Out.Invalid = std::memchr(Out.Inhalt.data(), 0, Out.Inhalt.size()) != nullptr;
    Out.LineInvalid = Item.FeldArt == FeldArtInvalid;
    if (Out.LineInvalid) {
        // The whole line is the content; there is no field to name or explain.
        Out.Comment.clear();
        Out.Name = {};
        return;
    }
    if (Options.Comment)
        InhaltCommentTo(Item.FeldArt, Out.Raw, Out.Comment);
    else
        Out.Comment.clear();
    Out.Name = Options.Name ? FeldArtNameView(Item.FeldArt) : std::string_view();
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

std::string CodierungInUseText(int Codierung) {
    if (Codierung == 0) return {};
    return "Aktuell verwendeter Zeichensatz: " + std::to_string(Codierung) + " - \"" +
           CodierungName(Codierung) + "\"";
}

std::string CheckCountText(long long Errors, long long Warnings) {
    const std::string Head = "Pr\xFC"
                             "fung: ";
    if (Errors == 0 && Warnings == 0) return Head + "keine Fehler oder Warnungen";
    return Head + std::to_string(Errors) + " Fehler, " + std::to_string(Warnings) +
           (Warnings == 1 ? " Warnung" : " Warnungen");
}
