#include <algorithm>

#include "buildinfo/SyscallCheck.h"
#include "checks/CapacityChecks.h"
#include "checks/DeviceChecks.h"
#include "checks/ImageChecks.h"
#include "checks/MakerCheck.h"
#include "checks/NameChecks.h"
#include "checks/ReleaseCheck.h"
#include "checks/ReservedChecks.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "integrity/ChecksumChecks.h"

namespace parvex {
namespace {

struct LanguageText {
    Control control;
    Property property;
    const char* english;
    const char* japanese;
};

constexpr LanguageText kLanguageTexts[] = {
#define PARVEX_TEXT(control, property, en, ja) {Control::control, Property::property, en, ja},
#include "core/LanguageTable.def"
#undef PARVEX_TEXT
};

}  // namespace

std::vector<Control> languageTableControls() {
    std::vector<Control> controls;
    for (const LanguageText& t : kLanguageTexts)
        if (std::find(controls.begin(), controls.end(), t.control) == controls.end()) controls.push_back(t.control);
    return controls;
}

void Session::switchLanguage() {
    clearList(model);
    setListText(model, Msg::VersionBanner);
    const bool toJapanese = model.language() == Language::English;
    for (const LanguageText& t : kLanguageTexts)
        model.control(t.control)[t.property] = toJapanese ? t.japanese : t.english;
    if (state.Run_Started != 1) return;
    // Nothing was read from an image that did not open: re-running the checks would judge the
    // previous image's bytes (or all zeros) under this name. Say again what happened instead.
    if (lastOpenFailed) {
        addFinding(model, Msg::OpenFailed);
        return;
    }

    // The checks that need only the CheckState, in the switch's own order.
    CheckFileName(*this);
    CheckGameTitle(*this);
    CheckGameCode(*this);
    ShowMakerName(*this);
    CheckMakerCode(*this);
    CheckReleaseVersion(*this);
    CheckProductCode(*this);
    CheckDeviceCode(*this);
    CheckDeviceCapacity(*this, state.File_Size);
    CheckReservedAndRegionFlags(*this);
    CheckRomSpeedType(*this);
    CheckReservedRange(*this, 0x078, 0x07F, Field::R_Area3, Msg::Reserved078);
    CheckReservedRange(*this, 0x090, 0x0BF, Field::R_Area4, Msg::Reserved090);
    CheckReservedRange(*this, 0x160, 0x17F, Field::R_Area5, Msg::Reserved160);
    CheckSystemCallLibrary(*this);
    CheckRomControlInfo(*this);
    CheckBannerOffset(*this);
    CheckSecureAreaCrc(*this);
    CheckLogoCharacterData(*this);
    CheckHeaderCrc(*this);
    CheckSegment3Crc(*this);
    CheckFinalRomBuild(*this);
    CheckApplicationEndOffset(*this);
    CheckCapacityLimitation(*this);
    CheckWastedCapacity(*this);
}

}  // namespace parvex
