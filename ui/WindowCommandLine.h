#pragma once

#include <string>
#include <vector>

namespace parvex {

// What the window's command line asks for. It is read before Qt starts, so that --help, --version
// and a usage error need no display; Qt's own options pass through to Qt.
struct WindowCommand {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    // The image arguments in order; the window checks the first at start.
    std::vector<std::string> images;
    // For Usage: the offending argument, as given.
    std::string unknown;
};

// args: the command line without the program name.
WindowCommand readWindowCommandLine(const std::vector<std::string>& args);

std::string windowHelpText();
std::string windowVersionText();

}  // namespace parvex
