// Hands a web address or a document to the desktop's default program.
// No shell ever sees the argument: it goes to xdg-open as one argv entry.
#include "platform/posix/posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs in the forked child: start xdg-open in a grandchild and leave at
// once, so the game never waits for the opener and no zombie is left. The
// grandchild reports a failed exec through the close-on-exec pipe.
[[noreturn]] void RunOpener(const char* argument, int reportFd) {
    pid_t grandchild = fork();
    if (grandchild < 0) {
        int err = errno;
        (void)!write(reportFd, &err, sizeof err);
        _exit(1);
    }
    if (grandchild == 0) {
        int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            close(devNull);
        }
        char program[] = "xdg-open";
        char* argv[] = {program, const_cast<char*>(argument), nullptr};
        execvp(program, argv);
        int err = errno;
        (void)!write(reportFd, &err, sizeof err);
        _exit(127);
    }
    _exit(0);
}

} // namespace

bool PosixLaunchOpener(const char* argument) {
    // An argument that starts with '-' would be read as an option.
    if (argument == nullptr || argument[0] == '\0' || argument[0] == '-') return false;
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        RunOpener(argument, report[1]);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when exec succeeded.
    int err = 0;
    ssize_t n;
    do {
        n = read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    return n == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
