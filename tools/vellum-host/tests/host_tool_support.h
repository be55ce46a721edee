// Scratch files and the vellum-host program run as a child process.
#ifndef VELLUM_TOOLS_HOST_TESTS_HOST_TOOL_SUPPORT_H
#define VELLUM_TOOLS_HOST_TESTS_HOST_TOOL_SUPPORT_H

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A path under the tests' scratch directory, unique to this process and `name`.
inline std::string ScratchPath(const std::string& name) {
    return std::string(VELLUM_HOST_TEST_TMP) + std::to_string(getpid()) + "-" + name;
}

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWhole(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct HostRun {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs vellum-host with `args`, capturing both outputs.
inline HostRun RunHost(const std::vector<std::string>& args) {
    static int runs = 0;
    const std::string base = ScratchPath("run" + std::to_string(++runs));
    std::string command = ShellQuoted(VELLUM_HOST_PROGRAM);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " >" + ShellQuoted(base + ".out") + " 2>" + ShellQuoted(base + ".err");
    const int raw = std::system(command.c_str());
    const HostRun run{raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWhole(base + ".out"),
                      ReadWhole(base + ".err")};
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}

#endif  // VELLUM_TOOLS_HOST_TESTS_HOST_TOOL_SUPPORT_H
