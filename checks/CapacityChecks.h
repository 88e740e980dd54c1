#pragma once

// ROM control information and the capacity limits.

#include <cstdint>
#include <span>

#include "core/CheckState.h"
#include "core/PassFeed.h"
#include "core/WindowModel.h"

namespace parvex {

// The bytes other than 0xFF in the reserved tail of an exact 1, 2 or 4 Gbit image (capacity code
// and size as measured); bytes the file no longer supplies count as used. The whole tail is read.
class ReservedTailScan : public PassConsumer {
public:
    ReservedTailScan(std::uint8_t capacityCode, std::uint64_t fileSize);

    ByteRange wants() const override { return {m_at, m_to}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override;
    void end() override;

    std::uint32_t tailUsed() const { return m_used; }

private:
    std::uint64_t m_at = 0;
    std::uint64_t m_to = 0;
    std::uint32_t m_used = 0;
};

// Whether the second half of an image above 64 Mbit is one repeated byte value (a 2 Gbit image only
// when its data also fits a 1 Gbit chip); stops wanting bytes at the first one that breaks it.
class WastedCapacityScan : public PassConsumer {
public:
    WastedCapacityScan(std::uint8_t capacityCode, std::uint64_t fileSize);

    ByteRange wants() const override { return {m_at, m_decided ? m_at : m_to}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override;
    void end() override;

    std::uint32_t halfPadded() const { return m_padded; }

private:
    std::uint64_t m_half = 0;
    std::uint64_t m_at = 0;
    std::uint64_t m_to = 0;
    bool m_decided = true;
    std::uint32_t m_padded = 0;
    std::uint8_t m_fill = 0;
};

void CheckRomControlInfo(const CheckState& st, WindowModel& m);
void CheckCapacityLimitation(const CheckState& st, WindowModel& m);
void CheckWastedCapacity(const CheckState& st, WindowModel& m);

}  // namespace parvex
