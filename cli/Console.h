#pragma once

// The few things parvex-check needs of the operating system, kept in one place.

namespace parvex::cli {

// Makes sure descriptors 0, 1 and 2 are open, so that no file opened later (the JUnit report) can
// take the place of standard output. Returns true when standard output was closed at start: the
// stand-in is the null device, and the report must still count as not written.
bool guardStandardStreams();

// Standard output is a terminal (colour may be wanted).
bool stdoutIsTerminal();

// A reader that goes away shows as a failed write (EPIPE) instead of killing the program.
void ignoreBrokenPipe();
// Right after a failed write to standard output with this errno: the reader of the pipe went away.
// (Windows reports that as EINVAL, telling it apart only in the system's own error code.)
bool writeHitClosedPipe(int error);

}  // namespace parvex::cli
