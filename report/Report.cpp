#include "report/Report.h"

#include "core/Format.h"
#include "core/Version.h"

#include <optional>
#include <vector>

#include "report/SafeText.h"

namespace parvex {
namespace {

// One row of the report, as the window lays it out: caption panel, offset label, value boxes.
struct Row {
    std::optional<Control> caption;
    std::optional<Control> offset;
    std::vector<Field> fields;
};

using Group = std::vector<Row>;

const std::vector<Group>& layout() {
    using C = Control;
    using F = Field;
    static const std::vector<Group> kGroups = {
        {{C::TFileName, {}, {F::File_Name}},
         {C::PGame_Title, C::Label17, {F::Game_Title, F::Title_Code}},
         {C::PInitial_Code, C::Label34, {F::Initial_Code, F::Game_Code}},
         {C::PMaker_Code, C::Label29, {F::Maker_ASCII, F::Maker_Code, F::Maker}}},
        {{C::PROM_version, {}, {F::Remaster_Ver, F::Submission_Ver}},
         {C::PMask_ROM_Ver, C::Label3, {F::Version, F::Mask_Rom_Ver, F::Remaster_ASCII}}},
        {{C::PProduct_Code, C::Label28, {F::Product_Code, F::ZR_code}},
         {C::PDevice_Type, C::Label11, {F::Device_Code, F::Device_Name}},
         {C::PROM_Code, C::Label1, {F::ROM_Code, F::ROM_size}},
         {C::PROM_size, {}, {F::ROM}}},
        {{C::PReserved_Code, C::Label5, {F::R_Area1}},
         {{}, C::Label4, {F::R_Area2}},
         {{}, C::Label41, {F::R_Area3}},
         {{}, C::Label9, {F::R_Area4}},
         {{}, C::Label10, {F::R_Area5}}},
        {{C::Plibsyscall, C::Label27, {F::ARM9_ROM_Offset, F::libsyscall}},
         {C::PMaskROMcontrol, C::Label44, {F::MROMctrl, F::MROM_Ver}},
         {C::PBanner, C::Label8, {F::Banner_Offset, F::Banner_ans}},
         {C::PSecure_Area, C::Label18, {F::Secure_CRC, F::Secure_crc_ans}},
         {C::PChar_Data, C::Label35, {F::Char_data}},
         {C::TLogo_CRC, C::Label15, {F::CRC_logo, F::logo_CRC_test}},
         {C::PROM_Header_CRC, C::Label20, {F::CRC_header, F::Head_CRC}},
         {C::PSecurity_Data, C::Label32, {F::CRC_Key_table}},
         {C::TSeg3_CRC, C::Label30, {F::CRC_seg3, F::Seg3_crc_check}},
         {C::PFile_CRC, {}, {F::CRC_ans}}},
    };
    return kGroups;
}

// Columns are padded by display width: a CJK character takes two cells.
std::size_t displayWidth(const std::string& s) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::uint32_t cp = 0;
        if (len == 3 && i + 2 < s.size())
            cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6 |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
        const bool halfWidthKana = cp >= 0xFF61 && cp <= 0xFF9F;
        width += (len >= 3 && !halfWidthKana) ? 2 : 1;
        i += len;
    }
    return width;
}

std::string pad(const std::string& s, std::size_t width) {
    const std::size_t w = displayWidth(s);
    return w >= width ? s + " " : s + std::string(width - w, ' ');
}

std::string caption(const WindowModel& m, Control c) { return safeText(plainCaption(m.control(c).caption)); }

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kBlue = "\x1b[34m";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kReset = "\x1b[0m";

// A faulty value keeps its marker in colour too: colour alone is lost on colour-blind readers.
std::string faulty(const std::string& text, bool colour) {
    return colour ? kRed + text + " (!)" + kReset : text + " (!)";
}

// A label shown in front of a value box when the label is visible (the ROM control detail's "MROM").
std::optional<Control> labelOf(Field f) {
    if (f == Field::MROM_Ver) return Control::Label_MROM;
    return std::nullopt;
}

std::string value(const WindowModel& m, Field field, bool colour) {
    const DisplayField& f = m.field(field);
    std::string text = f.text.empty() ? "-" : safeText(f.text);
    if (f.colour == Colour::Red) text = faulty(text, colour);
    else if (f.colour == Colour::Blue && colour) text = kBlue + text + kReset;
    const auto label = labelOf(field);
    if (label && m.control(*label).visible) return safeText(m.control(*label).caption) + " " + text;
    return text;
}

std::string severityName(Severity s) { return s == Severity::Error ? "error" : "notice"; }

std::string severityTag(Severity s, Language language) {
    if (language == Language::Japanese) return s == Severity::Error ? "エラー:" : "注意:";
    return severityName(s) + ":";
}

// The message list's lines like compiler diagnostics; the edit line alone when there are none.
std::string renderMessages(const WindowModel& m, bool colour) {
    if (m.messages.lines.empty()) return safeText(m.messages.text) + "\n";
    std::string out;
    for (const MessageLine& line : m.messages.lines) {
        const std::string tag = severityTag(line.severity, m.language());
        const char* tint = line.severity == Severity::Error ? kRed : kBold;
        out += (colour ? tint + tag + kReset : tag) + " " + safeText(line.text) + "\n";
    }
    return out;
}

}  // namespace

bool hasError(const Session& session) {
    for (const auto& line : session.model.messages.lines)
        if (line.severity == Severity::Error) return true;
    return false;
}

std::string renderText(const Session& session, const std::string& path, bool colour) {
    const WindowModel& m = session.model;
    // Everything shown goes through safeText: image bytes, side files and file names reach it.
    std::string out = (colour ? std::string(kBold) : "") + "== " + safeText(path) + (colour ? kReset : "") + "\n";
    // The window would still show the previous file's boxes; a report shows only what this file gave.
    if (session.lastOpenFailed) return out + renderMessages(m, colour);
    for (const Group& group : layout()) {
        for (const Row& row : group) {
            std::vector<std::string> values;
            for (Field f : row.fields)
                if (m.field(f).visible) values.push_back(value(m, f, colour));
            if (values.empty()) continue;
            std::string line = "  " + pad(row.caption ? caption(m, *row.caption) : "", 34);
            line += pad(row.offset ? caption(m, *row.offset) : "", 32);
            for (std::size_t i = 0; i < values.size(); ++i) line += (i ? "  " : "") + values[i];
            out += line + "\n";
        }
        out += "\n";
    }
    out += "  " + caption(m, Control::PSDK) + "\n";
    for (const SdkRow& row : m.sdkRows) {
        const bool blue = sdkRowColour(row) == Colour::Blue && colour;
        const std::string text = safeText(row.caption);
        out += "    " + (blue ? kBlue + text + kReset : text) + "\n";
    }
    out += "  " + caption(m, Control::PLibrary) + "\n";
    for (const MiddlewareRow& row : m.middlewareRows) {
        const bool red = middlewareRowColour(row) == Colour::Red;
        const std::string text = pad(safeText(row.development), 24) + safeText(row.module);
        out += "    " + (red ? faulty(text, colour) : text) + "\n";
    }
    return out + "\n" + renderMessages(m, colour);
}

nlohmann::json renderJson(const Session& session, const std::string& path) {
    const WindowModel& m = session.model;
    nlohmann::json run;
    run["file"] = path;
    run["caption"] = m.caption;
    run["language"] = m.language() == Language::English ? "en" : "ja";
    nlohmann::json lines = nlohmann::json::array();
    nlohmann::json findings = nlohmann::json::array();
    for (const MessageLine& line : m.messages.lines) {
        lines.push_back(line.text);
        findings.push_back({{"severity", severityName(line.severity)}, {"text", line.text}});
    }
    run["messages"] = {{"text", m.messages.text}, {"lines", lines}, {"color", colourName(m.messages.colour)}};
    run["findings"] = findings;
    nlohmann::json fields = nlohmann::json::object();
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        const DisplayField& d = m.field(f);
        fields[std::string(fieldName(f))] = {
            {"text", d.text}, {"color", colourName(d.colour)}, {"visible", d.visible}};
    }
    run["fields"] = fields;
    nlohmann::json sdk = nlohmann::json::array();
    for (const SdkRow& row : m.sdkRows) sdk.push_back({{"caption", row.caption}, {"static", row.isStatic}});
    run["sdk"] = sdk;
    nlohmann::json middleware = nlohmann::json::array();
    for (const MiddlewareRow& row : m.middlewareRows) {
        const auto c = middlewareRowColour(row);
        middleware.push_back({{"development", row.development},
                              {"module", row.module},
                              {"color", c ? std::string(colourName(*c)) : "default"}});
    }
    run["middleware"] = middleware;
    nlohmann::json controls = nlohmann::json::object();
    for (Control c : languageTableControls()) {
        nlohmann::json props = nlohmann::json::object();
        for (Property p : {Property::Caption, Property::Hint, Property::Column1, Property::Column2, Property::Filter})
            if (hasProperty(c, p)) props[std::string(propertyName(p))] = m.control(c)[p];
        controls[std::string(controlName(c))] = props;
    }
    run["controls"] = controls;
    const CheckState& st = session.state;
    run["state"] = {{"file_size", st.File_Size},
                    {"final_build", st.Final_Build},
                    {"tail_used", st.Tail_Used},
                    {"half_padded", st.Half_Padded}};
    return run;
}

namespace {

std::string dumped(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

// The members in the order the library sorts them: "program", "runs", "version"; a run sits two
// levels deep, four spaces in.
std::string jsonDocumentStart() { return "{\n  \"program\": " + dumped(kProgramName) + ",\n  \"runs\": ["; }

std::string jsonDocumentRun(const nlohmann::json& run, bool first) {
    const std::string text = dumped(run);
    std::string out = first ? "\n    " : ",\n    ";
    out.reserve(out.size() + text.size() + text.size() / 8);
    for (const char c : text) {
        out += c;
        // Strings are escaped, so every line feed is one of the layout's own.
        if (c == '\n') out += "    ";
    }
    return out;
}

std::string jsonDocumentEnd(bool anyRuns) {
    return std::string(anyRuns ? "\n  ]" : "]") + ",\n  \"version\": " + dumped(kProgramVersion) + "\n}\n";
}

std::string renderJsonDocument(const nlohmann::json& runs) {
    std::string out = jsonDocumentStart();
    for (std::size_t i = 0; i < runs.size(); ++i) out += jsonDocumentRun(runs[i], i == 0);
    return out + jsonDocumentEnd(!runs.empty());
}

}  // namespace parvex
