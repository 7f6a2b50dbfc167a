#pragma once
// Options files in the private-profile (INI) format: "[Section]" lines and "Key=Value" lines.
// Our own small layer, because QSettings would rewrite keys such as "Last Directory" as
// "Last%20Directory" and take backslashes in values as escapes.
//
// Reading keeps the whole file (other sections, keys, comments, the order of lines); writing changes
// only the keys written and replaces the file in one step, so it is never left half-written.
#include <cstdint>
#include <string>
#include <vector>

// Path of the options file: the running program's path with its extension replaced by ".INI"
// (or ".INI" appended when the file name has none).
std::string IniFileName();
// The same rule for a given program path; the part before the file name stays unchanged.
std::string IniFileNameFor(const std::string& ProgramPath);

class TIniFile {
public:
    // Files larger than this are not read (defaults apply) and not replaced.
    static constexpr int64_t MaxFileSize = 1 << 20;

    // Reads the file when it exists; a missing or unreadable file gives an empty one.
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default) const;
    // Decimal, or hexadecimal after "0x"; anything else gives the default.
    int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
    // True for every integer other than 0.
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    bool ValueExists(const std::string& Section, const std::string& Key) const;

    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, int32_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    // Writes the file: to a temporary file beside it, then renamed over it. Raises Exception
    // "Unable to write to %s" with the path when that fails; the old file then stays as it was.
    void UpdateFile();

    // The file's text as it would be written.
    std::string Text() const;

private:
    struct TLine {
        std::string Raw;     // the line as read or written, without its terminator
        std::string Section; // section header: its name; else empty
        std::string Key;     // key line: its key, trimmed; else empty
    };
    // Index of the key's line in the section, -1 when none. Names compare case-insensitively.
    int FindKey(const std::string& Section, const std::string& Key) const;
    int FindSection(const std::string& Section) const;

    std::string FFileName;
    std::vector<TLine> FLines;
    std::string FNewLine = "\r\n";
    bool FTooLarge = false;
};

// The standard integer syntax of option values: optional blanks, an optional sign, then decimal digits
// or "0x" and hexadecimal digits, optional blanks. False for anything else.
bool TryIniStrToInt(const std::string& S, int32_t& Value);
