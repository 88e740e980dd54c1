#pragma once

// What must stay the same in an image the checker has read: its size, modification time and
// content. The content is hashed by its data extents, so a sparse file of gigabytes costs only its
// data; a hole reads as zeros, and anything written into it would become a data extent.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace parvex::test {

struct FileFingerprint {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    std::uint64_t hash = 0;

    bool operator==(const FileFingerprint&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const FileFingerprint& f) {
    return os << (f.exists ? "" : "missing ") << "size " << f.size << " mtime " << f.mtimeSec << "." << f.mtimeNsec
              << " hash " << std::hex << f.hash << std::dec;
}

inline void fnv(std::uint64_t& h, const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
}

inline FileFingerprint fingerprint(const std::string& path) {
    FileFingerprint f;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return f;
    f.exists = true;
    f.size = static_cast<std::uint64_t>(st.st_size);
    f.mtimeSec = st.st_mtim.tv_sec;
    f.mtimeNsec = st.st_mtim.tv_nsec;
    f.hash = 0xCBF29CE484222325ull;
    if (!S_ISREG(st.st_mode)) return f;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return f;
    static char buf[1 << 16];
    off_t at = 0;
    for (;;) {
        const off_t data = lseek(fd, at, SEEK_DATA);
        if (data < 0) break;  // no data after at: the rest is a hole
        const off_t hole = lseek(fd, data, SEEK_HOLE);
        fnv(f.hash, &data, sizeof data);
        for (off_t pos = data; pos < hole;) {
            const ssize_t n = pread(fd, buf, static_cast<std::size_t>(std::min<off_t>(sizeof buf, hole - pos)), pos);
            if (n <= 0) break;
            fnv(f.hash, buf, static_cast<std::size_t>(n));
            pos += n;
        }
        fnv(f.hash, &hole, sizeof hole);
        at = hole;
    }
    close(fd);
    return f;
}

// The same for a file whose mode forbids reading: made readable for the moment (a change of mode
// leaves the modification time alone), then given its mode back.
inline FileFingerprint fingerprintAnyMode(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return fingerprint(path);
    chmod(path.c_str(), st.st_mode | S_IRUSR);
    const FileFingerprint f = fingerprint(path);
    chmod(path.c_str(), st.st_mode & 07777);
    return f;
}

}  // namespace parvex::test
