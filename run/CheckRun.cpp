#include "core/Findings.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"

namespace parvex {
namespace {

void resetForRun(Session& s) {
    s.model.resetFieldsForRun();
    clearList(s.model);
    s.model.messages.colour = Colour::Black;
    s.model.sdkRows.clear();
    s.model.middlewareRows.clear();
    s.pass.reset();
    CheckState& st = s.state;
    st.Game_Code_Chars.fill(0);
    st.Release_Char = 0;
    st.Segment3_Crc.reset();
    st.Final_Build = 1;
    st.Run_Started = 1;
}

}  // namespace

void Session::run() {
    resetForRun(*this);
    std::optional<ImageFile> file = ImageFile::open(fileName);
    lastOpenFailed = !file;
    storedName = file ? file->storedName() : std::string();
    fileChanged = false;
    if (!file) {
        addFinding(model, Msg::OpenFailed);
        return;
    }
    file->watch(progress);
    for (const StepInfo& step : stepTable())
        if (step.inRun) step.run(*this, file);
}

}  // namespace parvex
