#include "framework/dynlib.h"

#include "framework/file_utils.h"
#include "framework/large_blocks.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

thread_local std::string t_libraryError;

void NoteLibraryError() {
    const char* e = dlerror();
    t_libraryError = e ? e : "unknown error";
}

// The table of global memory blocks, by handle.
struct Block {
    void* Data = nullptr;
    size_t Size = 0;
    int Locks = 0;
    bool Moveable = false;
    bool Large = false;  // from the large-block arena
};

struct BlockTable {
    std::mutex Mutex;
    std::unordered_map<void*, Block*> ByHandle;
    std::unordered_map<void*, void*> HandleOfData;
};

BlockTable& Blocks() {
    static BlockTable* table = new BlockTable;
    return *table;
}

// Large blocks (pictures) come from the arena of large_blocks.h, the rest from malloc; Large tells
// which.
void* Allocate(size_t bytes, bool zero, bool& large) {
    large = false;
    if (bytes >= LargeBlockMinimum) {
        if (void* p = LargeBlockAlloc(bytes, zero)) {
            large = true;
            return p;
        }
    }
    size_t n = bytes ? bytes : 1;
    return zero ? std::calloc(n, 1) : std::malloc(n);
}

void Release(void* data, bool large) {
    if (large)
        LargeBlockFree(data);
    else
        std::free(data);
}

// The block's data at Bytes, kept up to the shorter of the two sizes; null on failure (the old
// data kept). Small blocks stay with realloc; a block that is or becomes large moves.
void* Resize(Block& block, size_t Bytes) {
    if (!block.Large && Bytes < LargeBlockMinimum) return std::realloc(block.Data, Bytes ? Bytes : 1);
    bool large = false;
    void* data = Allocate(Bytes, false, large);
    if (!data) return nullptr;
    std::memcpy(data, block.Data, std::min(block.Size, Bytes));
    Release(block.Data, block.Large);
    block.Large = large;
    return data;
}

std::mutex g_tickMutex;
std::function<UInt64()> g_tickSource;

}  // namespace

std::string ProgramFolder() {
    return ExtractFilePath(ProgramFileName());
}

namespace {

std::string& WindowsFolder() {
    static std::string folder;
    return folder;
}

}  // namespace

std::string GetWindowsDirectory() {
    if (!WindowsFolder().empty()) return WindowsFolder();
    std::string folder = ProgramFolder();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

void SetWindowsDirectory(const std::string& Folder) {
    WindowsFolder() = Folder;
}

HMODULE LoadLibrary(const std::string& FileName) {
    dlerror();
    void* handle = nullptr;
    if (FileName.find('/') == std::string::npos) {
        std::string local = ProgramFolder() + FileName;
        if (FileExists(local)) handle = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle && !FileName.empty()) handle = dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        t_libraryError.clear();
    else
        NoteLibraryError();
    return handle;
}

FARPROC GetProcAddress(HMODULE Module, const std::string& ProcName) {
    if (!Module) {
        t_libraryError = "invalid library handle";
        return nullptr;
    }
    dlerror();
    void* sym = dlsym(Module, ProcName.c_str());
    if (sym)
        t_libraryError.clear();
    else
        NoteLibraryError();
    return sym;
}

bool FreeLibrary(HMODULE Module) {
    if (!Module) {
        t_libraryError = "invalid library handle";
        return false;
    }
    if (dlclose(Module) != 0) {
        NoteLibraryError();
        return false;
    }
    t_libraryError.clear();
    return true;
}

std::string LastLibraryError() {
    return t_libraryError;
}

// ---- global memory -----------------------------------------------------------------------------

HGLOBAL GlobalAlloc(Cardinal Flags, size_t Bytes) {
    bool large = false;
    void* data = Allocate(Bytes, Flags & GMEM_ZEROINIT, large);
    if (!data) return nullptr;
    auto* block = new Block{data, Bytes, 0, (Flags & GMEM_MOVEABLE) != 0, large};
    void* handle = block->Moveable ? static_cast<void*>(block) : data;
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    t.ByHandle[handle] = block;
    t.HandleOfData[data] = handle;
    return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL Mem, size_t Bytes, Cardinal Flags) {
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    auto it = t.ByHandle.find(Mem);
    if (it == t.ByHandle.end()) return nullptr;
    Block* block = it->second;
    if (block->Moveable && block->Locks > 0 && Bytes > block->Size && !(Flags & GMEM_MOVEABLE)) return nullptr;
    void* data = Resize(*block, Bytes);
    if (!data) return nullptr;
    if ((Flags & GMEM_ZEROINIT) && Bytes > block->Size)
        std::memset(static_cast<char*>(data) + block->Size, 0, Bytes - block->Size);
    t.HandleOfData.erase(block->Data);
    block->Data = data;
    block->Size = Bytes;
    void* handle = Mem;
    if (!block->Moveable && data != Mem) {
        t.ByHandle.erase(it);
        handle = data;
        t.ByHandle[handle] = block;
    }
    t.HandleOfData[data] = handle;
    return handle;
}

void* GlobalLock(HGLOBAL Mem) {
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    auto it = t.ByHandle.find(Mem);
    if (it == t.ByHandle.end()) return nullptr;
    if (it->second->Moveable) ++it->second->Locks;
    return it->second->Data;
}

bool GlobalUnlock(HGLOBAL Mem) {
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    auto it = t.ByHandle.find(Mem);
    if (it == t.ByHandle.end() || !it->second->Moveable) return false;
    if (it->second->Locks > 0) --it->second->Locks;
    return it->second->Locks > 0;
}

size_t GlobalSize(HGLOBAL Mem) {
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    auto it = t.ByHandle.find(Mem);
    return it == t.ByHandle.end() ? 0 : it->second->Size;
}

HGLOBAL GlobalHandle(const void* Address) {
    BlockTable& t = Blocks();
    std::lock_guard<std::mutex> lock(t.Mutex);
    auto it = t.HandleOfData.find(const_cast<void*>(Address));
    return it == t.HandleOfData.end() ? nullptr : it->second;
}

HGLOBAL GlobalFree(HGLOBAL Mem) {
    Block* block;
    {
        BlockTable& t = Blocks();
        std::lock_guard<std::mutex> lock(t.Mutex);
        auto it = t.ByHandle.find(Mem);
        if (it == t.ByHandle.end()) return Mem;
        block = it->second;
        t.ByHandle.erase(it);
        t.HandleOfData.erase(block->Data);
    }
    Release(block->Data, block->Large);
    delete block;
    return nullptr;
}

// ---- time --------------------------------------------------------------------------------------

UInt64 GetTickCount64() {
    {
        std::lock_guard<std::mutex> lock(g_tickMutex);
        if (g_tickSource) return g_tickSource();
    }
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<UInt64>(ts.tv_sec) * 1000 + static_cast<UInt64>(ts.tv_nsec) / 1000000;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

void SetTickCountForTesting(std::function<UInt64()> Source) {
    std::lock_guard<std::mutex> lock(g_tickMutex);
    g_tickSource = std::move(Source);
}

void Sleep(Cardinal Milliseconds) {
    if (Milliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}
