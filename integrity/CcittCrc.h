#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/ImageFile.h"
#include "core/PassFeed.h"

namespace parvex {

// Ways of computing the pair-swapped CCITT CRC. All give the same bits; they differ in speed and in
// the processor features they need.
// Vpclmul256 runs the wide carry-less multiply on 256-bit registers (AVX2 processors without
// AVX-512); Vpclmul on 512-bit ones.
enum class CcittPath { Table, Pclmul, Vpclmul256, Vpclmul };

// Whether this processor (and its operating system) can run the path. Table always can.
bool ccittPathAvailable(CcittPath path);

// The quickest path this processor can run, chosen once.
CcittPath fastestCcittPath();

const char* ccittPathName(CcittPath path);

// CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection) of bytes taken in swapped pairs:
// b0 b1 b2 b3 ... are fed as b1 b0 b3 b2 ...; a trailing odd byte is never fed.
class PairSwapCcitt {
public:
    PairSwapCcitt();
    // A path this processor lacks falls back to Table; path() tells which one runs.
    explicit PairSwapCcitt(CcittPath path);

    // Accepts any chunking: an odd byte is held until its partner arrives.
    void update(const std::uint8_t* data, std::size_t n);

    // CRC of the whole pairs fed so far.
    std::uint16_t value() const { return m_crc; }

    CcittPath path() const { return m_path; }

private:
    using Kernel = std::uint16_t (*)(std::uint16_t crc, const std::uint8_t* data, std::size_t n);

    CcittPath m_path;
    Kernel m_kernel;
    std::uint16_t m_crc = 0;
    std::uint8_t m_held = 0;
    bool m_holding = false;
};

// One-shot CRC of data with the given path; nothing when this processor lacks the path.
std::optional<std::uint16_t> pairSwapCcitt(CcittPath path, const std::uint8_t* data, std::size_t n);

// The whole-file CRC as one consumer of a pass: from offset 0 until the file supplies nothing.
class FileCrcScan : public PassConsumer {
public:
    FileCrcScan() = default;
    explicit FileCrcScan(CcittPath path) : m_crc(path) {}

    ByteRange wants() const override { return {m_at, kToFileEnd}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override;

    std::uint16_t value() const { return m_crc.value(); }
    CcittPath path() const { return m_crc.path(); }

private:
    PairSwapCcitt m_crc;
    std::uint64_t m_at = 0;
};

// The whole file from offset 0 until a read supplies nothing, streamed block by block.
std::uint16_t crc16_ccitt_file(ImageFile& file);
std::uint16_t crc16_ccitt_file(ImageFile& file, CcittPath path);

// Image bytes 0x3000..0x3FFF. An image ending before 0x4000 gives the CRC of the whole pairs that
// exist from 0x3000 to its end (none: 0x0000); nothing beyond the file is ever read or invented.
std::uint16_t crc16_ccitt_segment3(ImageFile& file);

}  // namespace parvex
