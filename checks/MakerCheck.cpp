#include "checks/MakerCheck.h"

#include <algorithm>

#include "core/Findings.h"

namespace parvex {
namespace {

// The stored field limits of a list line, in characters after line-end translation.
constexpr std::size_t kJapaneseNameMax = 59;
constexpr std::size_t kEnglishNameMax = 39;
constexpr std::size_t kSkippedLineMax = 39;
constexpr std::size_t kCodeLength = 2;

bool isListSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool inCodeRange(std::uint8_t b) { return b >= 0x30 && b <= 0x5A; }

// A code text of up to two characters as one number: equal texts give equal numbers, and the bytes
// after a NUL do not count.
template <std::size_t N>
std::uint16_t codeValue(const std::array<std::uint8_t, N>& text) {
    static_assert(N >= 3);
    const std::uint8_t first = text[0];
    const std::uint8_t second = first == 0 ? std::uint8_t{0} : text[1];
    return static_cast<std::uint16_t>(first | second << 8);
}

// Keeps only the first word of the English name; a text without any word stays as it was read.
void keepFirstWord(std::array<std::uint8_t, 60>& name) {
    const std::size_t len = bufferText(name).size();
    const auto begin = name.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(len);
    const auto word = std::find_if_not(begin, end, isListSpace);
    if (word == end) return;
    const auto wordEnd = std::find_if(word, end, isListSpace);
    const auto kept = std::copy(word, wordEnd, begin);
    *kept = 0;
}

void showNoData(WindowModel& m) {
    m.setColour(Field::Maker, Colour::Red);
    m.setText(Field::Maker, textOf(m, Msg::NoMatchingData));
}

// Reads the names of the line whose code matched; the reader stands just after the code.
void readMatchingLine(MakerBuffers& names, WindowModel& m, ListReader& reader, const MakerList& list) {
    int placeholders = 0;

    reader.get();  // the separator, never examined
    // Only the first 59 bytes fit Maker_Name; a longer name is cut there and the rest read past.
    std::size_t n = 0;
    for (int c = reader.get(); c != ','; c = reader.get()) {
        // The comma is required: a name running into the end of the file leaves the line without data.
        if (c == ListReader::kEnd) {
            names.name.fill(0);
            return showNoData(m);
        }
        if (n < kJapaneseNameMax) names.name[n] = static_cast<std::uint8_t>(c);
        ++n;
    }
    names.name[std::min(n, kJapaneseNameMax)] = 0;
    if (n == 1) ++placeholders;  // a one-character name is a placeholder

    const std::size_t got = reader.getLine(names.name2.data(), kEnglishNameMax);
    names.name2[got] = 0;
    keepFirstWord(names.name2);
    // A field ending the file holds not even the line end that marks an empty name elsewhere.
    if (got == 0 || bufferText(names.name2).size() == 1) ++placeholders;

    if (placeholders == 2) return showNoData(m);
    const bool japanese = m.language() == Language::Japanese && names.name[0] != ' ';
    const std::string stored = japanese ? bufferText(names.name) : bufferText(names.name2);
    m.setText(Field::Maker, decodeName(stored, list.encoding));
}

void lookUpMaker(const CheckState& state, MakerBuffers& names, WindowModel& m, const MakerList& list) {
    ListReader reader(list);
    for (;;) {
        std::array<std::uint8_t, kCodeLength + 1> code{};
        const std::size_t got = reader.getLine(code.data(), kCodeLength);
        m.setText(Field::Edit1, bufferText(state.Maker_Chars));
        m.setText(Field::Edit2, bufferText(code));
        // At the end of the file no code was read, and nothing matches it.
        if (got > 0 && codeValue(state.Maker_Chars) == codeValue(code))
            return readMatchingLine(names, m, reader, list);

        const std::size_t skipped = reader.getLine(names.line.data(), kSkippedLineMax);
        names.line[skipped] = 0;
        if (reader.eof()) return showNoData(m);
    }
}

}  // namespace

// Guards the maker code, header 0x010-0x011, and shows the maker's name from the maker list beside
// the program.
std::optional<MakerBuffers> CheckMakerCode(const CheckState& st, const MakerList* list, WindowModel& m) {
    m.setText(Field::Edit6, st.Program_Dir);

    const std::uint8_t b0 = st.u8(kMakerCode);
    const std::uint8_t b1 = st.u8(kMakerCode + 1);
    if ((b0 == '0' && b1 == '0') || !inCodeRange(b0) || !inCodeRange(b1))
        addFinding(m, Msg::MakerCodeBad, {Field::Maker_ASCII, Field::Maker_Code});

    if (!list) return std::nullopt;
    m.setVisible(Field::Maker, true);
    MakerBuffers buffers{.name = {}, .name2 = {}, .line = st.Maker_Line};
    buffers.name2.fill(' ');
    lookUpMaker(st, buffers, m, *list);
    return buffers;
}

// The language switch shows the stored Japanese name again before the list is read anew.
void ShowMakerName(const CheckState& st, WindowModel& m) {
    const std::string stored = bufferText(st.Maker_Name);
    m.setText(Field::Maker, decodeName(stored, guessEncoding(stored)));
}

}  // namespace parvex
