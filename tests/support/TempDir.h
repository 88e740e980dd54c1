#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/Utf8Path.h"

namespace parvex::test {

// A fresh directory under the system temp dir, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        // A fresh name each time; create_directory refuses one that exists, so two runs never share.
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate = base / ("parvex-test-" + std::to_string(random()));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) m_path = candidate;
        }
        if (m_path.empty()) std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Names and the paths given back are UTF-8, as everywhere in the system.
    std::string file(std::string_view name) const { return utf8FromPath(m_path / pathFromUtf8(name)); }

    std::string write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = file(name);
        std::ofstream out(pathFromUtf8(p), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    std::string write(std::string_view name, std::string_view text) const {
        const std::string p = file(name);
        std::ofstream out(pathFromUtf8(p), std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return p;
    }

private:
    std::filesystem::path m_path;
};

}  // namespace parvex::test
