#pragma once
// A read-only view of a whole file, opened in three steps as the document needs them: open the file,
// create the mapping, map the view. Releases in the order view, mapping, file.
// POSIX: open + mmap; Windows: CreateFileA, CreateFileMappingA, MapViewOfFile.
//
// Another program may truncate the file while it is shown. Windows refuses to truncate a mapped file;
// on POSIX, touching a page past the new end raises SIGBUS. Copying the file would cost the zero-copy
// opening, so instead every view is registered, and a SIGBUS handler puts a page of zero bytes in place
// of each vanished page of a registered view: the program goes on, the lost bytes read as NUL (shown as
// invalid characters), and Truncated() tells that the file changed. Faults elsewhere keep their usual
// meaning.
#include <cstdint>
#include <string>

class TMappedFile {
public:
    TMappedFile() = default;
    ~TMappedFile() { Close(); }
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    // Opens an existing regular file for reading; others may go on reading, writing, deleting or
    // renaming it. Never blocks (a FIFO or device is refused, not waited on). False on failure.
    bool OpenFile(const std::string& Path);
    // Size of the open file as it was when opened, 64-bit.
    uint64_t FileSize() const { return FFileSize; }
    // False for an empty file, as there is nothing to map.
    bool CreateMapping();
    bool MapView();
    const char* ViewBase() const { return FView; }

    bool FileOpen() const;
    // True once a part of the view vanished because the file was truncated after it was mapped.
    bool Truncated() const;
    bool MappingOpen() const { return FMapping; }

    void UnmapView();
    void CloseMapping();
    void CloseFile();
    void Close() {
        UnmapView();
        CloseMapping();
        CloseFile();
    }

private:
#ifdef _WIN32
    void* FHandle = reinterpret_cast<void*>(-1); // INVALID_HANDLE_VALUE
    void* FMappingHandle = nullptr;
#else
    int FFd = -1;
#endif
    bool FMapping = false;
    const char* FView = nullptr;
    int FSlot = -1; // registration of the view for the truncation guard
    uint64_t FFileSize = 0;
};
