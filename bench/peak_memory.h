#pragma once
// The resident memory of the benchmark's own process, read from /proc: now and its peak since the
// last ResetPeak, in MiB.

#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

inline void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The value of a "Name:   N kB" line of /proc/self/status in MiB; -1 when it is missing.
inline double StatusMiB(const char* Name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(Name) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::atof(line.c_str() + prefix.size()) / 1024;
    return -1;
}

inline double PeakMiB() { return StatusMiB("VmHWM"); }
inline double CurrentMiB() { return StatusMiB("VmRSS"); }

}  // namespace bench
