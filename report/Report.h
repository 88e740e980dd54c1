#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "run/Session.h"

namespace parvex {

// The window model after a run, as the readable text report of parvex-check. Every text from the
// image, a side file or the path is shown through safeText, so the report's lines are all its own.
// Faulty values carry "(!)" with or without colour; the prefixes of the message lines follow the
// window's language.
std::string renderText(const Session& session, const std::string& path, bool colour);

// The same as one JSON run object; the caller dumps it with invalid UTF-8 replaced.
nlohmann::json renderJson(const Session& session, const std::string& path);

// The whole --json document over the run objects, as printed: the window's Save writes the same.
std::string renderJsonDocument(const nlohmann::json& runs);

// The same document in pieces, so each run is written as it ends and none is kept: the start, each
// run in order (first: no run before it), and the end (anyRuns: at least one run was written).
// Joined, they are renderJsonDocument's text byte for byte.
std::string jsonDocumentStart();
std::string jsonDocumentRun(const nlohmann::json& run, bool first);
std::string jsonDocumentEnd(bool anyRuns);

// True when any line of the message list was added as an error.
bool hasError(const Session& session);

}  // namespace parvex
