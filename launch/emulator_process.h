#pragma once

#include "command_line.h"

namespace quibrel {

// Starts the emulator on its own, never through a shell, and does not wait for it: the launcher
// keeps no child behind (no zombie). What starts it is decided by its first bytes, whatever its
// permission bits: a Windows program goes through the `wine` on PATH, when that Wine can run its kind;
// a DOS program runs in DOSBox; anything else is started directly. Returns false with the reason, in
// words its user can act on, in `error` when the program cannot be started.
bool startDetached(const EmulatorCommand &command, QString *error);

} // namespace quibrel
