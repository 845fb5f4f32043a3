#pragma once
// Operating-system odds and ends the components call by their Windows names: dynamic libraries
// (over dlopen), global memory handles, the millisecond tick count and Sleep.

#include <cstddef>
#include <functional>
#include <string>

#include "framework/types.h"

using HMODULE = void*;
using HINSTANCE = HMODULE;
using FARPROC = void*;
using HGLOBAL = void*;

// Loads a shared library. A bare file name is looked for in the program folder first, then
// where the system looks; a name with a folder is taken as it stands. Answers null on failure
// (LastLibraryError tells why). Loading the same library again counts up its use.
HMODULE LoadLibrary(const std::string& FileName);
// The address of an exported symbol, null when there is none.
FARPROC GetProcAddress(HMODULE Module, const std::string& ProcName);
// Counts down the use of a library; the last use unloads it. Answers false for a bad handle.
bool FreeLibrary(HMODULE Module);
// The system's message for the last failed LoadLibrary, GetProcAddress or FreeLibrary of the
// calling thread ("" after a success).
std::string LastLibraryError();
// The folder of the running program, with a trailing "/".
std::string ProgramFolder();
// The folder where system-wide modules such as the scanner source manager are looked for: the
// program folder (without its trailing "/") unless SetWindowsDirectory chose another; "" goes
// back to the program folder.
std::string GetWindowsDirectory();
void SetWindowsDirectory(const std::string& Folder);

// Global memory. A fixed block's handle is its address; a moveable block has a separate handle
// that GlobalLock turns into the address.
constexpr Cardinal GMEM_FIXED = 0x0000;
constexpr Cardinal GMEM_MOVEABLE = 0x0002;
constexpr Cardinal GMEM_ZEROINIT = 0x0040;
constexpr Cardinal GMEM_SHARE = 0x2000;
constexpr Cardinal GMEM_DDESHARE = GMEM_SHARE;
constexpr Cardinal GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr Cardinal GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Null when the memory cannot be had.
HGLOBAL GlobalAlloc(Cardinal Flags, size_t Bytes);
// Resizes a block (GMEM_ZEROINIT clears the new tail). A moveable block keeps its handle, but a
// locked one grows only when Flags hold GMEM_MOVEABLE; a fixed block's handle becomes its new
// address. Null on failure, the old block kept.
HGLOBAL GlobalReAlloc(HGLOBAL Mem, size_t Bytes, Cardinal Flags);
// The block's address (counting a lock for moveable blocks); null for a bad handle.
void* GlobalLock(HGLOBAL Mem);
// Counts a lock down; answers whether the block is still locked (false for fixed blocks).
bool GlobalUnlock(HGLOBAL Mem);
// The block's size in bytes, 0 for a bad handle.
size_t GlobalSize(HGLOBAL Mem);
// The handle of a block from its address (as GlobalLock gave it), null when unknown.
HGLOBAL GlobalHandle(const void* Address);
// Frees the block: null on success, the handle again when it is not a block.
HGLOBAL GlobalFree(HGLOBAL Mem);

// Milliseconds since an arbitrary start (the system's monotonic clock), wrapping at 2^32.
DWORD GetTickCount();
UInt64 GetTickCount64();
// Replaces the tick source in tests (an empty function restores the clock).
void SetTickCountForTesting(std::function<UInt64()> Source);
// Sleeps the calling thread; 0 gives the rest of its time slice away.
void Sleep(Cardinal Milliseconds);
