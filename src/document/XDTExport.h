#pragma once
// A document's rows for spreadsheets, as CSV that German Excel opens without its import wizard:
// UTF-8 with a byte-order mark, ";" between cells, CR LF after each row, cells quoted as RFC 4180 says
// and a "'" before a cell that Excel would take for a formula. Two tables: every field line with the
// texts the view shows, and the laboratory results, one row per test. The output goes to a writer
// callback in pieces, so that no export holds a whole file.
#include "RowModel.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

class TEvent;
class TXDTPtrList;

// Takes the output piece by piece; false when the piece could not be written, which ends the export.
using TExportSink = std::function<bool(std::string_view)>;

// Which rows of a document an export writes.
class TExportRows {
public:
    static TExportRows All() { return TExportRows(); }
    // The entries First..Last, zero-based, both included.
    static TExportRows Range(int First, int Last);
    // Exactly these entries (zero-based), in this order: the rows a filter left. The caller keeps
    // them alive for the export.
    static TExportRows Entries(std::span<const int> Entries);

    // The number of rows, and the entry of row N, for a list of Count entries.
    int64_t Size(int Count) const;
    int EntryOf(int64_t N) const { return FKind == TKind::Entries ? FEntries[size_t(N)] : FFirst + int(N); }
    // Empty when every row names an entry of a list of Count entries; else the message.
    std::string Check(int Count) const;

private:
    enum class TKind : uint8_t { All, Range, Entries };
    TKind FKind = TKind::All;
    int FFirst = 0;
    int FLast = -1;
    std::span<const int> FEntries;
};

enum class TExportEnd : uint8_t {
    Complete,
    Cancelled,    // the cancel event was set; what was written so far is an incomplete table
    WriteFailed,  // the sink refused a piece
    BadRows,      // a row names no entry of the document: nothing was written
    NotAvailable, // the table does not exist in this mode (the results table in the classic program)
};

struct TExportOutcome {
    TExportEnd End = TExportEnd::Complete;
    int64_t Rows = 0;    // data rows written, the header row not counted
    std::string Message; // Windows-1252; empty when complete
    bool Ok() const { return End == TExportEnd::Complete; }
};

struct TCsvOptions {
    TRowOptions Row;          // the texts of a row: character set, comment, name, classic switch
    TEvent* Cancel = nullptr; // polled before every row; may be null
};

// The header row of the line table.
inline constexpr std::string_view CsvHeader = "Zeile;Feldkennung;Inhalt;Kommentar;Feldname";

// One row per entry: its number (one-based), identifier, content, value comment and field name,
// made by MakeRowTexts. A comment or name that the options switch off stays an empty cell.
TExportOutcome ExportCsv(const TXDTPtrList& List, const TExportRows& Rows, const TCsvOptions& Options,
                         const TExportSink& Out);

// The results table ("Befundtabelle"): one row per test line 8410 with the fields of its test and of
// its record. Its columns, in order; where a column's value comes from:
enum class TBefundSource : uint8_t {
    TestLine,   // the number of the 8410 line, one-based
    Patient,    // first line of the record; in LDT 3 only inside the patient object Obj_0045
    Record,     // first line of the record
    Collection, // first line of the test, else of the record; in LDT 3 the date of the timestamp
                // 8219 of the material whose 7364 the test names, else of the record's first one
    Test,       // first line of the test
    TestJoined, // every line of the test, one below the other in the cell
};
struct TBefundColumn {
    const char* Header;
    int32_t Ldt2;      // the field in LDT 2 and every family but LDT 3
    int32_t Ldt3;      // the field in LDT 3
    int32_t Ldt3Texts; // LDT 3: the attribute whose text object (3564 lines) goes in too; 0 none
    TBefundSource Source;
};
std::span<const TBefundColumn> BefundColumns();

// Only outside the classic program. The lines of a test: in LDT 3 those of the object that holds the
// 8410 line, divided at further 8410 lines of the same object; elsewhere from the 8410 line to the
// next one or the end of the record.
TExportOutcome ExportBefundtabelle(const TXDTPtrList& List, const TCsvOptions& Options,
                                   const TExportSink& Out);

// Writes a new file at Path through a temporary file in its folder, renamed into place when Produce
// succeeded; an existing file at Path is never replaced. Protect, when not empty, is a file that Path
// must not be, by any path or link. Produce writes into the sink it is given and returns false when
// it failed or was cancelled (it then keeps its own reason); Error gets the reason of a failure here.
enum class TNewFileEnd : uint8_t { Written, ProduceFailed, SameFile, Exists, CannotCreate, WriteFailed };
TNewFileEnd WriteNewFile(const std::string& Path, const std::string& Protect,
                         const std::function<bool(const TExportSink&)>& Produce, std::string& Error);
