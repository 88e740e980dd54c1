#pragma once

#include <string>
#include <string_view>

namespace parvex {

// Shift-JIS as Windows stores it (CP932), decoded to UTF-8 the same way on every platform: a byte
// that forms no character (alone, or as the first of a pair whose second byte does not fit) becomes
// U+FFFD and decoding goes on at the next byte; a two-byte character cut short at the end is dropped.
std::string decodeCp932(std::string_view stored);

}  // namespace parvex
