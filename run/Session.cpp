#include "run/Session.h"

#include <cstdio>

#include "core/Findings.h"
#include "core/ImageFile.h"
#include "integrity/CcittCrc.h"

namespace parvex {

std::string sidePath(const std::string& dir, const char* name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool sideFilePresent(const std::string& dir, const char* name) {
    return ImageFile::open(sidePath(dir, name)).has_value();
}

Session::Session(std::string programDir) {
    state.Program_Dir = std::move(programDir);
    setListText(model, Msg::VersionBanner);
    state.Run_Started = 0;
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
    return model.control(Control::VersionBtn).caption == "Version" ? "Version" : "バージョン情報";
}

}  // namespace parvex
