#include "run/Steps.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
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
#include "core/Format.h"
#include "core/Utf8Path.h"
#include "integrity/ChecksumChecks.h"

namespace parvex {
namespace {

static_assert(kFieldCount <= 64, "the shows and writes columns are one bit per field");

using Header = std::array<std::uint8_t, kHeaderSize>;

// A text read from the header: at most max bytes, ending after a line feed (which stays) or at the
// first NUL.
std::string headerText(const Header& h, std::size_t offset, std::size_t max) {
    std::string text;
    for (std::size_t i = offset; i < offset + max; ++i) {
        if (h[i] == 0) break;
        text += static_cast<char>(h[i]);
        if (h[i] == 0x0A) break;
    }
    return text;
}

// The same into a NUL-terminated buffer that holds at most its size less one characters.
template <std::size_t N>
void headerChars(const Header& h, std::size_t offset, std::array<std::uint8_t, N>& out) {
    out.fill(0);
    for (std::size_t i = 0; i + 1 < N && h[offset + i] != 0; ++i) {
        out[i] = h[offset + i];
        if (out[i] == 0x0A) break;
    }
}

std::string headerHex(const Header& h, std::size_t from, std::size_t count) {
    return hexBytes(std::span<const std::uint8_t>(h).subspan(from, count));
}

// The name the file-name check judges and the window shows: as stored on disk where the system
// tells it, as a dropped file's would be.
const std::string& nameOnDisk(const Session& s) { return s.storedName.empty() ? s.fileName : s.storedName; }

// What each step takes from the image record: header values shown, regions and scan results
// handed to the state. Named after what they read; the table below says which step reads what.
namespace reads {

void header(const ImageRecord& r, Session& s) {
    s.state.Header = r.header;
    s.state.File_Size = r.fileSize;
}
void fileName(const ImageRecord&, Session& s) {
    const std::string& name = nameOnDisk(s);
    s.model.setText(Field::File_Name, name.substr(fileNameStart(name)));
}

void gameTitle(const ImageRecord& r, Session& s) {
    s.model.setText(Field::Game_Title, headerText(r.header, kGameTitle, 12));
    s.model.setText(Field::Title_Code, headerHex(r.header, kGameTitle, 12));
}

void gameCode(const ImageRecord& r, Session& s) {
    headerChars(r.header, kGameCode, s.state.Game_Code_Chars);
    s.model.setText(Field::Game_Code, headerHex(r.header, kGameCode, 4));
    s.model.setText(Field::Initial_Code, bufferText(s.state.Game_Code_Chars));
}

void makerCode(const ImageRecord& r, Session& s) {
    headerChars(r.header, kMakerCode, s.state.Maker_Chars);
    s.model.setText(Field::Maker_Code, headerHex(r.header, kMakerCode, 2));
    s.model.setText(Field::Maker_ASCII, bufferText(s.state.Maker_Chars));
}

void releaseVersion(const ImageRecord& r, Session& s) {
    s.model.setText(Field::Mask_Rom_Ver, hex2(r.header[kReleaseVersion]));
}
void productCode(const ImageRecord& r, Session& s) {
    s.model.setText(Field::Product_Code, hex2(r.header[kProductCode]));
}
void deviceCode(const ImageRecord& r, Session& s) {
    s.model.setText(Field::Device_Code, hex2(r.header[kDeviceCode]));
}

void deviceCapacity(const ImageRecord& r, Session& s) {
    s.model.setText(Field::ROM_Code, hex2(r.header[kDeviceCapacity]));
    s.model.setText(Field::ROM, decimal(r.fileSize));
}

void syscallText(const ImageRecord& r, Session& s) {
    s.model.setText(Field::ARM9_ROM_Offset, headerHex(r.header, kArm9RomOffset, 4));
    // Shown unsigned: an offset of FFFFFFFFh is 4294967295, not -1.
    s.model.setText(Field::Edit8, decimal(readLe32(r.header, kArm9RomOffset)));
    s.state.Syscall_Text = r.syscallText;
}

void bannerOffset(const ImageRecord& r, Session& s) {
    s.model.setText(Field::Banner_Offset, headerHex(r.header, kBannerOffset, 4));
}

void secureArea(const ImageRecord& r, Session& s) {
    s.state.Secure_Crc_Stored = readLe16(r.header, kSecureAreaCrc);
    s.model.setText(Field::Secure_CRC, headerHex(r.header, kSecureAreaCrc, 2));
    s.model.setText(Field::Edit11, hex4(*s.state.Secure_Crc_Stored));
    s.state.Secure_Area = r.pass.secureArea;
}

void reservedTail(const ImageRecord& r, Session& s) { s.state.Tail_Used = r.pass.tailUsed; }

void logo(const ImageRecord& r, Session& s) {
    s.model.setText(Field::CRC_logo, headerHex(r.header, kLogoCrc, 2));
    // The logo lies inside the header: its bytes come from the one header read.
    ComputeLogoCrc(std::span<const std::uint8_t>(r.header).subspan<kLogoData, kLogoSize>(), s.model);
}

void headerArea(const ImageRecord& r, Session& s) {
    s.state.Header_Crc_Stored = readLe16(r.header, kHeaderCrc);
    s.model.setText(Field::CRC_header, headerHex(r.header, kHeaderCrc, 2));
    s.model.setText(Field::Edit9, hex4(*s.state.Header_Crc_Stored));
    std::copy_n(r.header.begin(), kHeaderAreaSize, s.state.Header_Area.begin());
}

void securityData(const ImageRecord& r, Session& s) {
    s.state.Security_Data = r.pass.securityData;
    ComputeSecurityDataCrc(s.state, s.model);
}

void segment3(const ImageRecord& r, Session& s) {
    s.state.Segment3_Crc = ComputeSegment3Crc(r.pass.segment3, s.model);
}

void sdkMarkers(const ImageRecord& r, Session& s) {
    std::ranges::copy(r.pass.markers.sdkRows, std::back_inserter(s.model.sdkRows));
}

void middlewareMarkers(const ImageRecord& r, Session& s) {
    if (publishMiddlewareScan(s.model, r.pass.markers.middleware)) s.state.Final_Build = 0;
}

void wastedCapacity(const ImageRecord& r, Session& s) { s.state.Half_Padded = r.pass.halfPadded; }

// The whole-file CRC when the run was asked for it in its pass (the command line's --crc).
void fileCrc(const ImageRecord& r, Session& s) {
    if (r.pass.fileCrc) s.model.setText(Field::CRC_ans, hex4(*r.pass.fileCrc));
}

void caption(const ImageRecord&, Session& s) { s.model.caption = s.fileName; }

}  // namespace reads

// A check over the state and the model, as a step's judgement.
template <void (*Check)(const CheckState&, WindowModel&)>
void judge(Session& s) {
    Check(s.state, s.model);
}

// The judgements that need more than the state, or hand a typed value on.
namespace judges {

void fileName(Session& s) { s.state.Release_Char = CheckFileName(nameOnDisk(s), s.state, s.model); }
// A file written while the run read it gave a report of no single state of it.
void fileUnchanged(Session& s) {
    if (s.fileChanged) addFinding(s.model, Msg::FileChanged);
}
// The maker list is read afresh each time, in the run and in the switch.
void makerCode(Session& s) {
    const std::optional<MakerList> list = readMakerList(s.state.Side_Dirs);
    const std::optional<MakerBuffers> names = CheckMakerCode(s.state, list ? &*list : nullptr, s.model);
    if (!names) return;
    s.state.Maker_Name = names->name;
    s.state.Maker_Name2 = names->name2;
    s.state.Maker_Line = names->line;
}

template <const ReservedRange& Range>
void reservedRange(Session& s) {
    CheckReservedRange(s.state, s.model, Range);
}

}  // namespace judges

constexpr std::uint64_t fields(std::initializer_list<Field> boxes) {
    std::uint64_t set = 0;
    for (Field f : boxes) set |= std::uint64_t{1} << static_cast<unsigned>(f);
    return set;
}

namespace columns {
using enum Field;
constexpr StepInfo kSteps[] = {
#define PARVEX_STEP(id, ...) StepInfo{.step = Step::id, .name = #id, __VA_ARGS__},
#include "run/Steps.def"
};
}  // namespace columns

constexpr Step kSwitchOrder[] = {
#define PARVEX_SWITCH_STEP(name) Step::name,
#include "run/Steps.def"
};

constexpr const StepInfo& row(Step step) { return columns::kSteps[static_cast<std::size_t>(step)]; }

// GCC's UndefinedBehaviorSanitizer makes a function pointer's test against null non-constant, so
// the sanitizer build leaves these two to the plain build.
#ifndef __SANITIZE_ADDRESS__
constexpr bool everyRowDoesSomething() {
    return std::ranges::all_of(columns::kSteps, [](const StepInfo& s) { return s.read || s.check; });
}
static_assert(everyRowDoesSomething(), "a step row names neither a read nor a check");

constexpr bool switchStepsJudgeOnly() {
    return std::ranges::all_of(kSwitchOrder, [](Step s) { return row(s).check != nullptr; });
}
static_assert(switchStepsJudgeOnly(), "the switch makes only steps with a check");
#endif

}  // namespace

std::span<const StepInfo> stepTable() { return columns::kSteps; }

const StepInfo& stepInfo(Step step) { return row(step); }

std::span<const Step> switchSteps() { return kSwitchOrder; }

void runStep(Session& session, Step step, const ImageRecord& record) {
    const StepInfo& s = row(step);
    if (s.read) s.read(record, session);
    if (s.check) s.check(session);
}

void runStep(Session& session, Step step) {
    if (const auto check = row(step).check) check(session);
}

}  // namespace parvex
