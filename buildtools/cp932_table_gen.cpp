// Build-time generator: asks this machine's iconv how every one- and two-byte CP932 sequence
// decodes and writes the answers as a C++ table, so that builds without iconv (Windows) decode maker
// lists exactly as the Linux build does. Usage: cp932_table_gen OUTPUT
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr unsigned kInvalid = 0xFFFF;  // the byte forms no character
constexpr unsigned kLead = 0xFFFE;     // the byte begins a two-byte character

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "cp932_table_gen: %s\n", what);
    std::exit(1);
}

// One code point from a UTF-8 sequence that must hold exactly one, below U+FFFE.
unsigned codePoint(const unsigned char* s, std::size_t n) {
    unsigned cp = 0;
    std::size_t len = 0;
    if (n >= 1 && s[0] < 0x80) cp = s[0], len = 1;
    else if (n >= 2 && (s[0] & 0xE0) == 0xC0) cp = (s[0] & 0x1Fu) << 6 | (s[1] & 0x3Fu), len = 2;
    else if (n >= 3 && (s[0] & 0xF0) == 0xE0)
        cp = (s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu), len = 3;
    if (len == 0 || len != n || cp >= kLead) fail("a sequence decodes to something other than one BMP character");
    return cp;
}

// kInvalid, kLead (cut short) or the code point of the whole input.
unsigned decode(iconv_t cd, const unsigned char* bytes, std::size_t n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {static_cast<char>(bytes[0]), n > 1 ? static_cast<char>(bytes[1]) : '\0'};
    char out[16];
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = n;
    std::size_t outLeft = sizeof out;
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<std::size_t>(-1)) {
        if (errno == EINVAL) return kLead;
        if (errno == EILSEQ) return kInvalid;
        fail("iconv failed unexpectedly");
    }
    if (inLeft != 0) fail("iconv left input unread");
    return codePoint(reinterpret_cast<const unsigned char*>(out), sizeof out - outLeft);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) fail("usage: cp932_table_gen OUTPUT");
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) fail("this iconv has no CP932");
    std::string text = "// Generated at build time from the build machine's iconv CP932 mapping. Do not edit.\n";
    text += "// 0xFFFF: no character; 0xFFFE (single bytes only): the first byte of a two-byte character.\n";
    text += "inline constexpr std::uint16_t kCp932Single[256] = {";
    bool anyLead = false;
    unsigned single[256];
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        single[b] = decode(cd, &byte, 1);
        anyLead = anyLead || single[b] == kLead;
        text += (b % 16 == 0 ? "\n    " : " ") + std::to_string(single[b]) + ",";
    }
    if (!anyLead || single[0x41] != 0x41) fail("the mapping does not look like CP932");
    // Indexed by (first byte - 0x80) * 256 + second byte; first bytes below 0x80 never lead.
    text += "\n};\ninline constexpr std::uint16_t kCp932Double[128 * 256] = {";
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            unsigned cp = kInvalid;
            if (single[lead] == kLead) {
                const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                cp = decode(cd, pair, 2);
                if (cp == kLead) fail("a two-byte sequence is still incomplete");
            }
            text += (trail % 16 == 0 ? "\n    " : " ") + std::to_string(cp) + ",";
        }
    }
    if (single[0x00] == kLead) fail("NUL begins a character");
    text += "\n};\n";
    iconv_close(cd);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        fail("cannot write the table");
    return 0;
}
