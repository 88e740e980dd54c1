#pragma once

// Reading and decoding the maker list Dorclic.txt.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Format.h"
#include "core/ImageFile.h"

namespace parvex {

inline constexpr const char* kMakerListName = "Dorclic.txt";

// Reads a side file the way a text-mode stream does: a CR LF pair comes back as one line feed.
// Reading stops at the size the file had when it was opened, so a growing file cannot keep it going.
class ListReader {
public:
    static constexpr int kEnd = -1;

    explicit ListReader(ImageFile& file) : m_file(file) {}

    // The next character, or kEnd once the file is used up (eof() is then true).
    int get();
    // True once a read has met the end of the file.
    bool eof() const { return m_eof; }
    // A line read: at most max characters, stopping after a line feed (which is stored) or at the
    // end. Returns the count stored; adds no terminator.
    std::size_t getLine(std::uint8_t* dst, std::size_t max);

private:
    int nextByte();
    int peekByte();
    void skipByteOrderMark();

    ImageFile& m_file;
    std::array<std::uint8_t, 16384> m_block{};
    std::size_t m_length = 0;
    std::size_t m_pos = 0;
    std::uint64_t m_offset = 0;  // file offset of the byte after the block
    bool m_eof = false;
    bool m_started = false;
};

enum class ListEncoding { ShiftJis, Utf8 };

// UTF-8 when the whole list is valid UTF-8; otherwise Shift-JIS, the form the lists are stored in.
ListEncoding detectEncoding(ImageFile& file);

// For a stored name whose list is not at hand: UTF-8 when the name is (a cut last character aside).
ListEncoding guessEncoding(std::string_view stored);

// A name as stored, made fit for display in UTF-8: bytes that form no character become U+FFFD and a
// character cut short at the end is dropped.
std::string decodeName(std::string_view stored, ListEncoding encoding);

}  // namespace parvex
