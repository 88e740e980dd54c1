#pragma once

#include <cstdint>

namespace parvex {

// Reflected CRC-16, polynomial 0xA001, over whole 16-bit little-endian words of data: a last odd
// byte is left out. With initial 0xFFFF this is the MODBUS CRC the header checksums store.
std::uint16_t crc16(std::uint16_t initial, const std::uint8_t* data, std::uint32_t length);

}  // namespace parvex
