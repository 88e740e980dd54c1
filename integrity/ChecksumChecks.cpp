#include "integrity/ChecksumChecks.h"

#include <array>

#include "core/Findings.h"
#include "core/Format.h"
#include "integrity/CcittCrc.h"
#include "integrity/Crc16.h"

namespace parvex {

namespace {

// Every Segment3 of a valid image carries the same bytes, and so this one CRC.
constexpr std::uint16_t kSegment3Crc = 0x0254;

}  // namespace

// Secure area 0x4000-0x7FFF against the CRC the run read at 0x06C (Edit11 renders it).
void CheckSecureAreaCrc(const CheckState& st, WindowModel& m) {
    const std::uint16_t crc = crc16(0xFFFF, st.Secure_Area.data(), kSecureAreaSize);
    m.setText(Field::Secure_crc_ans, hex4(crc));
    if (st.Secure_Crc_Stored != crc) addFinding(m, Msg::SecureCrcMismatch, {Field::Secure_CRC});
}

// Logo bytes 0x0C0-0x15B; shown, judged by the logo data check.
void ComputeLogoCrc(std::span<const std::uint8_t, kLogoSize> logo, WindowModel& m) {
    m.setText(Field::logo_CRC_test, hex4(crc16(0xFFFF, logo.data(), kLogoSize)));
}

// Header bytes 0x000-0x15D against the CRC the run read at 0x15E (Edit9 renders it).
void CheckHeaderCrc(const CheckState& st, WindowModel& m) {
    const std::uint16_t crc = crc16(0xFFFF, st.Header_Area.data(), kHeaderAreaSize);
    m.setText(Field::Head_CRC, hex4(crc));
    if (st.Header_Crc_Stored != crc) addFinding(m, Msg::HeaderCrcMismatch, {Field::CRC_header});
}

// Security data 0x1000-0x2FFF: shown only.
void ComputeSecurityDataCrc(const CheckState& st, WindowModel& m) {
    m.setText(Field::CRC_Key_table, hex4(crc16(0xFFFF, st.Security_Data.data(), kSecurityDataSize)));
}

// Segment3 0x3000-0x3FFF as the image supplied it; shown, and handed to the Segment3 check.
std::uint16_t ComputeSegment3Crc(std::span<const std::uint8_t> segment3, WindowModel& m) {
    PairSwapCcitt crc;
    crc.update(segment3.data(), segment3.size());
    m.setText(Field::CRC_seg3, hex4(crc.value()));
    return crc.value();
}

// Segment3 must have the one fixed CRC 0254h; a run that computed none fails it.
void CheckSegment3Crc(const CheckState& st, WindowModel& m) {
    if (st.Segment3_Crc == kSegment3Crc) {
        m.setText(Field::Seg3_crc_check, textOf(m, Msg::VerdictOk));
        return;
    }
    m.setText(Field::Seg3_crc_check, textOf(m, Msg::VerdictError));
    addFinding(m, Msg::Segment3Bad, {Field::CRC_seg3, Field::Seg3_crc_check});
}

}  // namespace parvex
