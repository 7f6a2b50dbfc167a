#include "XDTStructure.h"

#include "XDTPtrList.h"
#include "support/Base64.h"
#include "support/Event.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kAnhang = "Obj_0010";     // Obj_Anhang: one embedded or referenced document
constexpr std::string_view kFliesstext = "Obj_0068"; // Obj_Fliesstext: holds the Base64 lines

// A trailing CR of a line that came with LF CR or was cut oddly is not part of the data.
std::string_view Base64Of(std::string_view Inhalt) {
    while (!Inhalt.empty() && (Inhalt.back() == '\r' || Inhalt.back() == '\n')) Inhalt.remove_suffix(1);
    return Inhalt;
}

int PaddingOf(std::string_view B64) {
    int N = 0;
    for (size_t I = B64.size(); I > 0 && B64[I - 1] == '=' && N < 2; --I) ++N;
    return N;
}

} // namespace

uint64_t TXdtAttachment::DecodedSize() const {
    return Base64DecodedSize(Chars, Padding);
}

void TXdtStructure::Clear() {
    FRecords.clear();
    FObjects.clear();
    FAttachments.clear();
}

bool TXdtStructure::Build(const TXDTPtrList& List, TEvent* Cancel) {
    Clear();
    const int N = List.Count();
    std::vector<int32_t> Open; // stack of open objects
    int32_t Current = -1;      // the attachment being collected
    int32_t LastData = -2;     // the last 6329 line of a bare run
    auto EndRecord = [&](int32_t Line) {
        if (!FRecords.empty() && FRecords.back().Last < 0) FRecords.back().Last = Line;
    };
    for (int32_t I = 0; I < N; ++I) {
        if ((I & 0xFFFF) == 0 && Cancel && Cancel->WaitFor(0)) {
            Clear();
            return false;
        }
        const TXDTPtrItem Item = List.Items(I);
        switch (Item.FeldArt) {
        case 8000:
            EndRecord(I - 1);
            FRecords.push_back({I, -1});
            break;
        case 8001:
            EndRecord(I);
            break;
        case 8002: {
            TXdtObject O;
            O.First = I;
            O.Last = -1;
            O.Parent = Open.empty() ? -1 : Open.back();
            O.Depth = int16_t(std::min<size_t>(Open.size(), INT16_MAX));
            FObjects.push_back(O);
            Open.push_back(int32_t(FObjects.size() - 1));
            if (Item.Inhalt() == kAnhang) {
                TXdtAttachment A;
                A.Object = Open.back();
                A.Record = int32_t(FRecords.size()) - 1;
                A.First = A.Last = -1;
                FAttachments.push_back(A);
                Current = int32_t(FAttachments.size() - 1);
            }
            break;
        }
        case 8003: {
            // Closes the innermost open object of that name; objects crossed on the way stay unclosed
            // but end here. An 8003 that matches nothing is ignored.
            const std::string_view Id = Item.Inhalt();
            auto It = std::find_if(Open.rbegin(), Open.rend(), [&](int32_t O) {
                return List.Items(FObjects[size_t(O)].First).Inhalt() == Id;
            });
            if (It == Open.rend()) break;
            const size_t Keep = size_t(Open.rend() - It) - 1;
            for (size_t K = Open.size(); K-- > Keep;) {
                TXdtObject& O = FObjects[size_t(Open[K])];
                O.Last = I;
                O.Closed = K == Keep;
                if (Current >= 0 && FAttachments[size_t(Current)].Object == Open[K]) Current = -1;
            }
            Open.resize(Keep);
            break;
        }
        case 6329: {
            const std::string_view B64 = Base64Of(Item.Inhalt());
            TXdtAttachment* A = nullptr;
            if (Current >= 0) {
                A = &FAttachments[size_t(Current)];
            } else if (LastData == I - 1 && !FAttachments.empty() && FAttachments.back().Object < 0) {
                A = &FAttachments.back(); // a bare run goes on
            } else {
                TXdtAttachment Bare;
                Bare.Record = int32_t(FRecords.size()) - 1;
                Bare.First = -1;
                FAttachments.push_back(Bare);
                A = &FAttachments.back();
            }
            if (A->First < 0) A->First = I;
            A->Last = I;
            ++A->Lines;
            A->Chars += B64.size();
            A->Padding = PaddingOf(B64);
            LastData = I;
            break;
        }
        case 6303:
        case 9970: {
            // Inside an Obj_Anhang, or after a bare run in the same record.
            TXdtAttachment* A = Current >= 0 ? &FAttachments[size_t(Current)] : nullptr;
            if (!A && !FAttachments.empty() && FAttachments.back().Object < 0 &&
                FAttachments.back().Record == int32_t(FRecords.size()) - 1)
                A = &FAttachments.back();
            if (A) (Item.FeldArt == 6303 ? A->FormatLine : A->DocTypeLine) = I;
            break;
        }
        default:
            break;
        }
    }
    EndRecord(N - 1);
    for (int32_t O : Open) FObjects[size_t(O)].Last = N - 1;
    // An Obj_Anhang that only refers to a file (6305) carries no data: not an attachment here.
    std::erase_if(FAttachments, [](const TXdtAttachment& A) { return A.Lines == 0; });
    return true;
}

int TXdtStructure::ObjectAt(int32_t Line) const {
    // The last object opened at or before the line, then outwards until one still holds it.
    auto It = std::upper_bound(FObjects.begin(), FObjects.end(), Line,
                               [](int32_t L, const TXdtObject& O) { return L < O.First; });
    if (It == FObjects.begin()) return -1;
    int O = int(It - FObjects.begin()) - 1;
    while (O >= 0 && FObjects[size_t(O)].Last < Line) O = FObjects[size_t(O)].Parent;
    return O;
}

int TXdtStructure::DepthAt(int32_t Line) const {
    const int O = ObjectAt(Line);
    if (O < 0) return 0;
    const TXdtObject& Obj = FObjects[size_t(O)];
    return Obj.Depth + ((Line == Obj.First || (Line == Obj.Last && Obj.Closed)) ? 0 : 1);
}

int TXdtStructure::RecordAt(int32_t Line) const {
    auto It = std::upper_bound(FRecords.begin(), FRecords.end(), Line,
                               [](int32_t L, const TXdtRecord& R) { return L < R.First; });
    if (It == FRecords.begin()) return -1;
    const int R = int(It - FRecords.begin()) - 1;
    return FRecords[size_t(R)].Last >= Line ? R : -1;
}

TAttachmentType AttachmentTypeOf(std::string_view Format, std::string_view First) {
    static constexpr struct {
        const char* Magic;
        size_t Len;
        TAttachmentType Type;
    } kMagic[] = {{"%PDF", 4, {"PDF", "pdf"}},    {"\xFF\xD8\xFF", 3, {"JPEG", "jpg"}},
                  {"\x89PNG", 4, {"PNG", "png"}}, {"GIF8", 4, {"GIF", "gif"}},
                  {"II*\0", 4, {"TIFF", "tif"}},  {"MM\0*", 4, {"TIFF", "tif"}},
                  {"0138000", 7, {"LDT", "ldt"}}};
    for (const auto& M : kMagic)
        if (First.size() >= M.Len && std::memcmp(First.data(), M.Magic, M.Len) == 0) return M.Type;
    static constexpr struct {
        const char* Name;
        TAttachmentType Type;
    } kNames[] = {{"PDF", {"PDF", "pdf"}}, {"JPEG", {"JPEG", "jpg"}}, {"JPG", {"JPEG", "jpg"}},
                  {"PNG", {"PNG", "png"}}, {"TIFF", {"TIFF", "tif"}}, {"TIF", {"TIFF", "tif"}},
                  {"GIF", {"GIF", "gif"}}, {"LDT", {"LDT", "ldt"}},   {"TXT", {"TXT", "txt"}},
                  {"XML", {"XML", "xml"}}, {"HTML", {"HTML", "html"}}};
    for (const auto& K : kNames) {
        const std::string_view Name = K.Name;
        if (Format.size() == Name.size() &&
            std::equal(Format.begin(), Format.end(), Name.begin(),
                       [](char A, char B) { return (A >= 'a' && A <= 'z' ? char(A - 32) : A) == B; }))
            return K.Type;
    }
    return {"Dokument", "bin"};
}

bool DecodeAttachment(const TXDTPtrList& List, const TXdtAttachment& A,
                      const std::function<void(std::string_view)>& Out, std::string& Error) {
    TBase64Decoder D(Out);
    int32_t BadLine = -1;
    for (int32_t I = A.First; I <= A.Last && I < List.Count(); ++I) {
        const TXDTPtrItem Item = List.Items(I);
        if (Item.FeldArt != 6329) continue;
        if (!D.Feed(Base64Of(Item.Inhalt()))) {
            BadLine = I;
            break;
        }
    }
    if (D.Finish() && BadLine < 0) return true;
    if (BadLine < 0) BadLine = A.Last;
    Error = "Der eingebettete Anhang ist besch\xE4"
            "digt: ung\xFC"
            "ltiges Base64 in Zeile " +
            std::to_string(BadLine + 1) + ".";
    return false;
}

std::string AttachmentFileName(const TXDTPtrList& List, const TXdtStructure& S, int Index,
                               std::string_view Extension) {
    const TXdtAttachment& A = S.Attachments()[size_t(Index)];
    std::string Kind = "Anhang";
    if (A.DocTypeLine >= 0) {
        const std::string_view T = List.Items(A.DocTypeLine).Inhalt();
        if (T == "100")
            Kind = "Befund";
        else if (T == "010")
            Kind = "Muster10";
        else if (T == "039")
            Kind = "Muster39";
        else if (T == "900")
            Kind = "LDT-Datensatz";
    }
    std::string Order;
    if (A.Record >= 0) {
        const TXdtRecord& R = S.Records()[size_t(A.Record)];
        std::string_view Found8310;
        for (int32_t I = R.First; I <= R.Last && I < List.Count(); ++I) {
            const TXDTPtrItem Item = List.Items(I);
            if (Item.FeldArt == 8311 && Order.empty()) Order = std::string(Item.Inhalt());
            if (Item.FeldArt == 8310 && Found8310.empty()) Found8310 = Item.Inhalt();
            if (Item.FeldArt == 6329) I = std::max(I, A.Last); // the data holds no order number
        }
        if (Order.empty()) Order = std::string(Found8310);
    }
    std::string Name = Kind;
    if (!Order.empty()) Name += "_" + Order;
    Name += "_" + std::to_string(Index + 1);
    // Only what every file system takes; nothing that leads out of the folder.
    for (char& C : Name)
        if (!((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
              C == '_'))
            C = '_';
    if (Name.size() > 120) Name.resize(120);
    std::string Ext;
    for (char C : Extension)
        if ((C >= 'a' && C <= 'z') || (C >= '0' && C <= '9')) Ext += C;
    return Name + "." + (Ext.empty() ? "bin" : Ext);
}
