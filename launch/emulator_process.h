#pragma once

#include "command_line.h"

namespace quibrel {

// Starts the emulator on its own, never through a shell, and does not wait for it: the launcher
// keeps no child behind (no zombie). Returns false with the operating system's reason in `error`
// when the program cannot be started.
bool startDetached(const EmulatorCommand &command, QString *error);

} // namespace quibrel
