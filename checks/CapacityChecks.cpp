#include "checks/CapacityChecks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "core/Findings.h"

namespace parvex {
namespace {

struct RomControlPattern {
    std::array<std::uint8_t, 8> low;   // 0x060-0x067
    std::array<std::uint8_t, 2> high;  // 0x06E-0x06F
    bool maskRom;
    const char* version;
    Colour versionColour;
};

constexpr RomControlPattern kRomControlPatterns[] = {
    {{0x00, 0x60, 0x58, 0x00, 0xF8, 0x08, 0x18, 0x00}, {0x1E, 0x05}, true, "0", Colour::Black},
    {{0x17, 0x60, 0x41, 0x00, 0xF8, 0x08, 0x18, 0x00}, {0x1E, 0x05}, true, "1", Colour::Blue},
    {{0x57, 0x66, 0x41, 0x00, 0xF8, 0x08, 0x18, 0x08}, {0x7E, 0x0D}, false, "0", Colour::Black},
};

constexpr std::uint8_t kCode64Mbit = 0x06;
constexpr std::uint8_t kCode1Gbit = 0x0A;
constexpr std::uint8_t kCode2Gbit = 0x0B;
constexpr std::uint64_t kSize1Gbit = 0x8000000;
constexpr std::uint64_t kSize2Gbit = 0x10000000;
constexpr std::uint64_t kSmallestScannedSize = 0x800000;

// The end of a 1, 2 or 4 Gbit chip that the image must leave at 0xFF.
struct ReservedTail {
    std::uint8_t code;
    std::uint64_t fileSize;
    std::uint64_t length;
    Msg message;
};

constexpr ReservedTail kReservedTails[] = {
    {kCode1Gbit, kSize1Gbit, 0x280000, Msg::Tail1Gbit},
    {kCode2Gbit, kSize2Gbit, 0x500000, Msg::Tail2Gbit},
    {0x0C, 0x20000000, 0xA60000, Msg::Tail4Gbit},
};

// Uniformity is judged in whole blocks of this size: a half that is not a multiple never counts.
constexpr std::size_t kPadBlock = 16384;

// True when every byte of data equals value. Whole 256-byte runs are compared word by word against
// the repeated value (the compiler widens the loop), the rest byte by byte.
bool matchesFill(std::span<const std::uint8_t> data, std::uint8_t value) {
    constexpr std::size_t kRun = 256;
    const std::uint64_t pattern = 0x0101010101010101u * value;
    const std::uint8_t* p = data.data();
    std::size_t at = 0;
    for (; data.size() - at >= kRun; at += kRun) {
        std::uint64_t differ = 0;
        for (std::size_t k = 0; k < kRun; k += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + at + k, 8);
            differ |= word ^ pattern;
        }
        if (differ != 0) return false;
    }
    for (; at < data.size(); ++at)
        if (p[at] != value) return false;
    return true;
}

// The bytes of data equal to 0xFF, eight at a time: bit 7 of a byte of the mask is set exactly
// when the byte is 0xFF (its low seven bits plus one carry into bit 7, and its own bit 7 is set).
// Each byte of sums stays below 256 over 255 words before they are added up.
std::uint64_t countFF(std::span<const std::uint8_t> data) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    constexpr std::size_t kWordsPerSum = 255;
    const std::uint8_t* p = data.data();
    std::uint64_t count = 0;
    std::size_t at = 0;
    while (data.size() - at >= 8) {
        const std::size_t words = std::min(kWordsPerSum, (data.size() - at) / 8);
        std::uint64_t sums = 0;
        for (std::size_t k = 0; k < words; ++k, at += 8) {
            std::uint64_t w;
            std::memcpy(&w, p + at, 8);
            sums += (((w & kLow7) + kOnes) & w & kHigh) >> 7;
        }
        for (unsigned b = 0; b < 8; ++b) count += (sums >> (8 * b)) & 0xFF;
    }
    for (; at < data.size(); ++at) count += p[at] == 0xFF;
    return count;
}

// Bytes other than 0xFF; blocks that are all 0xFF are passed over at once.
std::uint64_t countUsed(std::span<const std::uint8_t> data) {
    std::uint64_t used = 0;
    for (std::size_t at = 0; at < data.size(); at += kPadBlock) {
        const std::span<const std::uint8_t> piece = data.subspan(at, std::min(kPadBlock, data.size() - at));
        if (!matchesFill(piece, 0xFF)) used += piece.size() - countFF(piece);
    }
    return used;
}

const ReservedTail* tailForCode(std::uint8_t code) {
    for (const ReservedTail& t : kReservedTails)
        if (t.code == code) return &t;
    return nullptr;
}

const RomControlPattern* matchRomControl(const CheckState& st) {
    for (const RomControlPattern& p : kRomControlPatterns) {
        const std::span<const std::uint8_t> header(st.Header);
        if (std::ranges::equal(p.low, header.subspan(kRomControlA, p.low.size())) &&
            std::ranges::equal(p.high, header.subspan(kRomControlB, p.high.size())))
            return &p;
    }
    return nullptr;
}

}  // namespace

// The memory type (0x060-0x067, 0x06E-0x06F) must be a known pattern that suits the capacity (0x014).
void CheckRomControlInfo(const CheckState& st, WindowModel& m) {
    const std::uint8_t code = st.u8(kDeviceCapacity);
    const RomControlPattern* p = matchRomControl(st);
    if (!p) {
        addFinding(m, Msg::RomControlBad, {Field::MROMctrl});
        m.setText(Field::MROMctrl, textOf(m, Msg::VerdictError));
        // MROM_Ver is never reset by the run: leave no earlier image's value in it.
        m.setText(Field::MROM_Ver, "");
        m.setColour(Field::MROM_Ver, Colour::Black);
        return;
    }
    if (p->maskRom && code >= kCode1Gbit) addFinding(m, Msg::MaskRomTooLarge, {Field::MROMctrl});
    if (!p->maskRom && code == kCode64Mbit) addFinding(m, Msg::OneTimeProm64Mbit);
    m.setText(Field::MROM_Ver, p->version);
    m.setColour(Field::MROM_Ver, p->versionColour);
    m.setText(Field::MROMctrl, textOf(m, p->maskRom ? Msg::MaskRomName : Msg::OneTimePromName));
}

ReservedTailScan::ReservedTailScan(std::uint8_t capacityCode, std::uint64_t fileSize) {
    const ReservedTail* tail = tailForCode(capacityCode);
    if (!tail || tail->fileSize != fileSize) return;
    m_at = fileSize - tail->length;
    m_to = fileSize;
}

void ReservedTailScan::take(std::uint64_t, std::span<const std::uint8_t> bytes) {
    m_used += static_cast<std::uint32_t>(countUsed(bytes));
    m_at += bytes.size();
}

void ReservedTailScan::end() {
    // Bytes the file no longer supplies cannot be shown to be 0xFF.
    m_used += static_cast<std::uint32_t>(m_to - m_at);
    m_at = m_to;
}

WastedCapacityScan::WastedCapacityScan(std::uint8_t capacityCode, std::uint64_t fileSize) {
    if (capacityCode <= kCode64Mbit || fileSize <= kSmallestScannedSize) return;
    m_half = fileSize >> 1;
    if (m_half % kPadBlock != 0) return;
    m_decided = false;
    m_at = m_half;
    m_to = 2 * m_half;
    // A 2 Gbit image whose data does not fit a 1 Gbit chip's usable part is not wasting space.
    if (capacityCode == kCode2Gbit && fileSize == kSize2Gbit) m_at = m_half - tailForCode(kCode1Gbit)->length;
}

void WastedCapacityScan::take(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    if (at < m_half) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), m_half - at));
        if (!matchesFill(bytes.first(n), 0xFF)) {
            m_decided = true;
            return;
        }
        bytes = bytes.subspan(n);
        at += n;
    }
    if (!bytes.empty()) {
        if (at == m_half) m_fill = bytes[0];
        if (!matchesFill(bytes, m_fill)) {
            m_decided = true;
            return;
        }
    }
    m_at = at + bytes.size();
}

void WastedCapacityScan::end() {
    if (!m_decided && m_at == m_to) m_padded = 1;
    m_decided = true;
}

// Reports a used reserved tail, by the capacity code (0x014).
void CheckCapacityLimitation(const CheckState& st, WindowModel& m) {
    if (st.Tail_Used == 0) return;
    if (const ReservedTail* tail = tailForCode(st.u8(kDeviceCapacity))) addFinding(m, tail->message);
}

// Notices an image whose second half is padding: a smaller device would hold it.
void CheckWastedCapacity(const CheckState& st, WindowModel& m) {
    if (st.Half_Padded != 1) return;
    addFinding(m, Msg::WastedCapacity, {Field::ROM_Code, Field::ROM_size});
}

}  // namespace parvex
