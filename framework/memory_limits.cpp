#include "framework/memory_limits.h"

#include <sys/sysinfo.h>

void OutOfMemoryError() {
    throw EOutOfMemory("Out of memory");
}

bool MemoryCanHold(UInt64 Bytes) {
    static const UInt64 limit = [] {
        struct sysinfo info {};
        if (sysinfo(&info) != 0) return ~UInt64(0);
        return (UInt64(info.totalram) + UInt64(info.totalswap)) * UInt64(info.mem_unit ? info.mem_unit : 1);
    }();
    return Bytes <= limit;
}
