#pragma once

// Runs a program as a child process with a chosen standard output (a file, /dev/full, a closed
// descriptor, a pipe nobody reads, a terminal) and a chosen environment; what it wrote is collected
// from files, so no reader has to keep up with it.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace parvex::test {

enum class Stdout { File, DevFull, Closed, PipeWithoutReader, Descriptor };

struct Child {
    int status = -1;  // exit status, or -1 when a signal ended it
    int signal = 0;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// argv[0] is the program's path; env replaces the environment. scratch: a directory for the
// collected output. fd: standard output when mode is Descriptor.
inline Child runChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      const std::filesystem::path& scratch, Stdout mode = Stdout::File, int fd = -1) {
    const std::string outPath = (scratch / "child.out").string();
    const std::string errPath = (scratch / "child.err").string();
    int pipeFds[2] = {-1, -1};
    if (mode == Stdout::PipeWithoutReader) {
        if (pipe(pipeFds) != 0) std::abort();
        close(pipeFds[0]);
    }
    const pid_t pid = fork();
    if (pid < 0) std::abort();
    if (pid == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        switch (mode) {
            case Stdout::File: dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO); break;
            case Stdout::DevFull: dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO); break;
            case Stdout::Closed: close(STDOUT_FILENO); break;
            case Stdout::PipeWithoutReader: dup2(pipeFds[1], STDOUT_FILENO); break;
            case Stdout::Descriptor: dup2(fd, STDOUT_FILENO); break;
        }
        // Nothing but 0, 1 and 2 may reach the program: a stray descriptor could hide a closed stdout.
        for (int d = 3; d < 256; ++d) close(d);
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> envp;
        envp.reserve(env.size() + 1);
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    int st = 0;
    waitpid(pid, &st, 0);
    Child c;
    if (WIFEXITED(st)) c.status = WEXITSTATUS(st);
    if (WIFSIGNALED(st)) c.signal = WTERMSIG(st);
    if (mode == Stdout::File) c.out = slurp(outPath);
    c.err = slurp(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return c;
}

}  // namespace parvex::test
