#include "checks/MakerList.h"

#include <algorithm>

#include "checks/Cp932.h"
#include "core/ImageFile.h"
#include "core/SideFiles.h"

namespace parvex {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Byte-wise UTF-8 check: shortest forms only, no surrogates, nothing above U+10FFFF.
class Utf8Validator {
public:
    // False when b cannot continue the sequence begun (or cannot begin one); the state is then reset.
    bool feed(std::uint8_t b) {
        if (m_need == 0) return lead(b);
        if (b < m_low || b > m_high) {
            m_need = 0;
            return false;
        }
        --m_need;
        m_low = 0x80;
        m_high = 0xBF;
        return true;
    }
    bool inSequence() const { return m_need != 0; }

private:
    bool lead(std::uint8_t b) {
        if (b < 0x80) return true;
        if (b >= 0xC2 && b <= 0xDF) return expect(1, 0x80, 0xBF);
        if (b == 0xE0) return expect(2, 0xA0, 0xBF);
        if (b == 0xED) return expect(2, 0x80, 0x9F);
        if (b >= 0xE1 && b <= 0xEF) return expect(2, 0x80, 0xBF);
        if (b == 0xF0) return expect(3, 0x90, 0xBF);
        if (b >= 0xF1 && b <= 0xF3) return expect(3, 0x80, 0xBF);
        if (b == 0xF4) return expect(3, 0x80, 0x8F);
        return false;
    }
    bool expect(int need, std::uint8_t low, std::uint8_t high) {
        m_need = need;
        m_low = low;
        m_high = high;
        return true;
    }

    int m_need = 0;
    std::uint8_t m_low = 0x80;
    std::uint8_t m_high = 0xBF;
};

std::string decodeUtf8(std::string_view stored) {
    std::string out;
    Utf8Validator v;
    std::size_t start = 0;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const bool wasInSequence = v.inSequence();
        if (!wasInSequence) start = i;
        if (!v.feed(static_cast<std::uint8_t>(stored[i]))) {
            out += kReplacement;
            // A broken sequence ends before the byte that broke it; that byte may begin the next one.
            if (wasInSequence) --i;
            continue;
        }
        if (!v.inSequence()) out.append(stored.substr(start, i + 1 - start));
    }
    return out;
}

std::string decodeShiftJis(std::string_view stored) { return decodeCp932(stored); }

}  // namespace

std::optional<MakerList> readMakerList(const std::vector<std::string>& dirs) {
    auto file = openSideFile(dirs, kMakerListName);
    if (!file) return std::nullopt;
    MakerList list;
    list.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(file->size(), kMakerListMax)));
    // Read as the file stood when opened: a file that shrank ends where its bytes end.
    list.bytes.resize(file->readAt(0, list.bytes.data(), list.bytes.size()));
    list.encoding = detectEncoding(list.bytes);
    return list;
}

// A list saved as UTF-8 may begin with a byte-order mark; it is no part of the first code. The
// same three bytes can begin a Shift-JIS list, which then reads as it always did.
ListReader::ListReader(const MakerList& list) : m_bytes(list.bytes) {
    constexpr std::uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
    if (list.encoding == ListEncoding::Utf8 && m_bytes.size() >= 3 && std::ranges::equal(m_bytes.first(3), kMark))
        m_pos = 3;
}

int ListReader::nextByte() {
    if (m_pos == m_bytes.size()) return kEnd;
    return m_bytes[m_pos++];
}

int ListReader::peekByte() {
    const int b = nextByte();
    if (b != kEnd) --m_pos;
    return b;
}

int ListReader::get() {
    int c = nextByte();
    if (c == '\r' && peekByte() == '\n') c = nextByte();
    if (c == kEnd) m_eof = true;
    return c;
}

std::size_t ListReader::getLine(std::uint8_t* dst, std::size_t max) {
    std::size_t n = 0;
    while (n < max) {
        const int c = get();
        if (c == kEnd) break;
        dst[n++] = static_cast<std::uint8_t>(c);
        if (c == '\n') break;
    }
    return n;
}

ListEncoding detectEncoding(std::span<const std::uint8_t> bytes) {
    Utf8Validator v;
    for (std::uint8_t b : bytes)
        if (!v.feed(b)) return ListEncoding::ShiftJis;
    return v.inSequence() ? ListEncoding::ShiftJis : ListEncoding::Utf8;
}

ListEncoding guessEncoding(std::string_view stored) {
    Utf8Validator v;
    for (char c : stored)
        if (!v.feed(static_cast<std::uint8_t>(c))) return ListEncoding::ShiftJis;
    return ListEncoding::Utf8;
}

std::string decodeName(std::string_view stored, ListEncoding encoding) {
    return encoding == ListEncoding::Utf8 ? decodeUtf8(stored) : decodeShiftJis(stored);
}

}  // namespace parvex
