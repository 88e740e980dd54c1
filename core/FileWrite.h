#pragma once

// The few writes the programs make (a report, a sample image), so that none of them can leave half a
// file behind or land on a file it was never meant for. Paths are UTF-8 on every platform; on
// Windows they go through the long-path form, as images do.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace parvex {

// Which file a name reaches, links followed: two names with equal identities are one file, however
// they are spelled.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Other: a device, a FIFO, a pipe, a socket (/dev/null, /dev/stdout, NUL).
enum class PathKind { Absent, Regular, Directory, Other };

struct PathFacts {
    PathKind kind = PathKind::Absent;
    std::optional<FileIdentity> identity;
    std::uint64_t size = 0;
};

// What path names now, links followed.
PathFacts inspectPath(const std::string& path);

// The file, pipe or device standard output writes to, when the system tells its identity.
std::optional<FileIdentity> standardOutputIdentity();

// Writes content into a path that is not a regular file (a device, a FIFO) as it stands, with no
// temporary file. Returns the reason on failure, ready to show.
std::optional<std::string> writeInPlace(const std::string& path, std::string_view content);

struct WholeWrite {
    bool written = false;
    bool existed = false;  // refused because the path exists and replacing was not allowed
    std::string problem;   // why it was not written, ready to show
};

// Writes content to a temporary file beside path's final target (links are followed, never
// replaced) and renames it into place, so a reader never sees half a file and any failure leaves
// the target as it was, with the temporary file removed. An existing target is replaced only with
// replace, only when the process may write it, and keeps its permissions (and, where the process
// may keep it, its owner).
WholeWrite writeWholeFile(const std::string& path, std::string_view content, bool replace);

}  // namespace parvex
