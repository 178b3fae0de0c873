#pragma once
// What the lab tests that run the real portmesa-cli share: its outcome, the files it wrote,
// and the folder the test executable (and the programs built beside it) live in.
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace pm::lab {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string ExecutableFolder() {
    char buffer[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string exe(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.find_last_of('/'));
}

}  // namespace pm::lab
