#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// Texts in the model are byte strings meant as UTF-8; a front end replaces what is not valid UTF-8.
enum class Colour { Black, Red, Blue };

enum class Field {
#define PARVEX_FIELD(name, text, colour, visible, reset) name,
#include "core/Fields.def"
};

enum class ControlKind { ComboBox, Button, Label, Panel, ValueBox, ListView, Dialog };

enum class Control {
#define PARVEX_CONTROL(name, kind, caption, hint, visible) name,
#include "core/Controls.def"
};

enum class Menu {
#define PARVEX_MENU(name, caption) name,
#include "core/Menus.def"
};

std::string_view menuName(Menu m);
std::string_view menuCaption(Menu m);

enum class Property { Caption, Hint, Column1, Column2, Filter };

inline constexpr std::size_t kFieldCount =
    std::initializer_list<Field>{
#define PARVEX_FIELD(name, text, colour, visible, reset) Field::name,
#include "core/Fields.def"
    }
        .size();

inline constexpr std::size_t kControlCount =
    std::initializer_list<Control>{
#define PARVEX_CONTROL(name, kind, caption, hint, visible) Control::name,
#include "core/Controls.def"
    }
        .size();

// What the start of a check run does to a box.
enum class RunReset { Keep, Clear, Black, Text };

std::string_view fieldName(Field f);
RunReset runReset(Field f);
std::optional<Field> fieldByName(std::string_view name);
std::string_view controlName(Control c);
std::optional<Control> controlByName(std::string_view name);
ControlKind controlKind(Control c);
// Which properties a control of this kind carries (for renderings that list them).
bool hasProperty(Control c, Property p);
std::string_view propertyName(Property p);
std::string_view colourName(Colour c);

struct DisplayField {
    std::string text;
    Colour colour = Colour::Black;
    bool visible = true;
};

struct ControlTexts {
    std::string caption;
    std::string hint;
    std::string column1;
    std::string column2;
    std::string filter;
    bool visible = true;

    std::string& operator[](Property p);
    const std::string& operator[](Property p) const;
};

enum class Severity { Text, Notice, Error };

struct MessageLine {
    std::string text;
    Severity severity = Severity::Error;
};

// MComboBox: the edit line, the drop-down lines (the run's only record of Findings), the font.
struct MessageList {
    std::string text;
    std::vector<MessageLine> lines;
    Colour colour = Colour::Black;
};

struct SdkRow {
    std::string caption;
    bool isStatic = false;
};

struct MiddlewareRow {
    std::string development;
    std::string module;
    bool nonFinal = false;  // the row of the non-final build marker
};

enum class Language { English, Japanese };

inline constexpr std::string_view kEnglishModeCaption = "->Japanese";
inline constexpr std::string_view kJapaneseModeCaption = "→English";
inline constexpr std::string_view kStartCaption = "ZR PVX";

// Everything the main window shows, as plain data: the front ends render it, the checks write it.
class WindowModel {
public:
    WindowModel();

    DisplayField& field(Field f) { return m_fields[static_cast<std::size_t>(f)]; }
    const DisplayField& field(Field f) const { return m_fields[static_cast<std::size_t>(f)]; }
    const std::string& text(Field f) const { return field(f).text; }
    void setText(Field f, std::string text) { field(f).text = std::move(text); }
    void setColour(Field f, Colour c) { field(f).colour = c; }
    void setVisible(Field f, bool v) { field(f).visible = v; }

    ControlTexts& control(Control c) { return m_controls[static_cast<std::size_t>(c)]; }
    const ControlTexts& control(Control c) const { return m_controls[static_cast<std::size_t>(c)]; }

    // The language every message is chosen in; LBtn's caption renders it ("->Japanese" in English).
    Language language() const { return m_language; }
    void setLanguage(Language lang) { m_language = lang; }

    // The boxes' part of a run's reset, as the field table's reset column says.
    void resetFieldsForRun();

    MessageList messages;
    std::vector<SdkRow> sdkRows;
    std::vector<MiddlewareRow> middlewareRows;
    std::string caption{kStartCaption};

private:
    std::array<DisplayField, kFieldCount> m_fields;
    std::array<ControlTexts, kControlCount> m_controls;
    Language m_language = Language::English;
};

// One text the language switch sets: control, property, English, Japanese.
struct LanguageText {
    Control control;
    Property property;
    const char* english;
    const char* japanese;
};

// Every bilingual control text, in the order the switch sets them.
std::span<const LanguageText> languageTexts();
// The controls whose texts the language switch sets, each once, in the switch's order.
std::vector<Control> languageTableControls();

// Row colours of the two build lists: nullopt means the list's own font colour.
std::optional<Colour> sdkRowColour(const SdkRow& row);
std::optional<Colour> middlewareRowColour(const MiddlewareRow& row);

}  // namespace parvex
