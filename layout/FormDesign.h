#pragma once

#include <optional>
#include <span>

#include "core/WindowModel.h"

namespace parvex {

// Where a control sits: the client area itself or one of the group boxes.
enum class Group {
    Window,
#define PARVEX_GROUP(name, parent, left, top, width, height) name,
#include "layout/FormDesign.def"
};

enum class Look {
    BoxReadOnly,
    BoxEditable,
    MessageList,
    ButtonPlain,
    ButtonBold,
    Label,
    BoldLabel,
    BoldRightLabel,
    Panel,
    BarePanel,  // a caption panel drawn bold and without a border
    OffsetLabel,
    SuffixLabel,
    ListView,
    Picture,
};

// Fixed design colours of a few captions (the model's colours are for boxes and lists).
enum class Tint { None, Blue, Fuchsia, Green };

struct Place {
    int left;
    int top;
    int width;
    int height;
};

struct GroupDesign {
    const char* name;
    Group group;
    Group parent;
    Place place;
};

struct ControlDesign {
    const char* name;  // the control name, also the widget's object name
    Group group;
    Look look;
    Tint tint;
    std::optional<Field> field;
    std::optional<Control> control;
    const char* picture;  // the name of one of the window's pictures (layout/images/NAME.xpm)
    Place place;
};

std::span<const GroupDesign> groupDesigns();
std::span<const ControlDesign> controlDesigns();

inline constexpr int kClientWidth = 817;
inline constexpr int kClientHeight = 731;
inline constexpr int kWindowLeft = 198;
inline constexpr int kWindowTop = 110;
inline constexpr int kFontPixels = 15;
inline constexpr int kSdkColumnWidth = 246;
inline constexpr int kDevelopmentColumnWidth = 104;
inline constexpr int kModuleColumnWidth = 250;

}  // namespace parvex
