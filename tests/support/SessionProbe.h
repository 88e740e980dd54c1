#pragma once

#include <string>
#include <vector>

#include "core/Findings.h"
#include "run/Session.h"

namespace parvex::test {

// The message list's lines, in the order they were added.
inline std::vector<std::string> lines(const WindowModel& m) {
    std::vector<std::string> out;
    for (const MessageLine& line : m.messages.lines) out.push_back(line.text);
    return out;
}

inline std::vector<std::string> lines(const Session& s) { return lines(s.model); }

// The list lines these messages give in the window's current language.
inline std::vector<std::string> texts(const Session& s, const std::vector<Msg>& msgs) {
    std::vector<std::string> out;
    for (Msg m : msgs) out.push_back(secondCopy(m, s.model.language()));
    return out;
}

inline void setJapanese(Session& s) { s.model.setLanguage(Language::Japanese); }

}  // namespace parvex::test
