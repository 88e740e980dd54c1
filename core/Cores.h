#pragma once

// Where the calling thread runs, and moving it elsewhere: the pass's workers use both to keep from
// waiting on a core they share.

namespace parvex {

// The core the calling thread runs on, or -1 where the system does not tell.
int currentCore();

// Moves the calling thread off core to another core it may run on, and leaves it free to run
// anywhere it could before; true if it moved. False where there is no other core or the system
// cannot move threads.
bool moveOffCore(int core);

}  // namespace parvex
