#include "integrity/CcittCrc.h"

#include <array>

#include "integrity/CcittKernels.h"

namespace parvex {

namespace ccitt {

namespace {

using SliceTables = std::array<std::array<std::uint16_t, 256>, 16>;

// tables[j][b] = b(x) * x^(16 + 8j) mod P: the remainder of byte b followed by j zero bytes.
// Row 0 is the usual byte table, built by eight shift/XOR steps of 0x1021.
constexpr SliceTables makeSliceTables() {
    SliceTables tables{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned value = b << 8;
        for (int step = 0; step < 8; ++step) value = (value & 0x8000u) ? (value << 1) ^ 0x1021u : value << 1;
        tables[0][b] = static_cast<std::uint16_t>(value);
    }
    for (std::size_t j = 1; j < 16; ++j) {
        for (unsigned b = 0; b < 256; ++b) {
            const unsigned prev = tables[j - 1][b];
            tables[j][b] = static_cast<std::uint16_t>((prev << 8) ^ tables[0][prev >> 8]);
        }
    }
    return tables;
}

constexpr SliceTables kTables = makeSliceTables();

std::uint64_t loadLe64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// File byte j of a 16-byte run is message byte j ^ 1 (pairs swapped) and is followed by
// 15 - (j ^ 1) more message bytes, hence its row.
unsigned row(const std::uint64_t word, unsigned j) {
    return kTables[15 - (j ^ 1u)][(word >> (8 * (j & 7u))) & 0xFFu];
}

}  // namespace

std::uint16_t wordsTable(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    unsigned c = crc;
    while (n >= 16) {
        // The running CRC lines up with the first little-endian word of the run.
        const std::uint64_t a = loadLe64(data) ^ c;
        const std::uint64_t b = loadLe64(data + 8);
        c = row(a, 0) ^ row(a, 1) ^ row(a, 2) ^ row(a, 3) ^ row(a, 4) ^ row(a, 5) ^ row(a, 6) ^ row(a, 7) ^
            row(b, 8) ^ row(b, 9) ^ row(b, 10) ^ row(b, 11) ^ row(b, 12) ^ row(b, 13) ^ row(b, 14) ^ row(b, 15);
        data += 16;
        n -= 16;
    }
    for (; n >= 2; data += 2, n -= 2) {
        const unsigned v = c ^ (static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8);
        c = kTables[1][v >> 8] ^ kTables[0][v & 0xFFu];
    }
    return static_cast<std::uint16_t>(c);
}

std::uint16_t reduce128(std::uint64_t hi, std::uint64_t lo) {
    unsigned c = 0;
    for (unsigned i = 0; i < 8; ++i) {
        c ^= kTables[i][(lo >> (8 * i)) & 0xFFu];
        c ^= kTables[i + 8][(hi >> (8 * i)) & 0xFFu];
    }
    return static_cast<std::uint16_t>(c);
}

}  // namespace ccitt

namespace {

using Kernel = std::uint16_t (*)(std::uint16_t, const std::uint8_t*, std::size_t);

Kernel kernelFor(CcittPath path) {
    switch (path) {
        case CcittPath::Vpclmul: return ccitt::wordsVpclmul;
        case CcittPath::Vpclmul256: return ccitt::wordsVpclmul256;
        case CcittPath::Pclmul: return ccitt::wordsPclmul;
        case CcittPath::Table: break;
    }
    return ccitt::wordsTable;
}

CcittPath usablePath(CcittPath path) { return ccittPathAvailable(path) ? path : CcittPath::Table; }

}  // namespace

bool ccittPathAvailable(CcittPath path) {
    switch (path) {
        case CcittPath::Vpclmul: return ccitt::vpclmulSupported();
        case CcittPath::Vpclmul256: return ccitt::vpclmul256Supported();
        case CcittPath::Pclmul: return ccitt::pclmulSupported();
        case CcittPath::Table: return true;
    }
    return false;
}

CcittPath fastestCcittPath() {
    static const CcittPath kFastest = ccittPathAvailable(CcittPath::Vpclmul)      ? CcittPath::Vpclmul
                                      : ccittPathAvailable(CcittPath::Vpclmul256) ? CcittPath::Vpclmul256
                                      : ccittPathAvailable(CcittPath::Pclmul)     ? CcittPath::Pclmul
                                                                                  : CcittPath::Table;
    return kFastest;
}

const char* ccittPathName(CcittPath path) {
    switch (path) {
        case CcittPath::Table: return "table";
        case CcittPath::Pclmul: return "pclmul";
        case CcittPath::Vpclmul256: return "vpclmul256";
        case CcittPath::Vpclmul: return "vpclmul512";
    }
    return "?";
}

PairSwapCcitt::PairSwapCcitt() : PairSwapCcitt(fastestCcittPath()) {}

PairSwapCcitt::PairSwapCcitt(CcittPath path) : m_path(usablePath(path)), m_kernel(kernelFor(m_path)) {}

void PairSwapCcitt::update(const std::uint8_t* data, std::size_t n) {
    if (n == 0) return;
    if (m_holding) {
        const std::uint8_t pair[2] = {m_held, data[0]};
        m_crc = ccitt::wordsTable(m_crc, pair, 2);
        m_holding = false;
        ++data;
        --n;
    }
    const std::size_t whole = n & ~std::size_t{1};
    m_crc = m_kernel(m_crc, data, whole);
    if (whole != n) {
        m_held = data[whole];
        m_holding = true;
    }
}

std::optional<std::uint16_t> pairSwapCcitt(CcittPath path, const std::uint8_t* data, std::size_t n) {
    if (!ccittPathAvailable(path)) return std::nullopt;
    PairSwapCcitt crc(path);
    crc.update(data, n);
    return crc.value();
}

std::uint16_t crc16_ccitt_file(ImageFile& file) { return crc16_ccitt_file(file, fastestCcittPath()); }

void FileCrcScan::take(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    m_crc.update(bytes.data(), bytes.size());
    m_at = at + bytes.size();
}

std::uint16_t crc16_ccitt_file(ImageFile& file, CcittPath path) {
    // Reads on until the file supplies nothing, so a file that grew or shrank since it was opened
    // is taken as it is now; a read error ends the pass like the end of the file.
    FileCrcScan crc(path);
    feedPass(file, crc);
    return crc.value();
}

std::uint16_t crc16_ccitt_segment3(ImageFile& file) {
    constexpr std::uint64_t kSegment3Offset = 0x3000;
    constexpr std::size_t kSegment3Size = 0x1000;
    const auto block = file.load(kSegment3Offset, kSegment3Size);
    PairSwapCcitt crc;
    crc.update(block.data(), block.size());
    return crc.value();
}

}  // namespace parvex
