#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"

namespace parvex {

void Session::switchLanguage() {
    clearList(model);
    setListText(model, Msg::VersionBanner);
    const bool toJapanese = model.language() == Language::English;
    for (const LanguageText& t : languageTexts())
        model.control(t.control)[t.property] = toJapanese ? t.japanese : t.english;
    model.setLanguage(toJapanese ? Language::Japanese : Language::English);
    if (state.Run_Started != 1) return;

    // The steps that need only the CheckState, in the switch's own order; no file is open.
    std::optional<ImageFile> noFile;
    for (Step step : switchSteps()) runStep(*this, step, noFile);
}

}  // namespace parvex
