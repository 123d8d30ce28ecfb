// Runs a piece of a test in a child process with a time limit, for readers
// that once blocked for ever on hostile input (a FIFO's open, /dev/zero): a
// regression then fails the test in seconds instead of hanging the suite.
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// The body's result as the child's exit status (0..255; 255 when it threw),
// or -1 when the child had to be killed after `seconds` or died of a signal.
inline int RunInChild(const std::function<int()>& body, int seconds) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        // The child never returns into the test framework, not even by an
        // exception.
        int code = 255;
        try {
            code = body() & 0xFF;
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    for (int waited = 0; waited < seconds * 100; ++waited) {
        if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}
