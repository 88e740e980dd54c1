#include "checks/ImageChecks.h"

#include <algorithm>

#include "checks/ReferenceLogo.h"
#include "core/Findings.h"

namespace parvex {
namespace {

// Only an offset whose four bytes are all zero counts as not set; any other value passes.
bool offsetUnset(const CheckState& st, std::size_t at) {
    return st.u8(at) == 0 && st.u8(at + 1) == 0 && st.u8(at + 2) == 0 && st.u8(at + 3) == 0;
}

}  // namespace

// The banner offset (0x068-0x06B) must point somewhere.
void CheckBannerOffset(const CheckState& st, WindowModel& m) {
    m.setText(Field::Banner_ans, textOf(m, Msg::VerdictOk));
    if (!offsetUnset(st, kBannerOffset)) return;
    m.setText(Field::Banner_ans, textOf(m, Msg::VerdictError));
    addFinding(m, Msg::BannerNotSet, {Field::Banner_Offset, Field::Banner_ans});
}

// The logo character data (0x0C0-0x15B) must equal our reference logo byte for byte.
void CheckLogoCharacterData(const CheckState& st, WindowModel& m) {
    m.setText(Field::Char_data, textOf(m, Msg::VerdictOk));
    const auto logo = st.Header.begin() + static_cast<std::ptrdiff_t>(kLogoData);
    if (std::equal(kReferenceLogo.begin(), kReferenceLogo.end(), logo)) return;
    m.setText(Field::Char_data, textOf(m, Msg::VerdictError));
    addFinding(m, Msg::LogoBad, {Field::Char_data, Field::CRC_logo, Field::logo_CRC_test});
}

// The application end ROM offset (0x080-0x083) must be set.
void CheckApplicationEndOffset(const CheckState& st, WindowModel& m) {
    if (offsetUnset(st, kAppEndOffset)) addFinding(m, Msg::AppEndNotSet);
}

// The image must be a final build: the marker scan clears Final_Build at the VELTRANE KELBO marker.
void CheckFinalRomBuild(const CheckState& st, WindowModel& m) {
    if (st.Final_Build == 0) addFinding(m, Msg::NotFinalRom);
}

}  // namespace parvex
