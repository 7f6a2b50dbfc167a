#include "MappedFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

#ifdef _WIN32

bool TMappedFile::FileOpen() const {
    return FHandle != INVALID_HANDLE_VALUE;
}

// Windows refuses to truncate a file while it is mapped.
bool TMappedFile::Truncated() const {
    return false;
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

namespace {

// Views the SIGBUS handler may repair. Plain atomics only: the handler reads them asynchronously.
struct TGuardSlot {
    std::atomic<uintptr_t> Start{0};
    std::atomic<size_t> Length{0};
    std::atomic<bool> Hit{false};
};
constexpr int kGuardSlots = 64;
TGuardSlot GuardSlots[kGuardSlots];
struct sigaction PreviousBusAction;
long PageSize = 4096;

void OnBusError(int Sig, siginfo_t* Info, void* Context) {
    const uintptr_t Addr = reinterpret_cast<uintptr_t>(Info->si_addr);
    for (TGuardSlot& S : GuardSlots) {
        const uintptr_t Start = S.Start.load(std::memory_order_acquire);
        const size_t Len = S.Length.load(std::memory_order_acquire);
        if (Start == 0 || Addr < Start || Addr - Start >= Len) continue;
        const uintptr_t Page = Addr & ~uintptr_t(PageSize - 1);
        // A zero page over the vanished one; the faulting read is then repeated and sees NUL bytes.
        if (::mmap(reinterpret_cast<void*>(Page), size_t(PageSize), PROT_READ,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            S.Hit.store(true, std::memory_order_relaxed);
            return;
        }
        break;
    }
    // Not ours: behave as if we had never been here.
    if (PreviousBusAction.sa_flags & SA_SIGINFO) {
        if (PreviousBusAction.sa_sigaction) {
            PreviousBusAction.sa_sigaction(Sig, Info, Context);
            return;
        }
    } else if (PreviousBusAction.sa_handler != SIG_DFL && PreviousBusAction.sa_handler != SIG_IGN) {
        PreviousBusAction.sa_handler(Sig);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
    ::raise(SIGBUS);
}

void InstallBusHandler() {
    static std::once_flag Once;
    std::call_once(Once, [] {
        PageSize = ::sysconf(_SC_PAGESIZE);
        struct sigaction A = {};
        A.sa_sigaction = OnBusError;
        A.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&A.sa_mask);
        ::sigaction(SIGBUS, &A, &PreviousBusAction);
    });
}

int RegisterView(const void* Start, size_t Length) {
    InstallBusHandler();
    for (int I = 0; I < kGuardSlots; ++I) {
        uintptr_t Expected = 0;
        if (GuardSlots[I].Start.compare_exchange_strong(Expected, reinterpret_cast<uintptr_t>(Start))) {
            GuardSlots[I].Hit.store(false, std::memory_order_relaxed);
            GuardSlots[I].Length.store(Length, std::memory_order_release);
            return I;
        }
    }
    return -1; // more views than slots: that one stays unguarded
}

void UnregisterView(int Slot) {
    if (Slot < 0) return;
    GuardSlots[Slot].Length.store(0, std::memory_order_release);
    GuardSlots[Slot].Start.store(0, std::memory_order_release);
}

} // namespace

bool TMappedFile::Truncated() const {
    return FSlot >= 0 && GuardSlots[FSlot].Hit.load(std::memory_order_relaxed);
}

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
    FSlot = RegisterView(P, size_t(FFileSize));
    return true;
}

void TMappedFile::UnmapView() {
    if (!FView) return;
    UnregisterView(FSlot);
    FSlot = -1;
    ::munmap(const_cast<char*>(FView), size_t(FFileSize));
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
