#include "report/SafeText.h"

#include <cstdint>
#include <cstdio>

namespace parvex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The next code point of text from i on, advancing i; a byte that begins no valid UTF-8 sequence
// (overlong forms, surrogates and values above U+10FFFF included) gives U+FFFD and advances by one.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t b = byte(i);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int need = 0;
    char32_t cp = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
        cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        cp = b & 0x0Fu;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        cp = b & 0x07u;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        ++i;
        return kReplacement;
    }
    std::size_t k = i + 1;
    for (int n = 0; n < need; ++n, ++k) {
        if (k >= text.size() || byte(k) < low || byte(k) > high) {
            // A broken sequence ends before the byte that broke it; that byte may begin the next one.
            i = k;
            return kReplacement;
        }
        cp = cp << 6 | (byte(k) & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    i = k;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Characters a terminal or a text viewer may act on rather than show.
bool needsEscape(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0x2028 || cp == 0x2029;
}

std::string escapeOf(char32_t cp) {
    switch (cp) {
        case '\n': return "\\n";
        case '\r': return "\\r";
        case '\t': return "\\t";
        default: break;
    }
    char buf[12];
    if (cp < 0x80) std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(cp));
    else std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(cp));
    return buf;
}

bool allowedInXml(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

}  // namespace

std::string safeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = nextCodePoint(text, i);
        if (needsEscape(cp)) out += escapeOf(cp);
        else appendUtf8(out, cp);
    }
    return out;
}

std::string xmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = nextCodePoint(text, i);
        switch (cp) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            case '\t': out += "&#9;"; break;
            default:
                if (allowedInXml(cp)) appendUtf8(out, cp);
        }
    }
    return out;
}

}  // namespace parvex
