#pragma once
#include <string>

// Path of the options file: the running program's path with its extension replaced by ".INI"
// (or ".INI" appended when the file name has none).
std::string IniFileName();
// The same rule for a given program path; the part before the file name stays unchanged.
std::string IniFileNameFor(const std::string& ProgramPath);
