#include "checks/ImageChecks.h"

#include <algorithm>

#include "checks/ReferenceLogo.h"
#include "core/Findings.h"

namespace parvex {
namespace {

constexpr const char* kOk = "OK";
constexpr const char* kError = "Error";

// Only an offset whose four bytes are all zero counts as not set; any other value passes.
bool offsetUnset(const CheckState& st, std::size_t at) {
    return st.u8(at) == 0 && st.u8(at + 1) == 0 && st.u8(at + 2) == 0 && st.u8(at + 3) == 0;
}

}  // namespace

// The banner offset (0x068-0x06B) must point somewhere.
void CheckBannerOffset(Session& s) {
    s.model.setText(Field::Banner_ans, kOk);
    if (!offsetUnset(s.state, kBannerOffset)) return;
    s.model.setText(Field::Banner_ans, kError);
    addFinding(s.model, Msg::BannerNotSet, {Field::Banner_Offset, Field::Banner_ans});
}

// The logo character data (0x0C0-0x15B) must equal our reference logo byte for byte.
void CheckLogoCharacterData(Session& s) {
    s.model.setText(Field::Char_data, kOk);
    const auto logo = s.state.Header.begin() + static_cast<std::ptrdiff_t>(kLogoData);
    if (std::equal(kReferenceLogo.begin(), kReferenceLogo.end(), logo)) return;
    s.model.setText(Field::Char_data, kError);
    addFinding(s.model, Msg::LogoBad, {Field::Char_data, Field::CRC_logo, Field::logo_CRC_test});
}

// The application end ROM offset (0x080-0x083) must be set.
void CheckApplicationEndOffset(Session& s) {
    if (offsetUnset(s.state, kAppEndOffset)) addFinding(s.model, Msg::AppEndNotSet);
}

// The image must be a final build: the marker scan clears Final_Build at the VELTRANE KELBO marker.
void CheckFinalRomBuild(Session& s) {
    if (s.state.Final_Build == 0) addFinding(s.model, Msg::NotFinalRom);
}

}  // namespace parvex
