#include "checks/NameChecks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Findings.h"
#include "core/Format.h"
#include "core/Utf8Path.h"

namespace parvex {
namespace {

// The name is examined in a zeroed buffer, so every position past its end reads as 00H.
constexpr std::size_t kNameBufferSize = 256;
// The game code the platform SDK ships with; left in place it means the image was never given its own.
constexpr std::string_view kSdkDefaultGameCode = "ZQVJ";

bool inRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) { return b >= low && b <= high; }

bool isLower(std::uint8_t b) { return inRange(b, 'a', 'z'); }

// A name byte of 80H or above never equals a header byte, whatever the header holds.
bool nameMatches(std::uint8_t nameByte, std::uint8_t headerByte) { return nameByte < 0x80 && nameByte == headerByte; }

std::string oneChar(std::uint8_t b) { return b == 0 ? std::string() : std::string(1, static_cast<char>(b)); }

}  // namespace

// Guards the submission file name: "Q", the game code of header 0x00C-0x00F, two version characters
// and ".SRL". Returns the release character (the name's sixth byte), 0 when there is none.
std::uint8_t CheckFileName(const std::string& fileName, const CheckState& st, WindowModel& m) {
    setListText(m, Msg::NoInconsistencies);

    const std::size_t start = fileNameStart(fileName);
    std::array<std::uint8_t, kNameBufferSize> c{};
    // The last byte stays 00H whatever the name's length: a longer component is cut, never copied past.
    const std::size_t len = std::min(fileName.size() - start, c.size() - 1);
    std::copy_n(fileName.begin() + static_cast<std::ptrdiff_t>(start), len, c.begin());

    m.setText(Field::Remaster_Ver, oneChar(c[5]));
    m.setText(Field::Submission_Ver, oneChar(c[6]));

    bool codeMatches = true;
    for (std::size_t i = 0; i < 4; ++i) codeMatches = codeMatches && nameMatches(c[1 + i], st.u8(kGameCode + i));
    const bool valid = c[0] == 'Q' && codeMatches && inRange(c[5], 0x30, 0x5A) && inRange(c[6], 0x30, 0x5A) &&
                       c[7] == '.' && c[8] == 'S' && c[9] == 'R' && c[10] == 'L' && c[11] == 0;
    if (valid) return c[5];

    const bool lowerCase =
        std::any_of(c.begin(), c.begin() + 5, isLower) || c[8] == 's' || c[9] == 'r' || c[10] == 'l';
    addFinding(m, lowerCase ? Msg::FileNameCaps : Msg::FileNameFormat, {Field::File_Name});
    return c[5];
}

// Guards the character set and 00H padding of the game title, header 0x000-0x00B.
void CheckGameTitle(const CheckState& st, WindowModel& m) {
    enum class Verdict { None, Space, BadCode, Padding };
    Verdict verdict = Verdict::None;
    bool zeroSeen = false;
    for (std::size_t i = 0; i < 12; ++i) {
        const std::uint8_t b = st.u8(kGameTitle + i);
        if (inRange(b, 0x20, 0x5F)) {
            if (zeroSeen) verdict = Verdict::Space;
        } else if (b == 0) {
            zeroSeen = true;
        } else {
            verdict = Verdict::BadCode;
        }
    }
    if (verdict == Verdict::None && st.u8(kGameTitle + 11) == 0x20) verdict = Verdict::Padding;
    if (verdict == Verdict::None) return;

    const Msg msg = verdict == Verdict::BadCode ? Msg::TitleBadCode
                    : verdict == Verdict::Space ? Msg::TitleSpace
                                                : Msg::TitlePadding;
    addFinding(m, msg, {Field::Title_Code, Field::Game_Title});
}

// Guards the game code, header 0x00C-0x00F: its character set and the SDK's default code (judged on
// the code as read as text, so a NUL or line feed inside it never matches).
void CheckGameCode(const CheckState& st, WindowModel& m) {
    bool bad = false;
    for (std::size_t i = 0; i < 4; ++i) bad = bad || !inRange(st.u8(kGameCode + i), 0x30, 0x5F);
    if (bufferText(st.Game_Code_Chars) == kSdkDefaultGameCode)
        addFinding(m, Msg::GameCodeDefault, {Field::Initial_Code});
    if (bad) addFinding(m, Msg::GameCodeBad, {Field::Initial_Code, Field::Game_Code});
}

}  // namespace parvex
