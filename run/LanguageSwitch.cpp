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
    if (!state.Run_Started) return;
    // Nothing was read from an image that did not open: re-running the checks would judge the
    // previous image's bytes (or all zeros) under this name. Say again what happened instead.
    if (lastOpenFailed) {
        addFinding(model, Msg::OpenFailed);
        return;
    }

    // The checks that need only the CheckState, in the switch's own order; no file is open.
    for (Step step : switchSteps()) runStep(*this, step);
}

}  // namespace parvex
