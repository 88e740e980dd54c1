// The whole check run over an arbitrary image: the load, the language switch, the CRC command and
// both reports, as parvex-check drives them. The input's first byte is the length of the file name
// that follows it; the rest is the image. A crash, a sanitizer report or a broken promise below
// is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "report/Report.h"
#include "run/Session.h"

namespace {

constexpr std::size_t kLongestName = 64;

// Any bytes make a name but "/" and NUL, which cannot be part of one.
std::string nameFrom(std::string raw) {
    for (char& c : raw)
        if (c == '/' || c == '\0') c = '_';
    if (raw.empty() || raw == "." || raw == "..") raw = "image.srl";
    return raw;
}

// A maker list beside the program, so the run's lookup reads a real one.
void writeMakerList(const std::string& dir) {
    static const std::string kList = "01,\x83\x41\x83\x8B\x83\x74\x83\x40,Alpha Games\r\n"
                                     "8P, ,Sample Maker\r\n"
                                     "ZZ,?,?\r\n";
    parvex::fuzz::writeFile(dir + "/Dorclic.txt", reinterpret_cast<const std::uint8_t*>(kList.data()), kList.size());
}

std::vector<std::uint8_t> contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return {bytes.begin(), bytes.end()};
}

bool isCrcText(const std::string& text) {
    if (text.size() != 4) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parvex;
    static const std::string dir = [] {
        writeMakerList(fuzz::scratchDir());
        return fuzz::scratchDir();
    }();
    fuzz::InputReader in(data, size);
    const std::size_t nameLength = in.byte() % (kLongestName + 1);
    const std::string path = dir + "/" + nameFrom(in.bytes(nameLength));
    if (path == dir + "/Dorclic.txt") return 0;  // the list itself is another target's input
    fuzz::writeFile(path, in.rest(), in.restSize());

    Session session(dir);
    session.load(path);
    if (session.lastOpenFailed) __builtin_trap();  // a regular file we just wrote must open
    session.switchLanguage();
    session.computeFileCrc();
    if (!isCrcText(session.model.text(Field::CRC_ans))) __builtin_trap();
    session.switchLanguage();

    (void)renderText(session, path, true);
    (void)renderJson(session, path).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);

    // The checker never writes to the image.
    const std::vector<std::uint8_t> after = contentOf(path);
    if (after.size() != in.restSize() || !std::equal(after.begin(), after.end(), in.rest())) __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
