// Helpers for tests that run the game's programs and read what they leave.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace run_util {

// Runs a command line with the shell; "exit-code|output" (stdout and stderr),
// or "signal|output" when it did not exit by itself.
inline std::string Shell(const std::string& cmd) {
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    std::string out;
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    const int status = p ? pclose(p) : -1;
    if (!WIFEXITED(status)) return "signal|" + out;
    return std::to_string(WEXITSTATUS(status)) + "|" + out;
}

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// One integer field of a state dump ("scene", "runTotal", ...); -9999 when absent.
inline int Field(const std::string& json, const char* key) {
    const std::string k = std::string("\"") + key + "\":";
    const size_t at = json.find(k);
    return at == std::string::npos ? -9999 : std::atoi(json.c_str() + at + k.size());
}

}  // namespace run_util
