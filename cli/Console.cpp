#include "cli/Console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace parvex::cli {

#ifdef _WIN32

bool guardStandardStreams() { return _get_osfhandle(1) == -1; }

bool stdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void ignoreBrokenPipe() {}

bool writeHitClosedPipe(int error) {
    return error == EPIPE || _doserrno == ERROR_NO_DATA || _doserrno == ERROR_BROKEN_PIPE ||
           _doserrno == ERROR_PIPE_NOT_CONNECTED;
}

#else

bool guardStandardStreams() {
    bool stdoutClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (fd == STDOUT_FILENO) stdoutClosed = true;
        // open() takes the lowest free descriptor, which is this one.
        const int null = open("/dev/null", O_RDWR);
        if (null != fd && null >= 0) {
            dup2(null, fd);
            close(null);
        }
    }
    return stdoutClosed;
}

bool stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void ignoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

bool writeHitClosedPipe(int error) { return error == EPIPE; }

#endif

}  // namespace parvex::cli
