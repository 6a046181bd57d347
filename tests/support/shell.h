#pragma once
// Runs a shell command for the tests of the programs, collecting its output.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace landuse::test {

struct ShellResult {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string output;
};

inline ShellResult shell(const std::string& command)
{
    ShellResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.output.append(buffer, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

} // namespace landuse::test
