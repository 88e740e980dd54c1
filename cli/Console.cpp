#include "cli/Console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

namespace parvex::cli {

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

std::string programDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

void ignoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

bool isBrokenPipe(int error) { return error == EPIPE; }

}  // namespace parvex::cli
