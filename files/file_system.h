#pragma once

#include <QByteArray>
#include <QString>

namespace quibrel {

// File names on Linux are bytes. Bytes that are not UTF-8 are kept as lone surrogates U+DC80..U+DCFF,
// so that every name, however it is encoded, survives the trip from the directory listing to the
// emulator's argument vector unchanged.
QString decodeFileName(const QByteArray &bytes);
QByteArray encodeFileName(const QString &name);

// The operating system's words for the error number `error`.
QString errorText(int error);

// The process's current working directory; an empty text and the reason in `error` when it cannot be read.
QString currentWorkingDirectory(QString *error);

// The name under which `name` stands in `directory`, as a file system that ignores case would find it: the
// exact name when there is one, else the first, in code-unit order, of the names that differ from it only in
// case; empty when there is none or the directory cannot be read.
QString entryIgnoringCase(const QString &directory, const QString &name);

} // namespace quibrel
