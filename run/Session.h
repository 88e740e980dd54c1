#pragma once

#include <string>
#include <vector>

#include "core/CheckState.h"
#include "core/ImageFile.h"
#include "core/SideFiles.h"
#include "core/WindowModel.h"

namespace parvex {

// What the main window holds: the model every front end renders, the CheckState of the latest run
// and the current file name. Every command of the window is a member here.
class Session {
public:
    // programDir: the directory of the program file. sideDirs: where the side files are looked for,
    // first to last; none means beside the program only.
    explicit Session(std::string programDir, std::vector<std::string> sideDirs = {});

    // Sets the current file name and runs the checks on it (Open dialog, a dropped file, the
    // command-line argument).
    void load(std::string path);

    // The check run on the current file name: every step of the step table that the run makes.
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
    // The latest run's file name as stored on disk, where the system tells it (see ImageFile); the
    // file-name check judges it and the window shows it.
    std::string storedName;
    // Whether the file's size or modification time changed while the latest run read it.
    bool fileChanged = false;
    // Whether run() also computes the whole-file CRC into CRC_ans, in the same pass as its scans
    // (the command line's --crc). The CRC button stays a command of its own.
    bool fileCrcInRun = false;
    // Where the long reads of run() and computeFileCrc() report progress and look for a cancel;
    // null for none. Owned by the caller.
    ReadProgress* progress = nullptr;
};

}  // namespace parvex
