// parvex_bench_image PATH SIZE_MIB CODE random|padded|sparse: writes a benchmark image of SIZE_MIB
// MiB with capacity code CODE (hexadecimal). Its first 32 KiB are the sample's (header, secure area,
// an SDK marker) with the code set and the header checksums made right again; the rest is
// pseudo-random data, except that a padded image has its whole second half 0xFF and a sparse one
// is a hole of zeros after its first 32 KiB (large images without the disk space or the page cache).
// Streamed, never held whole.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/RomHeader.h"
#include "tools/SampleImage.h"

namespace {

class Random {
public:
    std::uint64_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc == 5 ? argv[4] : "";
    if (kind != "random" && kind != "padded" && kind != "sparse") {
        std::fprintf(stderr, "usage: %s PATH SIZE_MIB CODE random|padded|sparse\n", argv[0]);
        return 2;
    }
    const std::uint64_t size = std::strtoull(argv[2], nullptr, 10) << 20;
    const auto code = static_cast<std::uint8_t>(std::strtoul(argv[3], nullptr, 16));
    const bool padded = kind == "padded";
    const bool sparse = kind == "sparse";

    std::vector<std::uint8_t> head = parvex::buildSampleImage(parvex::sampleOptionsForName("QPVXJ00.SRL"));
    head.resize(0x8000);
    head[parvex::kDeviceCapacity] = code;
    parvex::finalizeChecksums(head);

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint8_t> chunk(1u << 20);
    Random random;
    bool ok = true;
    for (std::uint64_t at = 0; at < (sparse ? std::min<std::uint64_t>(size, head.size()) : size) && ok;
         at += chunk.size()) {
        for (std::size_t i = 0; i < chunk.size(); i += 8) {
            const std::uint64_t v = random.next();
            for (std::size_t k = 0; k < 8; ++k) chunk[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
        if (padded && at >= size / 2) std::fill(chunk.begin(), chunk.end(), 0xFF);
        if (at == 0) std::copy(head.begin(), head.end(), chunk.begin());
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(sparse ? head.size() : chunk.size(), size - at));
        ok = std::fwrite(chunk.data(), 1, n, out) == n;
    }
    ok = std::fclose(out) == 0 && ok;
    std::error_code ec;
    if (ok && sparse) std::filesystem::resize_file(argv[1], size, ec);
    ok = ok && !ec;
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return ok ? 0 : 1;
}
