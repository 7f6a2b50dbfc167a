#include "MappedFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>

#ifdef _WIN32

bool TMappedFile::FileOpen() const {
    return FHandle != INVALID_HANDLE_VALUE;
}

bool TMappedFile::OpenFile(const std::string& Path) {
    Close();
    const DWORD Share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE H = CreateFileA(Path.c_str(), GENERIC_READ, Share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (H == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(H) != FILE_TYPE_DISK) {
        CloseHandle(H);
        return false;
    }
    LARGE_INTEGER Size;
    if (!GetFileSizeEx(H, &Size)) {
        CloseHandle(H);
        return false;
    }
    FHandle = H;
    FFileSize = uint64_t(Size.QuadPart);
    return true;
}

bool TMappedFile::CreateMapping() {
    if (!FileOpen() || FMapping) return FMapping;
    FMappingHandle = CreateFileMappingA(FHandle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    FMapping = FMappingHandle != nullptr;
    return FMapping;
}

bool TMappedFile::MapView() {
    if (!FMapping || FView) return FView != nullptr;
    FView = static_cast<const char*>(MapViewOfFile(FMappingHandle, FILE_MAP_READ, 0, 0, 0));
    return FView != nullptr;
}

void TMappedFile::UnmapView() {
    if (FView) UnmapViewOfFile(FView);
    FView = nullptr;
}

void TMappedFile::CloseMapping() {
    if (FMappingHandle) CloseHandle(FMappingHandle);
    FMappingHandle = nullptr;
    FMapping = false;
}

void TMappedFile::CloseFile() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
}

#else

bool TMappedFile::FileOpen() const {
    return FFd >= 0;
}

bool TMappedFile::OpenFile(const std::string& Path) {
    Close();
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
    const int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) return false;
    struct stat St;
    if (::fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode) || St.st_size < 0) {
        ::close(Fd);
        return false;
    }
    FFd = Fd;
    FFileSize = uint64_t(St.st_size);
    return true;
}

bool TMappedFile::CreateMapping() {
    // POSIX has no mapping object of its own; this step stands for it and fails where
    // CreateFileMapping would: on an empty file, or one too large for the address space.
    if (!FileOpen()) return false;
    FMapping = FFileSize > 0 && FFileSize <= uint64_t(SIZE_MAX / 2);
    return FMapping;
}

bool TMappedFile::MapView() {
    if (!FMapping || FView) return FView != nullptr;
    void* P = ::mmap(nullptr, size_t(FFileSize), PROT_READ, MAP_SHARED, FFd, 0);
    if (P == MAP_FAILED) return false;
    ::madvise(P, size_t(FFileSize), MADV_SEQUENTIAL);
    FView = static_cast<const char*>(P);
    return true;
}

void TMappedFile::UnmapView() {
    if (FView) ::munmap(const_cast<char*>(FView), size_t(FFileSize));
    FView = nullptr;
}

void TMappedFile::CloseMapping() {
    FMapping = false;
}

void TMappedFile::CloseFile() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
}

#endif
