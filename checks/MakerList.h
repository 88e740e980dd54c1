#pragma once

// Reading and decoding the maker list Dorclic.txt.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Format.h"

namespace parvex {

inline constexpr const char* kMakerListName = "Dorclic.txt";
// A list is read whole; bytes past this many are not looked at (real lists are a few KiB).
inline constexpr std::size_t kMakerListMax = 64u << 20;

enum class ListEncoding { ShiftJis, Utf8 };

// UTF-8 when the whole list is valid UTF-8; otherwise Shift-JIS, the form the lists are stored in.
ListEncoding detectEncoding(std::span<const std::uint8_t> bytes);

// The maker list as the maker code step read it: its bytes as they stood when read, and their
// encoding.
struct MakerList {
    std::vector<std::uint8_t> bytes;
    ListEncoding encoding = ListEncoding::ShiftJis;
};

// Dorclic.txt from the first of dirs that holds one, opened by full path and only as a regular file
// (a directory or FIFO of that name is no list); nothing when there is none.
std::optional<MakerList> readMakerList(const std::vector<std::string>& dirs);

// Reads a list the way a text-mode stream does: a CR LF pair comes back as one line feed.
class ListReader {
public:
    static constexpr int kEnd = -1;

    explicit ListReader(const MakerList& list);

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

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    bool m_eof = false;
};

// For a stored name whose list is not at hand: UTF-8 when the name is (a cut last character aside).
ListEncoding guessEncoding(std::string_view stored);

// A name as stored, made fit for display in UTF-8: bytes that form no character become U+FFFD and a
// character cut short at the end is dropped.
std::string decodeName(std::string_view stored, ListEncoding encoding);

}  // namespace parvex
