#include "core/Findings.h"
#include "core/ImageFile.h"
#include "run/ImagePass.h"
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
    CheckState& st = s.state;
    st.Game_Code_Chars.fill(0);
    st.Release_Char = 0;
    st.Segment3_Crc.reset();
    st.Final_Build = 1;
    st.Run_Started = true;
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
    // Everything the steps need from the image, read once; the file is closed before they start.
    const ImageRecord record = readImage(*file, fileCrcInRun);
    fileChanged = file->changedSinceOpen();
    file.reset();
    for (const StepInfo& step : stepTable())
        if (step.inRun) runStep(*this, step.step, record);
}

}  // namespace parvex
