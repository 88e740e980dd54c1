#include "run/Session.h"

#include <cstdio>

#include "core/Findings.h"
#include "core/ImageFile.h"
#include "integrity/CcittCrc.h"

namespace parvex {

Session::Session(std::string programDir, std::vector<std::string> sideDirs) {
    state.Program_Dir = std::move(programDir);
    state.Side_Dirs = sideDirs.empty() ? std::vector<std::string>{state.Program_Dir} : std::move(sideDirs);
    setListText(model, Msg::VersionBanner);
    state.Run_Started = false;
    if (sideFilePresent(state.Side_Dirs, "ferin.ini")) {
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

std::string Session::aboutCaption() const { return textOf(model, Msg::AboutCaption); }

}  // namespace parvex
