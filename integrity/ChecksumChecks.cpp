#include "integrity/ChecksumChecks.h"

#include <array>

#include "core/Findings.h"
#include "core/Format.h"
#include "integrity/CcittCrc.h"
#include "integrity/Crc16.h"

namespace parvex {

// Secure area 0x4000-0x7FFF against the CRC stored at 0x06C (Edit11 holds it high byte first).
void CheckSecureAreaCrc(Session& s) {
    const auto crc = crc16(0xFFFF, s.state.Secure_Area.data(), kSecureAreaSize);
    s.model.setText(Field::Secure_crc_ans, hex4(crc));
    if (s.model.text(Field::Secure_crc_ans) != s.model.text(Field::Edit11))
        addFinding(s.model, Msg::SecureCrcMismatch, {Field::Secure_CRC});
}

// Logo bytes 0x0C0-0x15B read from the image again; shown, judged by the logo data check.
void ComputeLogoCrc(Session& s, ImageFile& file) {
    std::array<std::uint8_t, kLogoSize> logo{};
    file.readAt(kLogoData, logo.data(), logo.size());
    ComputeLogoCrc(s, logo);
}

void ComputeLogoCrc(Session& s, std::span<const std::uint8_t, kLogoSize> logo) {
    s.model.setText(Field::logo_CRC_test, hex4(crc16(0xFFFF, logo.data(), kLogoSize)));
}

// Header bytes 0x000-0x15D against the CRC stored at 0x15E (Edit9 holds it high byte first).
void CheckHeaderCrc(Session& s) {
    const auto crc = crc16(0xFFFF, s.state.Header_Area.data(), kHeaderAreaSize);
    s.model.setText(Field::Head_CRC, hex4(crc));
    if (s.model.text(Field::Head_CRC) != s.model.text(Field::Edit9))
        addFinding(s.model, Msg::HeaderCrcMismatch, {Field::CRC_header});
}

// Security data 0x1000-0x2FFF: shown only.
void ComputeSecurityDataCrc(Session& s) {
    s.model.setText(Field::CRC_Key_table, hex4(crc16(0xFFFF, s.state.Security_Data.data(), kSecurityDataSize)));
}

void ComputeSegment3Crc(Session& s, ImageFile& file) {
    s.model.setText(Field::CRC_seg3, hex4(crc16_ccitt_segment3(file)));
}

void ComputeSegment3Crc(Session& s, std::span<const std::uint8_t> segment3) {
    PairSwapCcitt crc;
    crc.update(segment3.data(), segment3.size());
    s.model.setText(Field::CRC_seg3, hex4(crc.value()));
}

// Segment3 (0x3000-0x3FFF) must have the one fixed CRC 0254h; judged from the shown text.
void CheckSegment3Crc(Session& s) {
    if (s.model.text(Field::CRC_seg3) == "0254") {
        s.model.setText(Field::Seg3_crc_check, "OK");
        return;
    }
    s.model.setText(Field::Seg3_crc_check, "Error");
    addFinding(s.model, Msg::Segment3Bad, {Field::CRC_seg3, Field::Seg3_crc_check});
}

}  // namespace parvex
