#include "core/Findings.h"

#include "core/Version.h"

namespace parvex {
namespace {

struct MessageInfo {
    Severity severity;
    const char* en;
    const char* enList = nullptr;  // the list line, where it differs from the edit line
    const char* ja;
    const char* jaList = nullptr;
};

constexpr MessageInfo kMessages[] = {
#define PARVEX_MESSAGE(id, severity_, ...) MessageInfo{.severity = Severity::severity_, __VA_ARGS__},
#include "core/Messages.def"
};

const MessageInfo& info(Msg m) { return kMessages[static_cast<std::size_t>(m)]; }

}  // namespace

Severity severityOf(Msg m) { return info(m).severity; }

const char* firstCopy(Msg m, Language lang) { return lang == Language::English ? info(m).en : info(m).ja; }

const char* secondCopy(Msg m, Language lang) {
    const MessageInfo& i = info(m);
    const char* list = lang == Language::English ? i.enList : i.jaList;
    return list ? list : firstCopy(m, lang);
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
