#include "core/WindowModel.h"

namespace parvex {
namespace {

struct FieldInfo {
    std::string_view name;
    std::string_view text;
    Colour colour;
    bool visible;
};

constexpr FieldInfo kFieldInfo[] = {
#define PARVEX_FIELD(name, text, colour, visible) {#name, text, Colour::colour, visible},
#include "core/Fields.def"
#undef PARVEX_FIELD
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
#undef PARVEX_CONTROL
};

}  // namespace

std::string_view fieldName(Field f) { return kFieldInfo[static_cast<std::size_t>(f)].name; }

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
        case ControlKind::Panel:
            return p == Property::Caption || p == Property::Hint;
        case ControlKind::ComboBox:
        case ControlKind::ValueBox:
            return p == Property::Hint;
        case ControlKind::ListView:
            return p == Property::Hint || p == Property::Column1 ||
                   (p == Property::Column2 && c == Control::Middleware_ListView);
        case ControlKind::Dialog:
            return p == Property::Filter;
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

const std::string& ControlTexts::operator[](Property p) const {
    return const_cast<ControlTexts&>(*this)[p];
}

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
    control(Control::SDK_ListView).column1 = "TAVRO-SDK Version";
    control(Control::Middleware_ListView).column1 = "Development";
    control(Control::Middleware_ListView).column2 = "Module Name";
    control(Control::OpenDialog1).filter = "ZR Program";
}

Language WindowModel::language() const {
    return control(Control::LBtn).caption == kEnglishModeCaption ? Language::English
                                                                  : Language::Japanese;
}

std::optional<Colour> sdkRowColour(const SdkRow& row) {
    if (row.isStatic) return Colour::Blue;
    return std::nullopt;
}

std::optional<Colour> middlewareRowColour(const WindowModel& model, const MiddlewareRow& row) {
    // Edit13 stays empty until a non-final marker is met: an empty module must not match it then.
    const std::string& nonFinalRow = model.text(Field::Edit13);
    if (!nonFinalRow.empty() && row.development == "VELTRANE" && row.module == nonFinalRow) return Colour::Red;
    return std::nullopt;
}

}  // namespace parvex
