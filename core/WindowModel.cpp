#include "core/WindowModel.h"

#include <algorithm>

namespace parvex {
namespace {

struct FieldInfo {
    std::string_view name;
    std::string_view text;
    Colour colour;
    bool visible;
    RunReset reset;
};

constexpr FieldInfo kFieldInfo[] = {
#define PARVEX_FIELD(name, text, colour, visible, reset) {#name, text, Colour::colour, visible, RunReset::reset},
#include "core/Fields.def"
};

struct ControlInfo {
    std::string_view name;
    ControlKind kind;
    std::string_view caption;
    std::string_view hint;
    bool visible;
};

constexpr ControlInfo kControlInfo[] = {
#define PARVEX_CONTROL(name, kind, caption, hint, visible) {#name, ControlKind::kind, caption, hint, visible},
#include "core/Controls.def"
};

struct MenuInfo {
    std::string_view name;
    std::string_view caption;
};

constexpr MenuInfo kMenuInfo[] = {
#define PARVEX_MENU(name, caption) {#name, caption},
#include "core/Menus.def"
};

}  // namespace

std::string_view menuName(Menu m) { return kMenuInfo[static_cast<std::size_t>(m)].name; }
std::string_view menuCaption(Menu m) { return kMenuInfo[static_cast<std::size_t>(m)].caption; }

std::string_view fieldName(Field f) { return kFieldInfo[static_cast<std::size_t>(f)].name; }

RunReset runReset(Field f) { return kFieldInfo[static_cast<std::size_t>(f)].reset; }

std::optional<Field> fieldByName(std::string_view name) {
    for (std::size_t i = 0; i < kFieldCount; ++i)
        if (kFieldInfo[i].name == name) return static_cast<Field>(i);
    return std::nullopt;
}

std::string_view controlName(Control c) { return kControlInfo[static_cast<std::size_t>(c)].name; }

std::optional<Control> controlByName(std::string_view name) {
    for (std::size_t i = 0; i < kControlCount; ++i)
        if (kControlInfo[i].name == name) return static_cast<Control>(i);
    return std::nullopt;
}

ControlKind controlKind(Control c) { return kControlInfo[static_cast<std::size_t>(c)].kind; }

bool hasProperty(Control c, Property p) {
    switch (controlKind(c)) {
        case ControlKind::Button:
        case ControlKind::Label:
        case ControlKind::Panel: return p == Property::Caption || p == Property::Hint;
        case ControlKind::ComboBox:
        case ControlKind::ValueBox: return p == Property::Hint;
        case ControlKind::ListView:
            return p == Property::Hint || p == Property::Column1 ||
                   (p == Property::Column2 && c == Control::Middleware_ListView);
        case ControlKind::Dialog: return p == Property::Filter;
    }
    return false;
}

std::string_view propertyName(Property p) {
    switch (p) {
        case Property::Caption: return "caption";
        case Property::Hint: return "hint";
        case Property::Column1: return "column1";
        case Property::Column2: return "column2";
        case Property::Filter: return "filter";
    }
    return "";
}

std::string_view colourName(Colour c) {
    switch (c) {
        case Colour::Black: return "black";
        case Colour::Red: return "red";
        case Colour::Blue: return "blue";
    }
    return "black";
}

std::string& ControlTexts::operator[](Property p) {
    switch (p) {
        case Property::Caption: return caption;
        case Property::Hint: return hint;
        case Property::Column1: return column1;
        case Property::Column2: return column2;
        case Property::Filter: return filter;
    }
    return caption;
}

const std::string& ControlTexts::operator[](Property p) const { return const_cast<ControlTexts&>(*this)[p]; }

WindowModel::WindowModel() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        m_fields[i].text = kFieldInfo[i].text;
        m_fields[i].colour = kFieldInfo[i].colour;
        m_fields[i].visible = kFieldInfo[i].visible;
    }
    for (std::size_t i = 0; i < kControlCount; ++i) {
        m_controls[i].caption = kControlInfo[i].caption;
        m_controls[i].hint = kControlInfo[i].hint;
        m_controls[i].visible = kControlInfo[i].visible;
    }
    // Column headings and the filter have no design text of their own: they start in English.
    for (const LanguageText& t : languageTexts())
        if (t.property != Property::Caption && t.property != Property::Hint)
            control(t.control)[t.property] = t.english;
}

void WindowModel::resetFieldsForRun() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const RunReset reset = kFieldInfo[i].reset;
        if (reset == RunReset::Clear || reset == RunReset::Text) m_fields[i].text.clear();
        if (reset == RunReset::Clear || reset == RunReset::Black) m_fields[i].colour = Colour::Black;
    }
}

std::span<const LanguageText> languageTexts() {
    static constexpr LanguageText kTexts[] = {
#define PARVEX_TEXT(control, property, en, ja) {Control::control, Property::property, en, ja},
#include "core/LanguageTable.def"
    };
    return kTexts;
}

std::vector<Control> languageTableControls() {
    std::vector<Control> controls;
    for (const LanguageText& t : languageTexts())
        if (std::find(controls.begin(), controls.end(), t.control) == controls.end()) controls.push_back(t.control);
    return controls;
}

std::optional<Colour> sdkRowColour(const SdkRow& row) {
    if (row.isStatic) return Colour::Blue;
    return std::nullopt;
}

std::optional<Colour> middlewareRowColour(const MiddlewareRow& row) {
    if (row.nonFinal) return Colour::Red;
    return std::nullopt;
}

}  // namespace parvex
