#include "run/Steps.h"

#include <algorithm>
#include <iterator>
#include <cassert>
#include <initializer_list>
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
#include "core/Utf8Path.h"
#include "integrity/ChecksumChecks.h"
#include "run/ImagePass.h"

namespace parvex {
namespace {

static_assert(kFieldCount <= 64, "the writes column is one bit per field");

ImageFile& image(std::optional<ImageFile>& file) {
    assert(file && "a step that reads the image runs only inside a check run");
    return *file;
}

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

// A text read into a NUL-terminated buffer that holds at most its size less one characters.
template <std::size_t N>
void readChars(ImageFile& file, std::uint64_t offset, std::array<std::uint8_t, N>& out) {
    const std::string text = readText(file, offset, N - 1);
    out.fill(0);
    for (std::size_t i = 0; i < text.size() && i + 1 < N; ++i) out[i] = static_cast<std::uint8_t>(text[i]);
}

// The line read into Syscall_Text: zero bytes are kept, a line feed ends it, a NUL follows.
void readSyscallText(ImageFile& file, std::uint64_t offset, std::array<std::uint8_t, 33>& out) {
    out.fill(0);
    const std::size_t got = file.readAt(offset, out.data(), 32);
    const auto lf = std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(got), 0x0A);
    if (lf != out.begin() + static_cast<std::ptrdiff_t>(got)) std::fill(lf + 1, out.end(), 0);
}

std::string fileNamePart(const std::string& path) { return path.substr(fileNameStart(path)); }

// The name the file-name check judges and the window shows: as stored on disk where the system
// tells it, as a dropped file's would be.
const std::string& nameOnDisk(const Session& s) { return s.storedName.empty() ? s.fileName : s.storedName; }

std::string headerHex(const CheckState& st, std::size_t from, std::size_t count) {
    return hexBytes(std::span<const std::uint8_t>(st.Header).subspan(from, count));
}

using File = std::optional<ImageFile>;

ImagePassResult passOver(Session& s, File& f, Arm9Module arm9) {
    const CheckState& st = s.state;
    return runImagePass(image(f), {.capacityCode = st.u8(kDeviceCapacity),
                                   .fileSize = st.File_Size,
                                   .arm9 = arm9,
                                   .fileCrc = s.fileCrcInRun});
}

// Hands a step what the run's pass found; a step made on its own, outside a run, makes a pass of
// its own over the file, so it reads the image (and the ARM9 words) as it is now.
template <class Use>
void withPass(Session& s, File& f, Use use) {
    if (s.pass) {
        use(*s.pass);
        return;
    }
    ImagePassResult own = passOver(s, f, readArm9Module(image(f), s.state.File_Size));
    use(own);
}

// One function per row of the step table, named after it: each hands the check its narrow inputs
// and stores the typed values it hands on.
namespace steps {

void ReadHeader(Session& s, File& f) { image(f).readAt(0, s.state.Header.data(), s.state.Header.size()); }
void ShowFileName(Session& s, File&) { s.model.setText(Field::File_Name, fileNamePart(nameOnDisk(s))); }
void CheckFileName(Session& s, File&) { s.state.Release_Char = parvex::CheckFileName(nameOnDisk(s), s.state, s.model); }

void ShowGameTitle(Session& s, File& f) {
    s.model.setText(Field::Game_Title, readText(image(f), kGameTitle, 12));
    s.model.setText(Field::Title_Code, headerHex(s.state, kGameTitle, 12));
}
void CheckGameTitle(Session& s, File&) { parvex::CheckGameTitle(s.state, s.model); }

void ShowGameCode(Session& s, File& f) {
    readChars(image(f), kGameCode, s.state.Game_Code_Chars);
    s.model.setText(Field::Game_Code, headerHex(s.state, kGameCode, 4));
    s.model.setText(Field::Initial_Code, bufferText(s.state.Game_Code_Chars));
}
void CheckGameCode(Session& s, File&) { parvex::CheckGameCode(s.state, s.model); }

void ShowMakerCode(Session& s, File& f) {
    readChars(image(f), kMakerCode, s.state.Maker_Chars);
    s.model.setText(Field::Maker_Code, headerHex(s.state, kMakerCode, 2));
    s.model.setText(Field::Maker_ASCII, bufferText(s.state.Maker_Chars));
}
void ShowMakerName(Session& s, File&) { parvex::ShowMakerName(s.state, s.model); }
void CheckMakerCode(Session& s, File&) { parvex::CheckMakerCode(s.state, s.model); }

void ShowReleaseVersion(Session& s, File&) { s.model.setText(Field::Mask_Rom_Ver, hex2(s.state.u8(kReleaseVersion))); }
void CheckReleaseVersion(Session& s, File&) { parvex::CheckReleaseVersion(s.state, s.model); }
void ShowProductCode(Session& s, File&) { s.model.setText(Field::Product_Code, hex2(s.state.u8(kProductCode))); }
void CheckProductCode(Session& s, File&) { parvex::CheckProductCode(s.state, s.model); }
void ShowDeviceCode(Session& s, File&) { s.model.setText(Field::Device_Code, hex2(s.state.u8(kDeviceCode))); }
void CheckDeviceCode(Session& s, File&) { parvex::CheckDeviceCode(s.state, s.model); }

void ShowDeviceCapacity(Session& s, File& f) {
    s.model.setText(Field::ROM_Code, hex2(s.state.u8(kDeviceCapacity)));
    s.state.File_Size = image(f).size();
    s.model.setText(Field::ROM, decimal(s.state.File_Size));
}
void CheckDeviceCapacity(Session& s, File&) { parvex::CheckDeviceCapacity(s.state, s.model); }

void CheckReservedAndRegionFlags(Session& s, File&) { parvex::CheckReservedAndRegionFlags(s.state, s.model); }
void CheckRomSpeedType(Session& s, File&) { parvex::CheckRomSpeedType(s.state, s.model); }
void ShowBannerOffset(Session& s, File&) { s.model.setText(Field::Banner_Offset, headerHex(s.state, kBannerOffset, 4)); }
void CheckReserved078(Session& s, File&) { CheckReservedRange(s.state, s.model, kReserved078); }
void CheckReserved090(Session& s, File&) { CheckReservedRange(s.state, s.model, kReserved090); }
void CheckReserved160(Session& s, File&) { CheckReservedRange(s.state, s.model, kReserved160); }

void ReadSyscallText(Session& s, File& f) {
    s.model.setText(Field::ARM9_ROM_Offset, headerHex(s.state, kArm9RomOffset, 4));
    // Shown unsigned: an offset of FFFFFFFFh is 4294967295, not -1.
    const std::uint32_t arm9Offset = s.state.le32(kArm9RomOffset);
    s.model.setText(Field::Edit8, decimal(arm9Offset));
    readSyscallText(image(f), arm9Offset, s.state.Syscall_Text);
}
void CheckSystemCallLibrary(Session& s, File&) { parvex::CheckSystemCallLibrary(s.state, s.model); }
void CheckRomControlInfo(Session& s, File&) { parvex::CheckRomControlInfo(s.state, s.model); }
void CheckBannerOffset(Session& s, File&) { parvex::CheckBannerOffset(s.state, s.model); }

// Everything below that needs more of the image than the header is fed from this one pass, which
// reads each byte at most once.
// The run has the header already: the ARM9 words come from it, not from another read.
void RunImagePass(Session& s, File& f) {
    const std::span<const std::uint8_t> header(s.state.Header);
    s.pass = passOver(s, f, arm9ModuleOf(header.first(
                                static_cast<std::size_t>(std::min<std::uint64_t>(header.size(), s.state.File_Size)))));
}

void ReadSecureArea(Session& s, File& f) {
    CheckState& st = s.state;
    st.Secure_Crc_Stored = st.le16(kSecureAreaCrc);
    s.model.setText(Field::Secure_CRC, headerHex(st, kSecureAreaCrc, 2));
    s.model.setText(Field::Edit11, hex4(*st.Secure_Crc_Stored));
    withPass(s, f, [&](ImagePassResult& p) { st.Secure_Area = p.secureArea; });
}
void CheckSecureAreaCrc(Session& s, File&) { parvex::CheckSecureAreaCrc(s.state, s.model); }
void CheckApplicationEndOffset(Session& s, File&) { parvex::CheckApplicationEndOffset(s.state, s.model); }
void ScanReservedTail(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) { s.state.Tail_Used = p.tailUsed; });
}
void CheckCapacityLimitation(Session& s, File&) { parvex::CheckCapacityLimitation(s.state, s.model); }
void CheckLogoCharacterData(Session& s, File&) { parvex::CheckLogoCharacterData(s.state, s.model); }

void ComputeLogoCrc(Session& s, File& f) {
    s.model.setText(Field::CRC_logo, headerHex(s.state, kLogoCrc, 2));
    withPass(s, f, [&](ImagePassResult& p) { parvex::ComputeLogoCrc(p.logo, s.model); });
}

void ReadHeaderArea(Session& s, File& f) {
    CheckState& st = s.state;
    st.Header_Crc_Stored = st.le16(kHeaderCrc);
    s.model.setText(Field::CRC_header, headerHex(st, kHeaderCrc, 2));
    s.model.setText(Field::Edit9, hex4(*st.Header_Crc_Stored));
    image(f).readAt(0, st.Header_Area.data(), st.Header_Area.size());
}
void CheckHeaderCrc(Session& s, File&) { parvex::CheckHeaderCrc(s.state, s.model); }

void ComputeSecurityDataCrc(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) { s.state.Security_Data = p.securityData; });
    parvex::ComputeSecurityDataCrc(s.state, s.model);
}
void ComputeSegment3Crc(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) { s.state.Segment3_Crc = parvex::ComputeSegment3Crc(p.segment3, s.model); });
}
void CheckSegment3Crc(Session& s, File&) { parvex::CheckSegment3Crc(s.state, s.model); }

void ScanSdkMarkers(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) {
        std::move(p.markers.sdkRows.begin(), p.markers.sdkRows.end(), std::back_inserter(s.model.sdkRows));
        p.markers.sdkRows.clear();
    });
}
void ScanMiddlewareMarkers(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) {
        if (publishMiddlewareScan(s.model, std::move(p.markers.middleware))) s.state.Final_Build = 0;
        p.markers.middleware = {};
    });
}
void ScanWastedCapacity(Session& s, File& f) {
    withPass(s, f, [&](ImagePassResult& p) { s.state.Half_Padded = p.halfPadded; });
}
void CheckWastedCapacity(Session& s, File&) { parvex::CheckWastedCapacity(s.state, s.model); }

// The whole-file CRC when the run was asked for it in its pass (the command line's --crc).
void ShowFileCrc(Session& s, File&) {
    if (s.pass && s.pass->fileCrc) s.model.setText(Field::CRC_ans, hex4(*s.pass->fileCrc));
}

// After every read of the run: a file written meanwhile gave a report of no single state of it.
void CompareFileState(Session& s, File& f) { s.fileChanged = image(f).changedSinceOpen(); }

void CloseImage(Session& s, File& f) {
    f.reset();
    s.pass.reset();
}
void CheckFinalRomBuild(Session& s, File&) { parvex::CheckFinalRomBuild(s.state, s.model); }
void ShowCaption(Session& s, File&) { s.model.caption = s.fileName; }
// Last, so the message list's edit line shows it.
void CheckFileUnchanged(Session& s, File&) {
    if (s.fileChanged) addFinding(s.model, Msg::FileChanged);
}

}  // namespace steps

constexpr std::uint64_t fieldSet(std::initializer_list<Field> fields) {
    std::uint64_t set = 0;
    for (Field f : fields) set |= std::uint64_t{1} << static_cast<unsigned>(f);
    return set;
}

namespace columns {
using enum Field;
constexpr StepInfo kSteps[] = {
#define PARVEX_STEP(name, inRun, switchOrder, ...) \
    {Step::name, #name, &steps::name, inRun != 0, switchOrder, fieldSet({__VA_ARGS__})},
#include "run/Steps.def"
#undef PARVEX_STEP
};
}  // namespace columns

}  // namespace

std::span<const StepInfo> stepTable() { return columns::kSteps; }

const StepInfo& stepInfo(Step step) { return columns::kSteps[static_cast<std::size_t>(step)]; }

std::vector<Step> switchSteps() {
    std::vector<const StepInfo*> rows;
    for (const StepInfo& s : columns::kSteps)
        if (s.switchOrder > 0) rows.push_back(&s);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const StepInfo* a, const StepInfo* b) { return a->switchOrder < b->switchOrder; });
    std::vector<Step> order;
    for (const StepInfo* s : rows) order.push_back(s->step);
    return order;
}

void runStep(Session& session, Step step, std::optional<ImageFile>& file) { stepInfo(step).run(session, file); }

void runStep(Session& session, Step step) {
    std::optional<ImageFile> none;
    runStep(session, step, none);
}

}  // namespace parvex
