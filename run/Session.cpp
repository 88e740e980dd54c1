#include "run/Session.h"

#include <cstdio>

#include "core/Findings.h"
#include "core/ImageFile.h"
#include "integrity/CcittCrc.h"

namespace parvex {

Session::Session(std::string programDir) {
    state.Program_Dir = std::move(programDir);
    setListText(model, Msg::VersionBanner);
    state.Run_Started = false;
    if (sideFilePresent(state.Program_Dir, "ferin.ini")) {
        model.control(Control::Label_FERIN).visible = true;
        model.control(Control::Label_MROM).visible = true;
        model.setVisible(Field::MROM_Ver, true);
    }
}

void Session::load(std::string path) {
    fileName = std::move(path);
    run();
}

void Session::computeFileCrc() {
    auto file = ImageFile::open(fileName);
    if (!file) {
        addFinding(model, Msg::CrcOpenFailed);
        return;
    }
    file->watch(progress);
    char text[8];
    std::snprintf(text, sizeof text, "%04X", crc16_ccitt_file(*file));
    model.setText(Field::CRC_ans, text);
}

std::string Session::aboutCaption() const {
    return textOf(model, Msg::AboutCaption);
}

}  // namespace parvex
