// Writes on POSIX systems: a temporary file made with O_EXCL beside the target, then rename(2), or
// renameat2 with RENAME_NOREPLACE when an existing file must not be replaced.
#include "core/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <random>

namespace parvex {
namespace {

std::string reason(int error) { return std::strerror(error ? error : EIO); }

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// The file a chain of symbolic links ends at (the last name itself when it is no link, or when the
// chain is broken: that name is then created). A relative link is read from its own directory.
std::string finalTarget(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        char buf[4096];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return path;
        std::string next(buf, static_cast<std::size_t>(n));
        if (next[0] != '/') {
            const std::size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) next.insert(0, path, 0, slash + 1);
        }
        path = std::move(next);
    }
    return path;
}

// Writes everything to fd; the errno of a failure, or 0.
int writeAll(int fd, std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Closing reports errors that a file system keeps until then (a full disk on NFS, for one).
int writeAndClose(int fd, std::string_view content) {
    int error = writeAll(fd, content);
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without it: a hard link fails just as well on an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

PathFacts inspectPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    PathFacts facts;
    facts.kind = S_ISREG(st.st_mode)   ? PathKind::Regular
                 : S_ISDIR(st.st_mode) ? PathKind::Directory
                                       : PathKind::Other;
    facts.identity = identityOf(st);
    facts.size = static_cast<std::uint64_t>(st.st_size);
    return facts;
}

std::optional<FileIdentity> standardOutputIdentity() {
    struct stat st {};
    if (::fstat(STDOUT_FILENO, &st) != 0) return std::nullopt;
    return identityOf(st);
}

std::optional<std::string> writeInPlace(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + reason(errno);
    if (const int error = writeAndClose(fd, content)) return "cannot write " + path + ": " + reason(error);
    return std::nullopt;
}

WholeWrite writeWholeFile(const std::string& path, std::string_view content, bool replace) {
    WholeWrite result;
    const std::string target = finalTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            result.problem = "cannot write " + path + ": " + reason(EISDIR);
            return result;
        }
        if (!replace) {
            result.existed = true;
            result.problem = path + " exists";
            return result;
        }
        // Renaming over a file needs only the folder's permission: ask the file itself.
        const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0) {
            result.problem = "cannot replace " + path + ": " + reason(errno);
            return result;
        }
        ::close(probe);
    }
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string temp = target + ".tmp" + std::to_string(entropy() % 1000000);
        // Private until it is complete; then the old file's permissions, or a new file's usual ones.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            result.problem = "cannot create a file beside " + path + ": " + reason(errno);
            return result;
        }
        if (exists) {
            // The owner can be kept only by a process allowed to give files away; it is not an error.
            [[maybe_unused]] const int kept = ::fchown(fd, old.st_uid, old.st_gid);
            ::fchmod(fd, old.st_mode & 07777);
        }
        int error = writeAndClose(fd, content);
        std::string problem = error ? "cannot write " + path + ": " + reason(error) : "";
        if (error == 0) {
            error =
                replace ? (::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno) : renameNoReplace(temp, target);
            result.existed = error == EEXIST && !replace;
            problem =
                result.existed ? path + " exists" : "cannot rename into place at " + path + ": " + reason(error);
        }
        if (error == 0) {
            result.written = true;
            return result;
        }
        ::unlink(temp.c_str());
        result.problem = problem;
        return result;
    }
    result.problem = "cannot create a temporary file beside " + path;
    return result;
}

}  // namespace parvex
