#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "core/WindowModel.h"

namespace parvex {

enum class Msg {
#define PARVEX_MESSAGE(id, ...) id,
#include "core/Messages.def"
};

inline constexpr std::size_t kMessageCount =
    std::initializer_list<Msg>{
#define PARVEX_MESSAGE(id, ...) Msg::id,
#include "core/Messages.def"
    }
        .size();

Severity severityOf(Msg m);
// The copy that becomes the list's edit line, or a box text, in the given language.
const char* firstCopy(Msg m, Language lang);
// The copy appended as a line of the list.
const char* secondCopy(Msg m, Language lang);

// The text of a message in the window's current language (for box texts such as "No matching data").
std::string textOf(const WindowModel& model, Msg m);

// Adds a Finding: its boxes turn red, the edit line shows the first copy, the second copy becomes the
// last line, and an error turns the list's font red.
void addFinding(WindowModel& model, Msg m, std::initializer_list<Field> boxes = {});

// Replaces the list's edit line only: no line, no colour change.
void setListText(WindowModel& model, Msg m);

// Removes every line and empties the edit line; the font colour is the caller's business.
void clearList(WindowModel& model);

}  // namespace parvex
