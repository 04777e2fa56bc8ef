#pragma once

#include "command_line.h"

namespace quibrel {

// Starts the emulator on its own, never through a shell, and does not wait for it: the launcher
// keeps no child behind (no zombie). A Windows program that the system cannot start by itself is
// started through the `wine` on PATH, when that Wine can run its kind. Returns false with the reason,
// in words its user can act on, in `error` when the program cannot be started.
bool startDetached(const EmulatorCommand &command, QString *error);

} // namespace quibrel
