// The maker list reader over an arbitrary Dorclic.txt. The input's first byte gives how many maker
// codes (one to four) follow as two bytes each; the rest is the list. Each code is looked up in
// English, then again through the language switch in Japanese. A crash, a sanitizer report, a name
// that is not displayable UTF-8 or a hidden name box beside a list is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "checks/MakerCheck.h"
#include "fuzz/FuzzSupport.h"
#include "run/Session.h"
#include "run/Steps.h"

namespace {

constexpr std::size_t kMostCodes = 4;

// The maker code as the run reads it: at most two characters, ending at a NUL or after a line feed.
void setMakerCode(parvex::Session& s, std::uint8_t b0, std::uint8_t b1) {
    using namespace parvex;
    s.state.Header[kMakerCode] = b0;
    s.state.Header[kMakerCode + 1] = b1;
    s.state.Maker_Chars.fill(0);
    std::string text;
    for (std::uint8_t b : {b0, b1}) {
        if (b == 0) break;
        text += static_cast<char>(b);
        if (b == 0x0A) break;
    }
    for (std::size_t i = 0; i < text.size(); ++i) s.state.Maker_Chars[i] = static_cast<std::uint8_t>(text[i]);
    s.model.setText(Field::Maker_ASCII, text);
}

void expectShownName(const parvex::Session& s) {
    using parvex::Field;
    if (!s.model.field(Field::Maker).visible) __builtin_trap();
    if (!parvex::fuzz::validUtf8(s.model.text(Field::Maker))) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parvex;
    const std::string& dir = fuzz::scratchDir();
    fuzz::InputReader in(data, size);
    const std::size_t codes = 1 + in.byte() % kMostCodes;
    std::uint8_t code[kMostCodes][2];
    for (std::size_t i = 0; i < codes; ++i) {
        code[i][0] = in.byte();
        code[i][1] = in.byte();
    }
    fuzz::writeFile(dir + "/Dorclic.txt", in.rest(), in.restSize());

    for (std::size_t i = 0; i < codes; ++i) {
        Session s(dir);
        s.state.Run_Started = true;  // as after a run, so the switch looks the code up again
        setMakerCode(s, code[i][0], code[i][1]);
        runStep(s, Step::CheckMakerCode);
        expectShownName(s);
        s.switchLanguage();
        if (s.model.language() != Language::Japanese) __builtin_trap();
        expectShownName(s);
        runStep(s, Step::CheckMakerCode);
        expectShownName(s);
    }
    return 0;
}
