#pragma once

// The few things parvex-check needs of the operating system, kept in one place.

#include <cstdio>
#include <string>

namespace parvex::cli {

// Makes sure descriptors 0, 1 and 2 are open, so that no file opened later (the JUnit report) can
// take the place of standard output. Returns true when standard output was closed at start: the
// stand-in is the null device, and the report must still count as not written.
bool guardStandardStreams();

// Standard output is a terminal (colour may be wanted).
bool stdoutIsTerminal();

// A reader that goes away shows as a failed write (EPIPE) instead of killing the program.
void ignoreBrokenPipe();
bool isBrokenPipe(int error);

// Opens a UTF-8 path for binary writing; with exclusive, only when nothing of that name exists yet
// (errno EEXIST otherwise).
std::FILE* openForWriting(const std::string& path, bool exclusive);

}  // namespace parvex::cli
