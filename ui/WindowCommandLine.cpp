#include "ui/WindowCommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/SideFiles.h"
#include "core/Version.h"

namespace parvex {
namespace {

// The options Qt's application object takes for itself, with and without a value.
constexpr std::array<std::string_view, 14> kQtValueOptions{
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "name",          "title"};
constexpr std::array<std::string_view, 6> kQtFlagOptions{"reverse", "widgetcount", "nograb",
                                                         "dograb",  "sync",        "qmljsdebugger"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

WindowCommand readWindowCommandLine(const std::vector<std::string>& args) {
    WindowCommand command;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.front() != '-') {
            command.images.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") return {WindowCommand::Action::Help, {}, {}};
        if (arg == "--version") return {WindowCommand::Action::Version, {}, {}};
        // Qt reads "-style x", "--style x" and "-style=x" alike.
        std::string_view name(arg);
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) name = name.substr(0, equals);
        if (among(kQtValueOptions, name)) {
            if (!inlineValue) ++i;
            continue;
        }
        if (among(kQtFlagOptions, name)) continue;
        return {WindowCommand::Action::Usage, {}, arg};
    }
    return command;
}

std::string windowHelpText() {
    return "Usage: parvex [OPTION]... [IMAGE]\n"
           "Shows the header of a ZR master ROM image in the ZR PVX window, checks every field against\n"
           "the submission rules and lists every problem, in Japanese or English.\n"
           "\n"
           "IMAGE is checked at start. A relative path is looked for from the current directory, then\n"
           "beside the program. More images can be opened or dropped on the window later.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "      --         every argument after this one is an image, even one starting with -\n"
           "Qt's own options (-platform, -style, -reverse and so on) are passed to Qt.\n"
           "\n"
           "Keyboard:\n"
           "  Ctrl+O        open an image\n"
           "  Ctrl+R        check the current image again (also one that failed to open)\n"
           "  Ctrl+S        save the report as text or JSON\n"
           "  Ctrl+Shift+C  copy the report to the clipboard\n"
           "  Tab           move between the buttons, the message list and the boxes\n"
           "\n" +
           std::string(sideFileOrderText()) +
           "\n"
           "Exit status:\n"
           "  0  the window was closed, or --help or --version\n"
           "  2  usage error: an option the program does not know\n";
}

std::string windowVersionText() { return "parvex " + std::string(kProgramVersion) + "\n"; }

}  // namespace parvex
