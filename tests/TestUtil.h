#pragma once
// Helpers shared by the test suites.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace testutil {

// A folder of its own below the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string Tmpl = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
        FPath = ::mkdtemp(Tmpl.data()) ? Tmpl : std::string();
    }
    ~TempDir() {
        std::error_code Ec;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, Ec);
        std::filesystem::remove_all(FPath, Ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(std::string_view Name) const { return FPath + "/" + std::string(Name); }
    // Writes the bytes to a file in the folder and returns its path.
    std::string Write(std::string_view Name, std::string_view Bytes) const {
        const std::string P = File(Name);
        std::ofstream(P, std::ios::binary).write(Bytes.data(), std::streamsize(Bytes.size()));
        return P;
    }

private:
    std::string FPath;
};

// One xDT line: three length digits, four identifier digits, content, terminator.
inline std::string XdtLine(int FeldArt, std::string_view Inhalt, std::string_view Term = "\r\n") {
    char Head[16];
    std::snprintf(Head, sizeof Head, "%03d%04d", int(Inhalt.size() + 9) % 1000, FeldArt);
    return Head + std::string(Inhalt) + std::string(Term);
}

} // namespace testutil
