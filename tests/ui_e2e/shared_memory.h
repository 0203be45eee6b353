// A block of memory that the test shares with the hook DLL inside the
// program, by name: created (or opened, when it is there already) and zeroed,
// and mapped for as long as the object lives.
#pragma once

#include <windows.h>

#include <cstring>

class SharedMemory {
public:
    SharedMemory(const wchar_t* name, DWORD bytes)
        : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes,
                                      name)) {
        if (mapping_) view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, bytes);
        if (view_) std::memset(view_, 0, bytes);
    }
    ~SharedMemory() {
        if (view_) UnmapViewOfFile(view_);
        if (mapping_) CloseHandle(mapping_);
    }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // The block as an array of T; null if it could not be had.
    template <typename T>
    T* As() const {
        return static_cast<T*>(view_);
    }

private:
    HANDLE mapping_;
    void* view_ = nullptr;
};
