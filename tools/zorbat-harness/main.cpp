// zorbat-harness: runs the real game with scripted input, writing screenshots
// and state dumps at chosen frames.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/harness.h"

int main(int argc, char** argv) {
    HarnessOptions options;
    std::string dir;
    int code;
    if (!ParseHarnessArgs(argc, argv, &options, &dir, &code)) return code;
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "zorbat-harness: cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
        return 2;
    }
    return RunHarness(options);
}
