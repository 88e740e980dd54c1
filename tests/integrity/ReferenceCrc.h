#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Slow, literal routines the fast ones are held against. They live here only.
namespace parvex::reference {

// Reflected CRC-16 (0xA001), one bit at a time, over whole 16-bit words only.
inline std::uint16_t bitwiseCrc16(std::uint16_t initial, const std::uint8_t* data, std::size_t length) {
    unsigned crc = initial;
    for (std::size_t i = 0; i < length / 2 * 2; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

inline std::array<std::uint16_t, 256> ccittByteTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x8000u) ? ((value << 1) & 0xFFFFu) ^ 0x1021u : (value << 1) & 0xFFFFu;
        table[i] = static_cast<std::uint16_t>(value);
    }
    return table;
}

inline std::uint16_t ccittUpdate(std::uint16_t crc, std::uint8_t b) {
    static const std::array<std::uint16_t, 256> kTable = ccittByteTable();
    return static_cast<std::uint16_t>(((crc << 8) & 0xFFFF) ^ kTable[((crc >> 8) ^ b) & 0xFFu]);
}

// Hands over a byte stream in swapped pairs, getting bytes one at a time like a C stream with an
// end-of-file indicator; an incomplete last pair is never delivered.
class PairSwapReader {
public:
    explicit PairSwapReader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    std::optional<std::uint8_t> next() {
        if (!m_odd) {
            m_first = getc();
            m_second = getc();
            if (m_eof) return std::nullopt;
            m_odd = true;
            return m_second;
        }
        m_odd = false;
        return m_first;
    }

private:
    std::uint8_t getc() {
        if (m_pos >= m_bytes.size()) {
            m_eof = true;
            return 0;
        }
        return m_bytes[m_pos++];
    }

    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_pos = 0;
    std::uint8_t m_first = 0;
    std::uint8_t m_second = 0;
    bool m_odd = false;
    bool m_eof = false;
};

inline std::uint16_t literalPairSwapCcitt(const std::vector<std::uint8_t>& bytes) {
    PairSwapReader reader(bytes);
    std::uint16_t crc = 0;
    while (const auto b = reader.next()) crc = ccittUpdate(crc, *b);
    return crc;
}

}  // namespace parvex::reference
