#pragma once

// Runs parvex-check as a child process with a time limit, optionally as another user, and collects
// what it printed and how it ended.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace parvex::test {

struct ProcessEnd {
    bool timedOut = false;
    bool exited = false;  // false when a signal ended it (a crash, or the kill after a time-out)
    int status = -1;      // exit status when it exited
    int signal = 0;
    std::string out;
    std::string err;
};

// The user that unreadable files are tried as when the tests run as root.
inline constexpr uid_t kNobody = 65534;

inline ProcessEnd runProcess(const std::vector<std::string>& argv, std::chrono::seconds limit,
                             std::optional<uid_t> asUser = std::nullopt) {
    ProcessEnd end;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return end;
    const pid_t pid = fork();
    if (pid < 0) return end;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        if (asUser && (setgroups(0, nullptr) != 0 || setgid(*asUser) != 0 || setuid(*asUser) != 0)) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int remaining = 2;
    while (remaining > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            end.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[65536];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? end.out : end.err).append(buf, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --remaining;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
    int st = 0;
    waitpid(pid, &st, 0);
    end.exited = WIFEXITED(st);
    if (end.exited) end.status = WEXITSTATUS(st);
    if (WIFSIGNALED(st)) end.signal = WTERMSIG(st);
    return end;
}

}  // namespace parvex::test
