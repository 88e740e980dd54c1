#include "cli/Console.h"

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "core/Utf8Path.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace parvex::cli {

#ifdef _WIN32

bool guardStandardStreams() { return _get_osfhandle(1) == -1; }

bool stdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void ignoreBrokenPipe() {}

std::FILE* openForWriting(const std::string& path, bool exclusive) {
    const std::filesystem::path native = pathFromUtf8(path);
    // The C runtime has no exclusive mode for wide names: ask first. The window between is harmless
    // for a report file named by the user.
    std::error_code ec;
    if (exclusive && std::filesystem::exists(std::filesystem::symlink_status(native, ec))) {
        errno = EEXIST;
        return nullptr;
    }
    return _wfopen(native.c_str(), L"wb");
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

std::FILE* openForWriting(const std::string& path, bool exclusive) {
    return std::fopen(path.c_str(), exclusive ? "wbx" : "wb");
}

#endif

bool isBrokenPipe(int error) { return error == EPIPE; }

}  // namespace parvex::cli
