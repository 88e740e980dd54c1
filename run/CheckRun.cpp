#include <algorithm>
#include <span>

#include "buildinfo/MarkerScan.h"
#include "buildinfo/SyscallCheck.h"
#include "checks/CapacityChecks.h"
#include "checks/DeviceChecks.h"
#include "checks/ImageChecks.h"
#include "checks/MakerCheck.h"
#include "checks/NameChecks.h"
#include "checks/ReleaseCheck.h"
#include "checks/ReservedChecks.h"
#include "core/Findings.h"
#include "core/Format.h"
#include "core/ImageFile.h"
#include "core/Utf8Path.h"
#include "run/Session.h"
#include "integrity/ChecksumChecks.h"

namespace parvex {
namespace {

// A text read: at most max bytes, ending after a line feed (which stays) or at the first NUL.
std::string readText(ImageFile& file, std::uint64_t offset, std::size_t max) {
    std::uint8_t buf[64] = {};
    const std::size_t got = file.readAt(offset, buf, std::min(max, sizeof buf));
    std::string text;
    for (std::size_t i = 0; i < got; ++i) {
        if (buf[i] == 0) break;
        text += static_cast<char>(buf[i]);
        if (buf[i] == 0x0A) break;
    }
    return text;
}

// The line read into Syscall_Text: zero bytes are kept, a line feed ends it, a NUL follows.
void readSyscallText(ImageFile& file, std::uint64_t offset, std::array<std::uint8_t, 33>& out) {
    out.fill(0);
    const std::size_t got = file.readAt(offset, out.data(), 32);
    const auto lf = std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(got), 0x0A);
    if (lf != out.begin() + static_cast<std::ptrdiff_t>(got)) std::fill(lf + 1, out.end(), 0);
}

std::string fileNamePart(const std::string& path) { return path.substr(fileNameStart(path)); }

std::span<const std::uint8_t> headerBytes(const CheckState& st, std::size_t from, std::size_t count) {
    return std::span<const std::uint8_t>(st.Header).subspan(from, count);
}

void resetWindow(Session& s) {
    WindowModel& m = s.model;
    for (Field f : {Field::File_Name, Field::Maker, Field::Maker_Code, Field::Maker_ASCII, Field::ZR_code,
                    Field::ROM, Field::Version, Field::Game_Title, Field::Game_Code, Field::Title_Code,
                    Field::Remaster_Ver, Field::Submission_Ver, Field::Initial_Code}) {
        m.setText(f, "");
        m.setColour(f, Colour::Black);
    }
    clearList(m);
    m.messages.colour = Colour::Black;
    for (Field f : {Field::Product_Code, Field::ROM_Code, Field::ROM_size, Field::Device_Name,
                    Field::Device_Code, Field::Mask_Rom_Ver, Field::libsyscall})
        m.setColour(f, Colour::Black);
    m.setText(Field::MROMctrl, "");
    m.setColour(Field::MROMctrl, Colour::Black);
    for (Field f : {Field::Banner_Offset, Field::R_Area1, Field::R_Area2, Field::Banner_ans, Field::R_Area3,
                    Field::R_Area4, Field::R_Area5, Field::Secure_CRC, Field::CRC_Key_table})
        m.setColour(f, Colour::Black);
    m.setText(Field::CRC_ans, "");
    for (Field f : {Field::CRC_seg3, Field::Seg3_crc_check, Field::Char_data, Field::CRC_logo,
                    Field::logo_CRC_test, Field::CRC_header}) {
        m.setText(f, "");
        m.setColour(f, Colour::Black);
    }
    m.sdkRows.clear();
    m.middlewareRows.clear();
    s.runCarry.reset();
    s.state.Final_Build = 1;
    s.state.Run_Started = 1;
}

}  // namespace

void Session::run() {
    resetWindow(*this);
    auto opened = ImageFile::open(fileName);
    lastOpenFailed = !opened;
    if (!opened) {
        addFinding(model, Msg::OpenFailed);
        return;
    }
    ImageFile& file = *opened;
    file.watch(progress);
    CheckState& st = state;
    WindowModel& m = model;

    file.readAt(0, st.Header.data(), st.Header.size());
    m.setText(Field::File_Name, fileNamePart(fileName));
    CheckFileName(*this);

    m.setText(Field::Game_Title, readText(file, kGameTitle, 12));
    m.setText(Field::Title_Code, hexBytes(headerBytes(st, kGameTitle, 12)));
    CheckGameTitle(*this);

    const std::string code = readText(file, kGameCode, 4);
    m.setText(Field::Game_Code, hexBytes(headerBytes(st, kGameCode, 4)));
    m.setText(Field::Initial_Code, code);
    CheckGameCode(*this);

    const std::string maker = readText(file, kMakerCode, 2);
    st.Maker_Chars.fill(0);
    // Bounded by the buffer as well, so no build can see a way past its terminator.
    std::copy_n(maker.begin(), std::min(maker.size(), st.Maker_Chars.size() - 1), st.Maker_Chars.begin());
    m.setText(Field::Maker_Code, hexBytes(headerBytes(st, kMakerCode, 2)));
    m.setText(Field::Maker_ASCII, maker);
    CheckMakerCode(*this);

    m.setText(Field::Mask_Rom_Ver, hex2(st.u8(kReleaseVersion)));
    CheckReleaseVersion(*this);
    m.setText(Field::Product_Code, hex2(st.u8(kProductCode)));
    CheckProductCode(*this);
    m.setText(Field::Device_Code, hex2(st.u8(kDeviceCode)));
    CheckDeviceCode(*this);
    m.setText(Field::ROM_Code, hex2(st.u8(kDeviceCapacity)));

    st.File_Size = file.size();
    m.setText(Field::ROM, decimal(st.File_Size));
    CheckDeviceCapacity(*this, st.File_Size);

    CheckReservedAndRegionFlags(*this);
    CheckRomSpeedType(*this);
    m.setText(Field::Banner_Offset, hexBytes(headerBytes(st, kBannerOffset, 4)));
    CheckReservedRange(*this, 0x078, 0x07F, Field::R_Area3, Msg::Reserved078);
    CheckReservedRange(*this, 0x090, 0x0BF, Field::R_Area4, Msg::Reserved090);
    CheckReservedRange(*this, 0x160, 0x17F, Field::R_Area5, Msg::Reserved160);

    m.setText(Field::ARM9_ROM_Offset, hexBytes(headerBytes(st, kArm9RomOffset, 4)));
    // Shown unsigned: an offset of FFFFFFFFh is 4294967295, not -1.
    const std::uint32_t arm9Offset = st.le32(kArm9RomOffset);
    m.setText(Field::Edit8, decimal(arm9Offset));
    readSyscallText(file, arm9Offset, st.Syscall_Text);
    CheckSystemCallLibrary(*this);
    CheckRomControlInfo(*this);
    CheckBannerOffset(*this);

    m.setText(Field::Secure_CRC, hexBytes(headerBytes(st, kSecureAreaCrc, 2)));
    m.setText(Field::Edit11, hexBytes(headerBytes(st, kSecureAreaCrc + 1, 1)) +
                                 hexBytes(headerBytes(st, kSecureAreaCrc, 1)));
    file.readAt(kSecureAreaOffset, st.Secure_Area.data(), st.Secure_Area.size());
    CheckSecureAreaCrc(*this);
    CheckApplicationEndOffset(*this);
    ScanReservedTail(*this, file);
    CheckCapacityLimitation(*this);
    CheckLogoCharacterData(*this);

    m.setText(Field::CRC_logo, hexBytes(headerBytes(st, kLogoCrc, 2)));
    ComputeLogoCrc(*this, file);
    m.setText(Field::CRC_header, hexBytes(headerBytes(st, kHeaderCrc, 2)));
    m.setText(Field::Edit9, hexBytes(headerBytes(st, kHeaderCrc + 1, 1)) +
                                hexBytes(headerBytes(st, kHeaderCrc, 1)));
    file.readAt(0, st.Header_Area.data(), st.Header_Area.size());
    CheckHeaderCrc(*this);
    file.readAt(kSecurityDataOffset, st.Security_Data.data(), st.Security_Data.size());
    ComputeSecurityDataCrc(*this);
    ComputeSegment3Crc(*this, file);
    CheckSegment3Crc(*this);

    ScanSdkMarkers(*this, file);
    ScanMiddlewareMarkers(*this, file);
    ScanWastedCapacity(*this, file);
    CheckWastedCapacity(*this);

    opened.reset();
    CheckFinalRomBuild(*this);
    m.caption = fileName;
}

}  // namespace parvex
