#pragma once
// The structure of a loaded document: its records, its objects (LDT 3 / GDT 3.5 brackets 8002 …
// 8003, nested) and the documents embedded in it (Base64 in 6329 lines). Found in one pass over the
// index; one small entry per record, object and attachment, none per line, so gigabyte files fit.
// Positions are entry numbers of the index (zero-based).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TEvent;
class TXDTPtrList;

struct TXdtRecord {
    int32_t First = 0; // the 8000 line
    int32_t Last = 0;  // its 8001 line, else the line before the next record (or the last line)
};

struct TXdtObject {
    int32_t First = 0;   // the 8002 line
    int32_t Last = 0;    // the 8003 line that closes it; the last line of the file when none does
    int32_t Parent = -1; // index of the enclosing object, -1 at record level
    int16_t Depth = 0;   // nesting level of the brackets: 0 for an object at record level
    bool Closed = false; // a matching 8003 was found
};

struct TXdtAttachment {
    int32_t Object = -1; // the enclosing Obj_0010 (Obj_Anhang), -1 for a bare run of 6329 lines
    int32_t Record = -1; // the record it belongs to, -1 before the first
    int32_t First = 0;   // first and last 6329 line
    int32_t Last = 0;
    int32_t Lines = 0;        // 6329 lines (they may be interrupted by other lines)
    uint64_t Chars = 0;       // Base64 characters in all of them
    int Padding = 0;          // "=" at the end of the last one
    int32_t FormatLine = -1;  // 6303 Dateiformat, -1 when missing
    int32_t DocTypeLine = -1; // 9970 Dokumententyp, -1 when missing
    uint64_t DecodedSize() const;
};

class TXdtStructure {
public:
    // Builds the structure of List (which must not change meanwhile). Cancel (may be null) is polled
    // now and then; false when it was set, leaving an empty structure.
    bool Build(const TXDTPtrList& List, TEvent* Cancel = nullptr);
    void Clear();

    const std::vector<TXdtRecord>& Records() const { return FRecords; }
    const std::vector<TXdtObject>& Objects() const { return FObjects; }
    const std::vector<TXdtAttachment>& Attachments() const { return FAttachments; }

    // The innermost object that holds a line, -1 when none; the bracket lines belong to their object.
    int ObjectAt(int32_t Line) const;
    // Indentation level of a line: the number of objects around it, its own bracket lines counted
    // as outside.
    int DepthAt(int32_t Line) const;
    // The record that holds a line, -1 when none.
    int RecordAt(int32_t Line) const;

private:
    std::vector<TXdtRecord> FRecords;
    std::vector<TXdtObject> FObjects;
    std::vector<TXdtAttachment> FAttachments;
};

// File formats of embedded documents, from 6303 and the first decoded bytes.
struct TAttachmentType {
    const char* Name;      // "PDF", "JPEG", …, or the text of 6303
    const char* Extension; // "pdf", …, "bin" when unknown
};
TAttachmentType AttachmentTypeOf(std::string_view Format6303, std::string_view FirstBytes);

// Decodes an attachment, passing the bytes on in pieces. False with a message (Windows-1252) naming
// the line when the Base64 is damaged; the bytes before the damage have been passed on then.
bool DecodeAttachment(const TXDTPtrList& List, const TXdtAttachment& A,
                      const std::function<void(std::string_view)>& Out, std::string& Error);

// A file name for an attachment: the kind of document, the order number of its record (8311, else
// 8310) and its number in the file, e.g. "Befund_A12345_1.pdf". Only letters, digits, "-", "_" and
// one "."; never a path.
std::string AttachmentFileName(const TXDTPtrList& List, const TXdtStructure& S, int Index,
                               std::string_view Extension);
