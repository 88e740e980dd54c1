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

// True when any line of the message list was added as an error.
bool hasError(const Session& session);

}  // namespace parvex
