#pragma once
// Failures are exceptions that carry a message text (Windows-1252 bytes), shown to the user as they stand.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& Msg) : std::runtime_error(Msg) {}
    std::string Message() const { return what(); }
};

// The standard list error: index or capacity out of bounds.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A silent exception: it ends work without any message to the user.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// An invalid line in an xDT file. Carries where it was found, for tools that report it.
class EXDTInvalidLine : public Exception {
public:
    EXDTInvalidLine(long long PhysicalLine, unsigned long long Offset)
        : Exception("Ung\xFCltige Zeile in XDT-Datei"), FLine(PhysicalLine), FOffset(Offset) {}
    long long PhysicalLine() const { return FLine; }      // one-based
    unsigned long long Offset() const { return FOffset; } // byte offset of the line's start

private:
    long long FLine;
    unsigned long long FOffset;
};
