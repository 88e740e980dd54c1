#include "core/Findings.h"

#include "core/Version.h"

namespace parvex {
namespace {

struct MessageInfo {
    Severity severity;
    const char* en1;
    const char* en2;
    const char* ja1;
    const char* ja2;
};

constexpr MessageInfo kMessages[] = {
#define PARVEX_MESSAGE(id, severity, en1, en2, ja1, ja2) {Severity::severity, en1, en2, ja1, ja2},
#include "core/Messages.def"
#undef PARVEX_MESSAGE
};

const MessageInfo& info(Msg m) { return kMessages[static_cast<std::size_t>(m)]; }

}  // namespace

Severity severityOf(Msg m) { return info(m).severity; }

const char* firstCopy(Msg m, Language lang) {
    return lang == Language::English ? info(m).en1 : info(m).ja1;
}

const char* secondCopy(Msg m, Language lang) {
    return lang == Language::English ? info(m).en2 : info(m).ja2;
}

std::string textOf(const WindowModel& model, Msg m) { return firstCopy(m, model.language()); }

void addFinding(WindowModel& model, Msg m, std::initializer_list<Field> boxes) {
    for (Field f : boxes) model.setColour(f, Colour::Red);
    const Language lang = model.language();
    model.messages.text = firstCopy(m, lang);
    model.messages.lines.push_back({secondCopy(m, lang), severityOf(m)});
    if (severityOf(m) == Severity::Error) model.messages.colour = Colour::Red;
}

void setListText(WindowModel& model, Msg m) { model.messages.text = textOf(model, m); }

void clearList(WindowModel& model) {
    model.messages.lines.clear();
    model.messages.text.clear();
}

}  // namespace parvex
