#pragma once

#include <string>
#include <string_view>

namespace parvex {

// Text from an image, a side file or a file name, made fit for a terminal line: C0 and C1 controls
// and DEL become visible escapes ("\n", "\x1B", "\u009B"), so do the bidirectional overrides and
// isolates and the line and paragraph separators, and bytes that form no UTF-8 character become
// U+FFFD. Nothing it returns can end a line or begin an escape sequence.
std::string safeText(std::string_view text);

// The same text made fit for XML 1.0 character data and attribute values: markup characters become
// references, line ends and tabs become character references (so attributes keep them), characters
// XML 1.0 does not allow are left out and invalid UTF-8 becomes U+FFFD.
std::string xmlText(std::string_view text);

}  // namespace parvex
