#pragma once
// Running an outside program from a test: a shell command line, its exit status and what it
// wrote to standard output (a command ending in 2>&1 gives its errors too).

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace testtools {

struct TToolRun {
    int Status = -1;
    std::string Output;
};

inline TToolRun RunTool(const std::string& Command) {
    TToolRun r;
    std::FILE* p = popen(Command.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.Output.append(buf, n);
    const int status = pclose(p);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace testtools
