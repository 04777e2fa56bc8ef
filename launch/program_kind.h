#pragma once

#include <QString>

namespace quibrel {

// What a program file is, read from its first bytes: a Linux system starts only "other" programs by
// itself (or through a handler registered with the kernel).
enum class ProgramKind { Other, Dos, Windows16, Windows32, Windows64, WindowsOtherMachine };

// The kind of the program at `path`. Only a regular file is read, and never waited for.
ProgramKind programKind(const QString &path);

} // namespace quibrel
