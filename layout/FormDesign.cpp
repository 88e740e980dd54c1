#include "layout/FormDesign.h"

namespace parvex {
namespace {

constexpr GroupDesign kGroups[] = {
#define PARVEX_GROUP(name, parent, left, top, width, height) \
    {#name, Group::name, Group::parent, {left, top, width, height}},
#include "layout/FormDesign.def"
};

constexpr ControlDesign kControls[] = {
#define PARVEX_BOX(field, group, mode, left, top, width, height) \
    {#field,       Group::group, Look::Box##mode, Tint::None,    \
     Field::field, std::nullopt, nullptr,         {left, top, width, height}},
#define PARVEX_ITEM(control, group, look, tint, left, top, width, height) \
    {#control,     Group::group,     Look::look, Tint::tint,              \
     std::nullopt, Control::control, nullptr,    {left, top, width, height}},
#define PARVEX_BUTTON(control, group, weight, picture, left, top, width, height)          \
    {#control,         Group::group, Look::Button##weight,      Tint::None, std::nullopt, \
     Control::control, picture,      {left, top, width, height}},
#define PARVEX_PICTURE(name, group, picture, left, top, width, height) \
    {#name, Group::group, Look::Picture, Tint::None, std::nullopt, std::nullopt, picture, {left, top, width, height}},
#include "layout/FormDesign.def"
};

}  // namespace

std::span<const GroupDesign> groupDesigns() { return kGroups; }
std::span<const ControlDesign> controlDesigns() { return kControls; }

}  // namespace parvex
