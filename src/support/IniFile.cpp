#include "IniFile.h"

#include <QCoreApplication>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
std::string ProgramPath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toStdString();
#ifdef _WIN32
    char Buf[MAX_PATH];
    const DWORD N = GetModuleFileNameA(nullptr, Buf, MAX_PATH);
    return std::string(Buf, N);
#else
    std::error_code Ec;
    return std::filesystem::read_symlink("/proc/self/exe", Ec).string();
#endif
}
} // namespace

std::string IniFileNameFor(const std::string& ProgramPath) {
    const size_t Sep = ProgramPath.find_last_of("/\\");
    const size_t NameStart = Sep == std::string::npos ? 0 : Sep + 1;
    const size_t Dot = ProgramPath.rfind('.');
    if (Dot != std::string::npos && Dot >= NameStart) return ProgramPath.substr(0, Dot) + ".INI";
    return ProgramPath + ".INI";
}

std::string IniFileName() {
    return IniFileNameFor(ProgramPath());
}
