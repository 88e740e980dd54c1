#pragma once

// What the fuzz targets share: one scratch directory per process under /tmp, removed at exit, and a
// file writer that never keeps an input's file beyond its run.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace parvex::fuzz {

inline const std::string& scratchDir() {
    // Never destroyed: the exit handler that removes the directory still needs its name.
    static const std::string* const dir = [] {
        std::string pattern = "/tmp/parvex-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        auto* kept = new std::string(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDir(), ec);
        });
        return kept;
    }();
    return *dir;
}

// Writes bytes to path whole, replacing what was there; a failed write is a broken harness.
inline void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// Takes bytes from the front of the input; past its end every take gives zeros.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint32_t le32() {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v |= static_cast<std::uint32_t>(byte()) << (8 * k);
        return v;
    }
    std::string bytes(std::size_t n) {
        std::string s;
        while (n-- > 0 && m_pos < m_size) s += static_cast<char>(m_data[m_pos++]);
        return s;
    }
    const std::uint8_t* rest() const { return m_data + m_pos; }
    std::size_t restSize() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// True when text is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
inline bool validUtf8(const std::string& text) {
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    while (i < text.size()) {
        const std::uint8_t b = at(i);
        std::size_t need = 0;
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (b < 0x80) need = 0;
        else if (b >= 0xC2 && b <= 0xDF) need = 1;
        else if (b == 0xE0) {
            need = 2;
            low = 0xA0;
        } else if (b == 0xED) {
            need = 2;
            high = 0x9F;
        } else if (b >= 0xE1 && b <= 0xEF) need = 2;
        else if (b == 0xF0) {
            need = 3;
            low = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) need = 3;
        else if (b == 0xF4) {
            need = 3;
            high = 0x8F;
        } else return false;
        if (text.size() - i - 1 < need) return false;
        for (std::size_t k = 1; k <= need; ++k) {
            const std::uint8_t c = at(i + k);
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
        }
        i += need + 1;
    }
    return true;
}

}  // namespace parvex::fuzz
