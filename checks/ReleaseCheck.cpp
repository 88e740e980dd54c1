#include "checks/ReleaseCheck.h"

#include <cstdint>

#include "core/Findings.h"

namespace parvex {
namespace {

struct ReleaseRow {
    std::uint8_t byte;
    const char* version;
    char nameChar;  // the release character the file name must carry
};

constexpr ReleaseRow kReleaseRows[] = {
    {0x00, "Ver.0", '0'}, {0x01, "Ver.1", '1'}, {0x02, "Ver.2", '2'}, {0x03, "Ver.3", '3'},
    {0x04, "Ver.4", '4'}, {0x05, "Ver.5", '5'}, {0x06, "Ver.6", '6'}, {0x07, "Ver.7", '7'},
    {0x08, "Ver.8", '8'}, {0x09, "Ver.9", '9'}, {0xE0, "Ver.E", 'E'},
};

const ReleaseRow* findRelease(std::uint8_t byte) {
    for (const ReleaseRow& row : kReleaseRows)
        if (row.byte == byte) return &row;
    return nullptr;
}

}  // namespace

// Guards the release version, header 0x01E, against the release character of the file name that
// CheckFileName handed over in Release_Char.
void CheckReleaseVersion(const CheckState& st, WindowModel& m) {
    std::uint8_t expected = 0;
    if (const ReleaseRow* row = findRelease(st.u8(kReleaseVersion))) {
        expected = static_cast<std::uint8_t>(row->nameChar);
        m.setText(Field::Version, row->version);
        m.setText(Field::Remaster_ASCII, std::string(1, row->nameChar));
    } else {
        m.setText(Field::Version, textOf(m, Msg::NoMatchingData));
        m.setText(Field::Remaster_ASCII, "");
        addFinding(m, Msg::ReleaseVersionBad, {Field::Remaster_Ver, Field::Version, Field::Mask_Rom_Ver});
    }
    if (expected != st.Release_Char) addFinding(m, Msg::ReleaseVersionMismatch, {Field::Remaster_Ver});
}

}  // namespace parvex
