#pragma once

#include <any>
#include <string>
#include <vector>

#include "core/CheckState.h"
#include "core/ImageFile.h"
#include "core/WindowModel.h"

namespace parvex {

// What the main window holds: the model every front end renders, the CheckState of the latest run
// and the current file name. Every command of the window is a member here.
class Session {
public:
    // programDir: the directory of the program file, where the side files are looked for.
    explicit Session(std::string programDir);

    // Sets the current file name and runs the checks on it (Open dialog, a dropped file, the
    // command-line argument).
    void load(std::string path);

    // The check run on the current file name.
    void run();

    // Flips every bilingual text and, once any run has started, rebuilds the message list.
    void switchLanguage();

    // The CRC button: the whole-file CRC of the current file into CRC_ans.
    void computeFileCrc();

    // The About box's caption, decided by VersionBtn's caption.
    std::string aboutCaption() const;

    WindowModel model;
    CheckState state;
    std::string fileName;
    // Whether the latest run could not open its file (the front ends' exit status needs it).
    bool lastOpenFailed = false;
    // What one step of a run hands to a later step of the same run (the marker scans share one
    // pass over the image); emptied at the start of every run.
    std::any runCarry;
    // Whether run() also computes the whole-file CRC into CRC_ans, in the same pass as its scans
    // (the command line's --crc). The CRC button stays a command of its own.
    bool fileCrcInRun = false;
    // Where the long reads of run() and computeFileCrc() report progress and look for a cancel;
    // null for none. Owned by the caller.
    ReadProgress* progress = nullptr;
};

// The controls whose texts the language switch sets, each once, in the switch's order.
std::vector<Control> languageTableControls();

// True when a side file of this name can be opened for reading as a regular file in dir.
bool sideFilePresent(const std::string& dir, const char* name);

// The side-file directory joined with a name, without changing the current directory.
std::string sidePath(const std::string& dir, const char* name);

}  // namespace parvex
