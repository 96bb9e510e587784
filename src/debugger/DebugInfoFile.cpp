#include "debugger/DebugInfoFile.h"

#include <windows.h>


namespace {

// A read-only view of the whole file; false after "Couldn't open file" (no mapping, as
// for an empty file) or "Couldn't map view of file with MapViewOfFile()".
bool MapFile(const DebugInfo &info, void *file, HANDLE *mapping, const uint8_t **view, size_t *size) {
    DWORD high = 0;
    DWORD low = GetFileSize(static_cast<HANDLE>(file), &high);
    HANDLE map = low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR
                     ? nullptr
                     : CreateFileMappingA(static_cast<HANDLE>(file), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!map || high != 0) {   // a 32-bit program's image is never 4 GB long
        if (map)
            CloseHandle(map);
        if (info.report)
            info.report(kDbgCouldNotOpen, DebugInfoMessageText(kDbgCouldNotOpen));
        return false;
    }
    void *bytes = MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0);
    if (!bytes) {
        CloseHandle(map);
        if (info.report)
            info.report(kDbgCouldNotMapView, DebugInfoMessageText(kDbgCouldNotMapView));
        return false;
    }
    *mapping = map;
    *view = static_cast<const uint8_t *>(bytes);
    *size = low;
    return true;
}

void Unmap(ImageInfo &image) {
    if (image.view && image.mapping) {
        UnmapViewOfFile(image.view);
        CloseHandle(static_cast<HANDLE>(image.mapping));
    }
    image.view = nullptr;
    image.mapping = nullptr;
}

}  // namespace

bool OpenExecutable(DebugInfo &info, void *file, uint32_t loadAddress, const char *name) {
    CloseDebugInfo(info);
    HANDLE mapping = nullptr;
    const uint8_t *view = nullptr;
    size_t size = 0;
    if (!MapFile(info, file, &mapping, &view, &size))
        return false;
    bool read = ReadExecutable(info, view, size, loadAddress, name);
    info.exe.mapping = mapping;
    if (!read)
        Unmap(info.exe);
    return read;
}

uint32_t OpenDllInfo(DebugInfo &info, DllRecord *dll) {
    HANDLE mapping = nullptr;
    const uint8_t *view = nullptr;
    size_t size = 0;
    if (!dll || dll->image.view || !MapFile(info, dll->file, &mapping, &view, &size))
        return 0;
    uint32_t added = LoadDllInfo(info, dll, view, size);
    dll->image.mapping = mapping;
    return added;
}

void CloseDll(DebugInfo &info, DllRecord *dll) {
    if (!dll)
        return;
    Unmap(dll->image);
    ReleaseDll(info, dll);
}

void CloseDebugInfo(DebugInfo &info) {
    Unmap(info.exe);
    for (auto &dll : info.dlls)
        Unmap(dll->image);
    ReleaseDebugInfo(info);
}
