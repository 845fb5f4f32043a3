#pragma once
// Blocks too large to have: pixel blocks, streams and lists sized from outside data are checked
// before they are allocated, and a failed allocation becomes the framework's EOutOfMemory, so
// code that catches Exception sees it instead of std::bad_alloc.

#include <new>
#include <stdexcept>

#include "framework/exceptions.h"
#include "framework/types.h"

// Raises EOutOfMemory "Out of memory".
[[noreturn]] void OutOfMemoryError();

// True when a block of Bytes could be held at all: no more than the machine's memory and swap
// together. Larger requests are refused up front, before the allocator is asked (an allocator
// that overcommits would hand one out and fail only when its pages are touched).
bool MemoryCanHold(UInt64 Bytes);

// Runs Allocate; a failed allocation raises EOutOfMemory with Message.
template <class F>
void AllocateOrRaise(F&& Allocate, const char* Message = "Out of memory") {
    try {
        Allocate();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(Message);
    } catch (const std::length_error&) {
        throw EOutOfMemory(Message);
    }
}
